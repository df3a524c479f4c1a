#pragma once
// Trimming as the original platform does it: blanks (U+0020) only, never
// tabs or line ends.
#include <QString>
#include <string>

QString Trim(const QString& text);
QString LTrim(const QString& text);
QString RTrim(const QString& text);
std::string Trim(const std::string& text);
