#include "main_window/modTermination.h"

#include "foundation/modGlobals.h"
#include "foundation/modMessage.h"
#include "platform/MousePointer.h"
#include "storage/modDisk.h"
#include "storage/modQDAS.h"

#include <vector>

namespace {

constexpr int16_t MsgWriteError = 31;

} // namespace

bool SeriesHoldsTest(const Protocol& protocol)
{
    for (int p = 1; p <= PropertyCount; ++p) {
        if (protocol.Blocks[static_cast<size_t>(p)].Values.size() >= 2)
            return true;
    }
    return false;
}

bool ExportToQdasAsking(const Protocol& protocol)
{
    std::vector<int> pending;
    for (int p = 1; p <= PropertyCount; ++p)
        pending.push_back(p);
    for (;;) {
        std::vector<int> failed;
        {
            MousePointerGuard hourglass(PointerHourglass);
            for (int p : pending) {
                const QdasFile file = qdasFileOfProperty(protocol, p);
                if (file.K0100 == 0)
                    continue;
                if (qdasPutTestReportAction(QDASFolder, protocol.Blocks[static_cast<size_t>(p)].StartDate, file).isEmpty())
                    failed.push_back(p);
            }
        }
        if (failed.empty())
            return true;
        if (ShowMessage(MsgWriteError) != AnswerYes)
            return false;
        pending = failed;
    }
}
