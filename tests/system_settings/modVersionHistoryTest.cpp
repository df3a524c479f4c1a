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

TEST_F(VersionHistoryTest, FirstAndLastLineInEveryDateFormat)
{
    const struct {
        int16_t format;
        const char* first;
        const char* last;
    } rows[] = {
        {1, "8.0.0\t08.12.2011\t", "1.0.0\t05.10.1999\t\t"},
        {2, "8.0.0\t12/08/2011\t", "1.0.0\t10/05/1999\t\t"},
        {3, "8.0.0\t2011-12-08\t", "1.0.0\t1999-10-05\t\t"},
        // No such format: an empty date column, two TABs in a row.
        {9, "8.0.0\t\t", "1.0.0\t\t\t"},
        {0, "8.0.0\t\t", "1.0.0\t\t\t"},
    };
    for (const auto& row : rows) {
        DateFormat = row.format;
        const QStringList lines = Lines(VersionHistoryText());
        ASSERT_EQ(lines.size(), 127);
        EXPECT_TRUE(lines.first().startsWith(QString::fromLatin1(row.first))) << row.format;
        EXPECT_TRUE(lines.last().startsWith(QString::fromLatin1(row.last))) << row.format;
    }
}

TEST_F(VersionHistoryTest, EntriesAreNewestFirstWithWellFormedFields)
{
    const std::vector<VersionHistoryEntry> entries = VersionHistoryEntries();
    ASSERT_EQ(entries.size(), 127u);
    const QRegularExpression ref(QStringLiteral("^[FDU]\\d{4}$"));
    const QRegularExpression version(QStringLiteral("^(\\d+)\\.(\\d+)\\.(\\d+)$"));
    const auto number = [&version](const QString& text) {
        const QRegularExpressionMatch m = version.match(text);
        return m.captured(1).toInt() * 10000 + m.captured(2).toInt() * 100 + m.captured(3).toInt();
    };
    std::set<QString> versions;
    std::set<QString> refs;
    for (size_t i = 0; i < entries.size(); ++i) {
        const VersionHistoryEntry& e = entries[i];
        SCOPED_TRACE(e.Version.toStdString() + " " + e.Text.toStdString());
        // The texts go into the clipboard and printed pages: nothing that
        // Windows-1252 cannot hold, no TAB or line break.
        EXPECT_TRUE(e.Text.size() <= 97 && IsStorableText(e.Text));
        EXPECT_EQ(ref.match(e.Ref).hasMatch(), i + 1 < entries.size());
        EXPECT_TRUE(version.match(e.Version).hasMatch());
        EXPECT_FALSE(e.Text.isEmpty());
        if (i + 1 < entries.size()) {
            EXPECT_TRUE(refs.insert(e.Ref).second) << "repeated reference";
        } else {
            EXPECT_EQ(e.Ref, QString());
        }
        if (i > 0) {
            const VersionHistoryEntry& newer = entries[i - 1];
            EXPECT_LE(e.Date, newer.Date);
            // A version's entries stand together and share its date; the
            // next version down is older.
            if (e.Version == newer.Version) {
                EXPECT_EQ(e.Date, newer.Date);
            } else {
                EXPECT_TRUE(versions.count(e.Version) == 0) << "version listed twice apart";
                EXPECT_LT(number(e.Version), number(newer.Version));
                EXPECT_LT(e.Date, newer.Date);
            }
        }
        versions.insert(e.Version);
    }
    EXPECT_EQ(versions.size(), 43u);
}

} // namespace
