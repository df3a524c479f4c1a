// Includes run one way: a module (a file whose name does not start with
// "frm") includes headers of its own folder and of lower folders only; a
// window may include whatever it opens or uses. This reads the source tree
// itself, so a new upward or sideways include fails here.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

// Folders low to high; folders of one level may not include each other.
const QMap<QString, int>& FolderLevels()
{
    static const QMap<QString, int> levels = {
        {QStringLiteral("platform"), 0},    {QStringLiteral("foundation"), 1},
        {QStringLiteral("instrument"), 2},  {QStringLiteral("storage"), 3},
        {QStringLiteral("curves"), 4},      {QStringLiteral("printing"), 5},
        {QStringLiteral("styles"), 6},      {QStringLiteral("system_settings"), 6},
        {QStringLiteral("main_window"), 7}, {QStringLiteral("long_term"), 7},
        {QStringLiteral("app"), 8},
    };
    return levels;
}

// "folder/file:line -> included" for every module include that runs up or
// sideways below the root.
QStringList WrongIncludes(const QString& root)
{
    static const QRegularExpression include(QStringLiteral(R"(^\s*#\s*include\s*"([^"/]+)/[^"]+")"));
    QStringList wrong;
    const QMap<QString, int>& levels = FolderLevels();
    for (auto folder = levels.begin(); folder != levels.end(); ++folder) {
        QDirIterator files(root + QLatin1Char('/') + folder.key(), {QStringLiteral("*.h"), QStringLiteral("*.cpp")},
                           QDir::Files);
        while (files.hasNext()) {
            const QString path = files.next();
            const QString name = QFileInfo(path).fileName();
            if (name.startsWith(QLatin1String("frm")))
                continue;
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
                wrong << path + QStringLiteral(" (unreadable)");
                continue;
            }
            QTextStream in(&file);
            for (int line = 1; !in.atEnd(); ++line) {
                const QRegularExpressionMatch match = include.match(in.readLine());
                if (!match.hasMatch() || !levels.contains(match.captured(1)))
                    continue;
                const QString target = match.captured(1);
                if (target != folder.key() && levels.value(target) >= folder.value())
                    wrong << QStringLiteral("%1/%2:%3 -> %4").arg(folder.key(), name).arg(line).arg(target);
            }
        }
    }
    return wrong;
}

void WriteFile(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

TEST(IncludeOrderTest, FindsUpwardAndSidewaysModuleIncludesButLetsWindowsThrough)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString r = root.path();
    WriteFile(r + "/storage/modDown.cpp", "#include \"storage/modDown.h\"\n#include \"platform/Paths.h\"\n");
    WriteFile(r + "/storage/modUp.h", "#pragma once\n\n#include \"main_window/modGrid.h\"\n");
    WriteFile(r + "/styles/modSide.cpp", " #  include \"system_settings/modX.h\"\n");
    WriteFile(r + "/curves/frmWindow.cpp", "#include \"long_term/frmDetail.h\"\n");
    WriteFile(r + "/app/main.cpp", "#include \"main_window/frmMain.h\"\n");

    QStringList found = WrongIncludes(r);
    found.sort();
    EXPECT_EQ(found, QStringList({"storage/modUp.h:3 -> main_window", "styles/modSide.cpp:1 -> system_settings"}));
}

TEST(IncludeOrderTest, NoModuleOfTheProgramIncludesUpOrSideways)
{
    ASSERT_TRUE(QFileInfo::exists(QStringLiteral(QUINTARA_SOURCE_DIR "/foundation")));
    EXPECT_EQ(WrongIncludes(QStringLiteral(QUINTARA_SOURCE_DIR)).join(QLatin1Char('\n')), QString());
}

} // namespace
