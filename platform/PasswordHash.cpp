#include "platform/PasswordHash.h"

#include <sodium.h>

#include <stdexcept>

namespace shoupai::passwordhash {

namespace {

unsigned long long opsLimit = crypto_pwhash_OPSLIMIT_INTERACTIVE;
size_t memLimit = crypto_pwhash_MEMLIMIT_INTERACTIVE;

void ensureInitialised()
{
    static const bool ready = sodium_init() >= 0;
    if (!ready)
        throw std::runtime_error("libsodium could not be initialised");
}

} // namespace

void useMinimumCostForTests()
{
    opsLimit = crypto_pwhash_OPSLIMIT_MIN;
    memLimit = crypto_pwhash_MEMLIMIT_MIN;
}

QString hash(const QString& password)
{
    ensureInitialised();
    const QByteArray bytes = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, bytes.constData(), static_cast<unsigned long long>(bytes.size()),
                          opsLimit, memLimit) != 0)
        throw std::runtime_error("out of memory while hashing a password");
    return QString::fromLatin1(out);
}

bool isHash(const QString& stored)
{
    return stored.startsWith(QStringLiteral(crypto_pwhash_STRPREFIX));
}

bool verify(const QString& stored, const QString& password)
{
    if (!isHash(stored))
        return false;
    ensureInitialised();
    const QByteArray hashBytes = stored.toLatin1();
    const QByteArray bytes = password.toUtf8();
    return crypto_pwhash_str_verify(hashBytes.constData(), bytes.constData(),
                                    static_cast<unsigned long long>(bytes.size())) == 0;
}

} // namespace shoupai::passwordhash
