#pragma once
// Folders of many files that the benchmarks stand beside, made once into a
// cache folder beside the build (bench-cache next to the benchmark program)
// and kept for later runs (a marker beside each says it is whole): writing 100,000 files costs minutes, reading their
// names back costs nothing.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

#include <functional>

// The folder bench-cache/<name>, filled by make unless the marker
// <name>.COMPLETE beside it says an earlier run finished it; make writes the
// files into the folder it is given.
inline QString BenchCacheFolder(const QString& name, const std::function<void(const QString&)>& make)
{
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/bench-cache/") + name;
    const QString marker = folder + QStringLiteral(".COMPLETE");
    if (QFile::exists(marker))
        return folder;
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    make(folder);
    QFile done(marker);
    done.open(QIODevice::WriteOnly);
    return folder;
}
