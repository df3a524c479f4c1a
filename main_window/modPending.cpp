#include "main_window/modPending.h"

#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modRecords.h"
#include "platform/ErrorCodes.h"
#include "platform/Paths.h"
#include "storage/modDisk.h"
#include "storage/modTestReport.h"

#include <QFile>
#include <QSet>

#include <utility>

namespace {

bool IsPendingName(const QString& name)
{
    return name.endsWith(QLatin1String("QTA")) && name.contains(QLatin1String("PENDING "));
}

}  // namespace

QString PendingFileName(int index)
{
    return QStringLiteral("PENDING ") + QString::number(index) + QStringLiteral(".QTA");
}

void SavePendingProtocols(bool& ok)
{
    ok = true;
    QSet<QString> written;
    for (std::size_t i = 1; i < Protocols.size(); ++i) {
        // Replaces a pending file of an earlier run even when reading it
        // left it read-only.
        const QString name = PendingFileName(static_cast<int>(i));
        ok = dskPutTestReportExact(DataFolder, name, Protocols[i]) && ok;
        written.insert(name);
    }
    if (!ok)
        return;

    // Every open series is safe on disk: the pending files of the earlier
    // run that were not replaced now hold series that are no longer open.
    const QString folder = DataFolder;
    for (const QString& name : dskListFiles(folder)) {
        if (written.contains(name) || !IsPendingName(name) || !dskIsTestReportFile(folder, name))
            continue;
        const QString path = JoinPath(folder, name);
        QFile file(path);
        SetAttr(path, AttrNormal);
        if (!file.remove()) {
            const SystemError error = ErrorFromFile(file);
            WriteLog(error.Number, error.Text, QStringLiteral("SavePendingProtocols"));
        }
    }
}

void LoadPendingProtocols()
{
    if (Protocols.empty())
        Protocols.push_back(EmptyProtocol);
    const QString folder = DataFolder;
    for (const QString& name : dskListFiles(folder)) {
        if (!IsPendingName(name))
            continue;
        // The reader gives the empty series for a damaged file, and for one
        // whose report form or current property is out of range (logged).
        Protocol record = dskGetTestReport(folder, name);
        if (IsEmptyProtocol(record))
            continue;
        Protocols.push_back(std::move(record));
    }
    // By creation date, exchanging elements as the design does.
    const std::size_t upper = Protocols.size() - 1;
    for (std::size_t i = 1; i < upper; ++i)
        for (std::size_t j = i + 1; j <= upper; ++j)
            if (Protocols[j].Date < Protocols[i].Date)
                std::swap(Protocols[i], Protocols[j]);
}
