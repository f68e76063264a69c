#pragma once

#include <QString>

namespace shoupai::passwordhash {

// Administrator passwords are kept as argon2id hashes (libsodium's
// crypto_pwhash_str), never as the password itself.
QString hash(const QString& password);
// True when the stored value is a hash this module made.
bool isHash(const QString& stored);
// Checks a password against a stored hash.
bool verify(const QString& stored, const QString& password);
// Tests set the cheapest cost so that hashing does not dominate them.
void useMinimumCostForTests();

} // namespace shoupai::passwordhash
