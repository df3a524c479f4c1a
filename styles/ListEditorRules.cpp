#include "styles/ListEditorRules.h"

#include "foundation/modGeneral.h"
#include "foundation/modMessage.h"
#include "styles/ReportFormRules.h"

int16_t ListEntryCheck(const QString& text, int entryCount, bool listed, int limit)
{
    if (entryCount >= limit)
        return MsgListFull;
    if (listed)
        return MsgDuplicateEntry;
    if (HasWildcard(text))
        return MsgWildcardEntry;
    return 0;
}

bool ConfirmListEntry(const QString& text, int entryCount, bool listed, int limit)
{
    switch (ListEntryCheck(text, entryCount, listed, limit)) {
    case MsgListFull:
        ShowMessage(MsgListFull, {limit});
        return false;
    case MsgDuplicateEntry:
        ShowMessage(MsgDuplicateEntry);
        return false;
    case MsgWildcardEntry:
        return ShowMessage(MsgWildcardEntry) == AnswerYes;
    default:
        return true;
    }
}

std::vector<QString> ListToArray(const QStringList& entries)
{
    std::vector<QString> values;
    values.reserve(static_cast<size_t>(entries.size()) + 1);
    values.emplace_back();
    for (const QString& entry : entries)
        values.push_back(entry);
    return values;
}

QStringList ArrayToList(const std::vector<QString>& values)
{
    QStringList entries;
    entries.reserve(values.empty() ? 0 : static_cast<qsizetype>(values.size()) - 1);
    for (size_t i = 1; i < values.size(); ++i)
        entries.append(values[i]);
    return entries;
}
