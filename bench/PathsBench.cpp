// Path look-ups in a style folder of 10,000 reports: a name that exists as
// given (one check), a name copied from Windows in another case, and a name
// that is nowhere (as before every new report is written). The last two are
// timed beside one plain listing of the folder, which is what they may cost.
#include "storage/modDisk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int ReportCount = 10000;

QString ReportName(int i)
{
    return QStringLiteral("2024.%1.%2, 10.15.%3.qta")
        .arg(i / 1000 % 12 + 1, 2, 10, QChar(u'0'))
        .arg(i / 100 % 10 + 1, 2, 10, QChar(u'0'))
        .arg(i % 100, 2, 10, QChar(u'0'));
}

struct StyleFolder {
    QTemporaryDir folder;

    StyleFolder()
    {
        for (int i = 0; i < ReportCount; ++i) {
            QFile file(folder.path() + QLatin1Char('/') + QString::number(i) + QLatin1Char(' ') + ReportName(i));
            if (file.open(QIODevice::WriteOnly))
                file.write("QTA");
        }
    }
};

StyleFolder& Folder()
{
    static std::unique_ptr<StyleFolder> folder = std::make_unique<StyleFolder>();
    return *folder;
}

void Paths_ExactName(benchmark::State& state)
{
    const QString root = Folder().folder.path();
    const QString name = QStringLiteral("5000 ") + ReportName(5000);
    for (auto _ : state)
        benchmark::DoNotOptimize(dskFileExists(root, name));
}
BENCHMARK(Paths_ExactName)->Unit(benchmark::kMicrosecond);

void Paths_OtherCase(benchmark::State& state)
{
    const QString root = Folder().folder.path();
    const QString name = (QStringLiteral("5000 ") + ReportName(5000)).toUpper();
    for (auto _ : state)
        benchmark::DoNotOptimize(dskFileExists(root, name));
}
BENCHMARK(Paths_OtherCase)->Unit(benchmark::kMicrosecond);

void Paths_Missing(benchmark::State& state)
{
    const QString root = Folder().folder.path();
    for (auto _ : state)
        benchmark::DoNotOptimize(dskFileExists(root, QStringLiteral("2099.01.01, 00.00.00.QTA")));
}
BENCHMARK(Paths_Missing)->Unit(benchmark::kMicrosecond);

void Paths_PlainListing(benchmark::State& state)
{
    const QString root = Folder().folder.path();
    for (auto _ : state)
        benchmark::DoNotOptimize(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Unsorted));
}
BENCHMARK(Paths_PlainListing)->Unit(benchmark::kMicrosecond);

} // namespace
