#include "platform/StoredPassword.h"

#include "platform/Database.h"
#include "platform/PasswordHash.h"

namespace shoupai::storedpassword {

bool matches(const QString& stored, const QString& typed)
{
    if (passwordhash::isHash(stored))
        return passwordhash::verify(stored, typed);
    // A row written before passwords were hashed: the exact text.
    return stored == typed;
}

bool verifyAndUpgrade(Database& database, const QString& table, const QString& keyColumn,
                      const QString& key, const QString& stored, const QString& typed)
{
    if (!matches(stored, typed))
        return false;
    if (!passwordhash::isHash(stored)) {
        const Dialect& dialect = database.dialect();
        const QString password = dialect.quote(QStringLiteral("密码"));
        database.exec(QStringLiteral("update %1 set %2 = ? where %3 = ? and %2 = ?")
                          .arg(dialect.quote(table), password, dialect.quote(keyColumn)),
                      {passwordhash::hash(typed), key, stored});
    }
    return true;
}

} // namespace shoupai::storedpassword
