#pragma once

#include "platform/StoredPassword.h"

#include <QString>

namespace shoupai {

class Database;

// The password every new member receives and a reset restores.
inline const QString& DefaultMemberPassword = DefaultPassword;

// Whether the typed password is that of the member whose row was read with
// stored in 密码; a plain stored password that matches is replaced by its hash.
bool confirmMemberPassword(Database& database, const QString& card, const QString& stored,
                           const QString& typed);

} // namespace shoupai
