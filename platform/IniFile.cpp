#include "platform/IniFile.h"

#include "platform/Cp1252.h"

#include <QFile>

namespace {

QString TrimBlanksAndTabs(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && (text.at(begin) == QLatin1Char(' ') || text.at(begin) == QLatin1Char('\t')))
        ++begin;
    while (end > begin && (text.at(end - 1) == QLatin1Char(' ') || text.at(end - 1) == QLatin1Char('\t')))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

bool IniFile::Load(const QString& path)
{
    entries_.clear();
    sections_.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // An initialisation file is a few lines; anything beyond 1 MB is not one.
    const qint64 limit = 1024 * 1024;
    const QByteArray bytes = file.read(limit);
    if (bytes.isEmpty() && file.error() != QFileDevice::NoError)
        return false;
    LoadText(bytes.toStdString());
    return true;
}

void IniFile::LoadText(const std::string& bytes)
{
    entries_.clear();
    sections_.clear();
    QString text = FromCp1252(bytes);
    // A UTF-8 byte-order mark written by an editor is no part of the first line.
    if (text.startsWith(QStringLiteral("\u00EF\u00BB\u00BF")))
        text.remove(0, 3);
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = TrimBlanksAndTabs(line);
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
            continue;
        if (trimmed.startsWith(QLatin1Char('['))) {
            const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
            const QString name = close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1);
            sections_.push_back(TrimBlanksAndTabs(name).toLower());
            continue;
        }
        const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
        if (sections_.empty() || equals <= 0)
            continue;
        Entry entry;
        entry.Section = static_cast<int>(sections_.size()) - 1;
        entry.Key = TrimBlanksAndTabs(trimmed.left(equals)).toLower();
        entry.Value = TrimBlanksAndTabs(trimmed.mid(equals + 1));
        if (entry.Key.isEmpty())
            continue;
        entries_.push_back(entry);
    }
}

const IniFile::Entry* IniFile::Find(const QString& section, const QString& key) const
{
    const QString wantedSection = TrimBlanksAndTabs(section).toLower();
    const QString wantedKey = TrimBlanksAndTabs(key).toLower();
    // Only the first section of a name is looked at; a repeated section
    // further down is ignored, as the Windows profile functions do.
    int wanted = -1;
    for (size_t i = 0; i < sections_.size(); ++i) {
        if (sections_[i] == wantedSection) {
            wanted = static_cast<int>(i);
            break;
        }
    }
    if (wanted < 0)
        return nullptr;
    for (const Entry& entry : entries_) {
        if (entry.Section == wanted && entry.Key == wantedKey)
            return &entry;
    }
    return nullptr;
}

QString IniFile::Value(const QString& section, const QString& key, const QString& defaultValue) const
{
    const Entry* entry = Find(section, key);
    return entry ? entry->Value : defaultValue;
}

bool IniFile::HasKey(const QString& section, const QString& key) const
{
    return Find(section, key) != nullptr;
}
