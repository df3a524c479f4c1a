#include "platform/IniFile.h"
#include "platform/Installation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

bool WriteFile(const QString& path, const std::string& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

class InstallationTest : public ::testing::Test {
protected:
    void SetUp() override { ResetInstallation(); }
    void TearDown() override { ResetInstallation(); }
};

} // namespace

TEST(IniFileTest, SectionsAndKeysIgnoreCaseAndValuesAreRaw)
{
    IniFile ini;
    ini.LoadText("; the previous version's files\r\n"
                 "[Daten]\r\n"
                 "Datei[1]=MAN.DAT\r\n"
                 "  datei[3] =  bal.dat  \r\n"
                 "Datei[4]=C:\\Quintara\\4300.DAT ; not a comment\r\n"
                 "Leer=\r\n"
                 "Quoted=\"a b\"\r\n"
                 "[Other]\n"
                 "Name=M\xFC" "ller\n"
                 "[B]\nk=b\n[Daten]\nk=second\n[B]\nk=again\nk=third\n");
    const struct {
        const char* section;
        const char* key;
        QString value;   // "default" when absent
    } rows[] = {
        {"DATEN", "DATEI[1]", "MAN.DAT"},
        {"daten", "Datei[3]", "bal.dat"},
        {"Daten", "Datei[4]", "C:\\Quintara\\4300.DAT ; not a comment"},
        {"Daten", "Leer", ""},
        {"Daten", "Quoted", "\"a b\""},
        {"Other", "Name", QString::fromUtf8("Müller")},
        {"Daten", "Datei[5]", "default"},
        {"Missing", "Datei[1]", "default"},
        // The first section and the first key of a name count.
        {"Daten", "k", "default"},
        {"B", "k", "b"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ini.Value(row.section, row.key, "default"), row.value) << row.section << " " << row.key;
    EXPECT_TRUE(ini.HasKey("Daten", "Leer"));

    // A key before the first section belongs to none.
    ini.LoadText("Orphan=1\n[A]\nk=a\n");
    EXPECT_FALSE(ini.HasKey("", "Orphan"));
    EXPECT_EQ(ini.Value("", "Orphan", "none"), "none");
}

TEST(IniFileTest, MissingFileIsAFailedLoadWithDefaults)
{
    QTemporaryDir dir;
    IniFile ini;
    ASSERT_TRUE(WriteFile(dir.filePath("X.INI"), "[Daten]\nDatei[1]=A.DAT\n"));
    EXPECT_TRUE(ini.Load(dir.filePath("X.INI")));
    EXPECT_EQ(ini.Value("Daten", "Datei[1]"), "A.DAT");
    EXPECT_FALSE(ini.Load(dir.filePath("NONE.INI")));
    EXPECT_EQ(ini.Value("Daten", "Datei[1]", "MAN.DAT"), "MAN.DAT");
}

TEST_F(InstallationTest, ReadsCustomerAndVariantFromTheProgramFolderElseTheDefaults)
{
    QTemporaryDir dir;
    SetInstallationCustomer(QStringLiteral("Left over"));
    SetInstallationTestArea44Variant(true);
    EXPECT_FALSE(LoadInstallation(dir.path()));
    EXPECT_EQ(InstallationCustomer(), "");
    EXPECT_FALSE(InstallationTestArea44Variant());
    const struct {
        std::string file;
        QString customer;
        bool variant;
    } rows[] = {
        // A file copied from Windows may have another case.
        {"[installation]\r\nCustomer=Weberei S\xE4ntis AG\r\nTestArea44Variant=1\r\n",
         QString::fromUtf8("Weberei Säntis AG"), true},
        {"[Installation]\nTestArea44Variant=0\n", "", false},
        {"[Other]\nTestArea44Variant=1\n", "", false},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(WriteFile(QDir(dir.path()).filePath("quintara.ini"), row.file));
        EXPECT_TRUE(LoadInstallation(dir.path()));
        EXPECT_EQ(InstallationCustomer(), row.customer);
        EXPECT_EQ(InstallationTestArea44Variant(), row.variant) << row.file;
    }
}
