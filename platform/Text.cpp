#include "platform/Text.h"

QString LTrim(const QString& text)
{
    qsizetype first = 0;
    while (first < text.size() && text.at(first) == u' ')
        ++first;
    return text.mid(first);
}

QString RTrim(const QString& text)
{
    qsizetype last = text.size();
    while (last > 0 && text.at(last - 1) == u' ')
        --last;
    return text.left(last);
}

QString Trim(const QString& text) { return LTrim(RTrim(text)); }

std::string Trim(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}
