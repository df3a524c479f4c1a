#include "platform/SortedList.h"

#include "support/LocaleFixture.h"

#include <QListWidget>

namespace {

class SortedListTest : public LocaleFixture {};

QStringList Words(const char* spaced)
{
    return QString::fromUtf8(spaced).split(u' ');
}

TEST_F(SortedListTest, EntriesStandInTheCollatedOrderIgnoringCase)
{
    // Code-point order would give Alpha Zeta alpha2 beta ähnlich.
    for (const char* locale : {"en_US", "de_DE", "C"}) {
        Pin(QString::fromLatin1(locale));
        QListWidget list;
        for (const QString& word : Words("beta Alpha alpha2 Zeta ähnlich"))
            InsertSorted(&list, word);
        EXPECT_EQ(ListEntries(&list), Words("ähnlich Alpha alpha2 beta Zeta")) << locale;
    }
    // Entries that collate alike keep their order; a new one goes after them.
    EXPECT_EQ(SortCollated(Words("b ANN a Ann ann")), Words("a ANN Ann ann b"));
    EXPECT_EQ(SortedInsertRow(Words("Alpha beta"), QStringLiteral("ALPHA")), 1);
}

} // namespace
