#include "foundation/modGlobals.h"
#include "platform/TextInput.h"
#include "system_settings/modVersionHistory.h"

#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

#include <set>

namespace {

class VersionHistoryTest : public ::testing::Test {
protected:
    void TearDown() override { DateFormat = 1; }

    // The lines of the text; each must end with CR LF.
    static QStringList Lines(const QString& text)
    {
        EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n")));
        QStringList lines = text.split(QStringLiteral("\r\n"));
        EXPECT_EQ(lines.takeLast(), QString());
        return lines;
    }
};

TEST_F(VersionHistoryTest, TextHas127LinesOfFourFieldsInTheDateFormatSetAtTheCall)
{
    DateFormat = 2;
    const QStringList lines = Lines(VersionHistoryText());
    ASSERT_EQ(lines.size(), 127);
    for (const QString& line : lines)
        EXPECT_EQ(line.split(u'\t').size(), 4) << line.toStdString();
    EXPECT_TRUE(lines.last().startsWith(QStringLiteral("1.0.0\t10/05/1999\t\t")));
    // No such format: an empty date column, two TABs in a row.
    DateFormat = 9;
    EXPECT_TRUE(Lines(VersionHistoryText()).first().startsWith(QStringLiteral("8.0.0\t\t")));
}

TEST_F(VersionHistoryTest, EntriesAreNewestFirstWithWellFormedFields)
{
    const std::vector<VersionHistoryEntry> entries = VersionHistoryEntries();
    ASSERT_EQ(entries.size(), 127u);
    const QRegularExpression ref(QStringLiteral("^[FDU]\\d{4}$"));
    std::set<QString> versions;
    for (size_t i = 0; i < entries.size(); ++i) {
        const VersionHistoryEntry& e = entries[i];
        SCOPED_TRACE(e.Version.toStdString() + " " + e.Text.toStdString());
        // The texts go into the clipboard and printed pages: nothing that
        // Windows-1252 cannot hold, no TAB or line break.
        EXPECT_TRUE(e.Text.size() <= 97 && IsStorableText(e.Text));
        EXPECT_EQ(ref.match(e.Ref).hasMatch(), i + 1 < entries.size());
        if (i > 0) {
            const VersionHistoryEntry& newer = entries[i - 1];
            EXPECT_LE(e.Date, newer.Date);
            // A version's entries stand together and share its date; the
            // next version down is older.
            if (e.Version == newer.Version)
                EXPECT_EQ(e.Date, newer.Date);
            else
                EXPECT_TRUE(versions.count(e.Version) == 0) << "version listed twice apart";
        }
        versions.insert(e.Version);
    }
    EXPECT_EQ(versions.size(), 43u);
    EXPECT_EQ(ReleaseDate(), entries.front().Date);
}

} // namespace
