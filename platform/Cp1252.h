#pragma once
// Windows-1252, the code page of every file, data string and serial byte.
// The codec is lossless both ways: the five bytes Windows leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to U+0081 and so on, so any byte string
// survives a trip through QString. A character outside the code page is
// written as "?", a blank outside it (U+2009, U+202F ...) as a blank.
#include <QChar>
#include <QString>
#include <string>

QString FromCp1252(const std::string& bytes);
std::string ToCp1252(const QString& text);

// One character each way; ToCp1252Char gives '?' for characters outside the
// code page and ' ' for blanks outside it.
QChar Cp1252ToChar(unsigned char byte);
char ToCp1252Char(QChar ch);
// True when the character has a byte in the code page.
bool IsCp1252Char(QChar ch);
