#include "platform/Sha256.h"

#include <openssl/evp.h>

QByteArray Sha256(const char* data, std::size_t size)
{
    // Fetched once: looking the algorithm up costs more than hashing a
    // small file.
    static EVP_MD* const algorithm = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    QByteArray sum(EVP_MAX_MD_SIZE, '\0');
    unsigned int length = 0;
    if (algorithm == nullptr
        || EVP_Digest(data, size, reinterpret_cast<unsigned char*>(sum.data()), &length, algorithm, nullptr) != 1)
        return QByteArray();
    sum.resize(static_cast<qsizetype>(length));
    return sum;
}
