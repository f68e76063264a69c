#include "members/MemberPasswordChange.h"

#include "members/MemberPassword.h"
#include "platform/AuditLog.h"
#include "platform/Database.h"
#include "platform/PasswordHash.h"

namespace shoupai::memberpasswords {

MemberOutcome change(Database& database, const QString& card, const QString& oldPassword,
                     const QString& newPassword, const QString& confirmation)
{
    const QString wrongOld = QStringLiteral("旧密码输入错误！");
    const QString key = card.trimmed();
    try {
        Rows member =
            database.query(QStringLiteral("select 密码 from 会员管理 where 会员卡号 = ?"), {key});
        // An unknown card and a wrong password read alike: nothing tells which cards exist.
        if (!member.next() ||
            !confirmMemberPassword(database, key, member.text(QStringLiteral("密码")), oldPassword))
            return MemberOutcome::refused(wrongOld);
        if (newPassword != confirmation)
            return MemberOutcome::refused(QStringLiteral("两次输入的新密码不一致！"));
        const QString hashed = passwordhash::hash(newPassword);
        Transaction transaction(database);
        if (database.exec(QStringLiteral("update 会员管理 set 密码 = ? where 会员卡号 = ?"),
                          {hashed, key}) == 0)
            return MemberOutcome::refused(wrongOld);
        transaction.commit();
    } catch (const DatabaseError& error) {
        return MemberOutcome::refused(error.text());
    }
    return MemberOutcome::ok();
}

MemberOutcome reset(Database& database, const QString& card, const QString& operatorName)
{
    const QString key = card.trimmed();
    try {
        const QString hashed = passwordhash::hash(DefaultMemberPassword);
        Transaction transaction(database);
        if (database.exec(QStringLiteral("update 会员管理 set 密码 = ? where 会员卡号 = ?"),
                          {hashed, key}) == 0)
            return MemberOutcome::refused(QStringLiteral("没有找到改会员!"));
        auditlog::write(database, QStringLiteral("重置密码"), operatorName,
                        QStringLiteral("会员卡号:") + key);
        transaction.commit();
    } catch (const DatabaseError& error) {
        return MemberOutcome::refused(error.text());
    }
    return MemberOutcome::ok();
}

} // namespace shoupai::memberpasswords
