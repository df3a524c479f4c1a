#pragma once
// The checks of the list editors (operators, reference values) before an
// entry is added, and the stored form of a list. No window needed.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

inline constexpr int MaxOperators = 100;
inline constexpr int MaxReferenceValues = 30000;
inline constexpr int16_t MsgDuplicateEntry = 7;
inline constexpr int16_t MsgWildcardEntry = 8;

// The message that stops or questions a new entry, checked in this order:
// 9 when the list already holds `limit` entries or more (also for a name
// that is listed), 7 when the list holds it in any case of letters, 8 (a
// question) when it holds "*" or "?"; 0 when none applies.
int16_t ListEntryCheck(const QString& text, int entryCount, bool listed, int limit);

// Runs the checks with their messages; true when the entry may be added:
// no check applies, or message 8 was answered Yes.
bool ConfirmListEntry(const QString& text, int entryCount, bool listed, int limit);

// The stored array of a list: element 0 empty, then the entries in order.
std::vector<QString> ListToArray(const QStringList& entries);

// The entries of a stored array: elements 1 to the last.
QStringList ArrayToList(const std::vector<QString>& values);
