#pragma once

#include "members/MemberOutcome.h"

#include <QString>

namespace shoupai {

class Database;

// Changing a member password (knowing the old one is enough) and resetting it
// to the initial one (an operator's act, logged).
namespace memberpasswords {

MemberOutcome change(Database& database, const QString& card, const QString& oldPassword,
                     const QString& newPassword, const QString& confirmation);
// The password and its 日志 row are written together or not at all.
MemberOutcome reset(Database& database, const QString& card, const QString& operatorName);

} // namespace memberpasswords
} // namespace shoupai
