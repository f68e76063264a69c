#include "members/MemberPassword.h"

#include "platform/PasswordHash.h"

namespace shoupai {

bool memberPasswordMatches(const QString& stored, const QString& typed)
{
    if (passwordhash::isHash(stored))
        return passwordhash::verify(stored, typed);
    return stored == typed;
}

} // namespace shoupai
