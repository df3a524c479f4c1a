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
                 "Datei[1]=OTHER.DAT\n"
                 "Name=M\xFC" "ller\n");
    EXPECT_EQ(ini.Value("DATEN", "DATEI[1]"), "MAN.DAT");
    EXPECT_EQ(ini.Value("daten", "Datei[3]"), "bal.dat");
    EXPECT_EQ(ini.Value("Daten", "Datei[4]"), "C:\\Quintara\\4300.DAT ; not a comment");
    EXPECT_EQ(ini.Value("Daten", "Leer", "default"), "");
    EXPECT_TRUE(ini.HasKey("Daten", "Leer"));
    EXPECT_EQ(ini.Value("Daten", "Quoted"), "\"a b\"");
    EXPECT_EQ(ini.Value("Other", "Datei[1]"), "OTHER.DAT");
    EXPECT_EQ(ini.Value("Other", "Name"), QString::fromUtf8("Müller"));
    EXPECT_EQ(ini.Value("Daten", "Datei[5]", "4800.DAT"), "4800.DAT");
    EXPECT_EQ(ini.Value("Missing", "Datei[1]", "x"), "x");
    EXPECT_FALSE(ini.HasKey("Daten", "Datei[5]"));
}

TEST(IniFileTest, FirstSectionAndFirstKeyCount)
{
    IniFile ini;
    ini.LoadText("Orphan=1\n[A]\n[B]\nk=b\n[A]\nk=second\n[B]\nk=again\nk=third\n");
    EXPECT_EQ(ini.Value("A", "k", "none"), "none");
    EXPECT_EQ(ini.Value("B", "k"), "b");
    EXPECT_FALSE(ini.HasKey("", "Orphan"));
}

TEST(IniFileTest, MissingFileIsAFailedLoadWithDefaults)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    IniFile ini;
    EXPECT_FALSE(ini.Load(dir.filePath("NONE.INI")));
    EXPECT_EQ(ini.Value("Daten", "Datei[1]", "MAN.DAT"), "MAN.DAT");

    ASSERT_TRUE(WriteFile(dir.filePath("X.INI"), "[Daten]\nDatei[1]=A.DAT\n"));
    EXPECT_TRUE(ini.Load(dir.filePath("X.INI")));
    EXPECT_EQ(ini.Value("Daten", "Datei[1]"), "A.DAT");
    EXPECT_FALSE(ini.Load(dir.filePath("NONE.INI")));
    EXPECT_EQ(ini.Value("Daten", "Datei[1]", "MAN.DAT"), "MAN.DAT");
}

TEST_F(InstallationTest, ReadsCustomerAndVariantFromTheProgramFolderElseTheDefaults)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    SetInstallationCustomer(QStringLiteral("Left over"));
    SetInstallationTestArea44Variant(true);
    EXPECT_FALSE(LoadInstallation(dir.path()));
    EXPECT_EQ(InstallationCustomer(), "");
    EXPECT_FALSE(InstallationTestArea44Variant());

    // A file copied from Windows may have another case.
    ASSERT_TRUE(WriteFile(QDir(dir.path()).filePath("quintara.ini"),
                          "[installation]\r\nCustomer=Weberei S\xE4ntis AG\r\nTestArea44Variant=1\r\n"));
    EXPECT_TRUE(LoadInstallation(dir.path()));
    EXPECT_EQ(InstallationCustomer(), QString::fromUtf8("Weberei Säntis AG"));
    EXPECT_TRUE(InstallationTestArea44Variant());

    ASSERT_TRUE(WriteFile(QDir(dir.path()).filePath("quintara.ini"), "[Installation]\nTestArea44Variant=0\n"));
    EXPECT_TRUE(LoadInstallation(dir.path()));
    EXPECT_EQ(InstallationCustomer(), "");
    EXPECT_FALSE(InstallationTestArea44Variant());

    ASSERT_TRUE(WriteFile(QDir(dir.path()).filePath("quintara.ini"), "[Other]\nTestArea44Variant=1\n"));
    EXPECT_TRUE(LoadInstallation(dir.path()));
    EXPECT_FALSE(InstallationTestArea44Variant());
}
