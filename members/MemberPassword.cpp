#include "members/MemberPassword.h"

namespace shoupai {

bool confirmMemberPassword(Database& database, const QString& card, const QString& stored,
                           const QString& typed)
{
    return storedpassword::verifyAndUpgrade(database, QStringLiteral("会员管理"),
                                            QStringLiteral("会员卡号"), card, stored, typed);
}

} // namespace shoupai
