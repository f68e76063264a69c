#pragma once

// Shared by the member tests: members set up directly, and a desk with a session.

#include "TestDatabase.h"
#include "TestHome.h"
#include "app/Session.h"
#include "common/Prompter.h"
#include "platform/Database.h"
#include "platform/PasswordHash.h"

namespace shoupai::test {

// A member as a checkout or an older program would have left it; password as stored.
inline void addMemberRow(Database& db, const QString& card, const QString& name,
                         const QString& balance = QStringLiteral("0"),
                         const QString& type = QStringLiteral("银卡"),
                         const QString& password = QStringLiteral("2863"))
{
    db.exec(QStringLiteral("insert into 会员管理 (会员卡号, 会员姓名, 密码, 当前状态, 卡内金额, "
                           "当前积分, 会员性别, 会员类型) values (?, ?, ?, ?, ?, ?, ?, ?)"),
            {card, name, password, QStringLiteral("可用"),
             QVariant::fromValue(*Money::parse(balance)), 7.0, QStringLiteral("女"), type});
}

inline Money balanceOf(Database& db, const QString& card)
{
    return stored::toMoney(
        db.scalar(QStringLiteral("select 卡内金额 from 会员管理 where 会员卡号 = ?"), {card}));
}

inline QString passwordOf(Database& db, const QString& card)
{
    return db.scalar(QStringLiteral("select 密码 from 会员管理 where 会员卡号 = ?"), {card})
        .toString();
}

inline qint64 countOf(Database& db, const QString& sql, const QVariantList& values = {})
{
    return db.scalar(sql, values).toLongLong();
}

// A logged-in operator with every permission on the sample venue.
struct Desk
{
    ScriptedPrompter prompter;
    SeededDatabase base;
    Session session;

    Desk()
    {
        session.start(writeSystemIni(base));
        session.operatorName = QStringLiteral("收银员甲");
        session.permissions = Permissions::all();
    }
    Database& db() { return session.database(); }
};

} // namespace shoupai::test
