#include "catalogue/ImportPassword.h"

#include "platform/PasswordHash.h"

namespace shoupai {

namespace {
const QString importPasswordHash =
    QStringLiteral("$argon2id$v=19$m=65536,t=2,p=1$yJqsMx5e69IohsFhO6Tvhg$"
                   "O8Sl7kLFqSm7vn2NOtlfbMUjndo8OAwx+xOlJHqI2oM");
} // namespace

bool isImportPassword(const QString& typed)
{
    return passwordhash::verify(importPasswordHash, typed);
}

} // namespace shoupai
