#pragma once

#include <QString>

namespace shoupai {

class Database;

// The password every new member and every new administrator receives, and
// the one a member password reset restores.
inline const QString DefaultPassword = QStringLiteral("2863");

// Passwords of members and administrators as the tables keep them: rows written
// before passwords were hashed hold the password itself, newer ones an argon2id
// hash. Both are accepted; the plain ones are replaced by their hash on use.
namespace storedpassword {

// Whether typed is the password the stored value stands for. Reads nothing,
// writes nothing (a prefill check, a default-password probe).
bool matches(const QString& stored, const QString& typed);

// The row of table whose keyColumn is key was read with stored in 密码.
// Returns whether typed matches it; a matching plain value is replaced by its
// hash, but only while the row still holds that value, so a password another
// workstation changed meanwhile is never written back over.
bool verifyAndUpgrade(Database& database, const QString& table, const QString& keyColumn,
                      const QString& key, const QString& stored, const QString& typed);

} // namespace storedpassword

} // namespace shoupai
