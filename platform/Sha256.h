#pragma once
// SHA-256 by OpenSSL's libcrypto: the checksums of records and pending files
// are taken of whole series files at every save, where Qt's own hash ran
// at a tenth of the speed.
#include <QByteArray>
#include <cstddef>
#include <string>

// The 32 bytes of the SHA-256 of the bytes.
QByteArray Sha256(const char* data, std::size_t size);
inline QByteArray Sha256(const std::string& bytes) { return Sha256(bytes.data(), bytes.size()); }
