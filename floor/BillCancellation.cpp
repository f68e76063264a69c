#include "floor/BillCancellation.h"

#include "platform/Database.h"

namespace shoupai {

QStringList cancelOpenBill(Database& database, const QString& tag)
{
    Transaction transaction(database);
    const Dialect& dialect = database.dialect();
    // Lock the tag first, so that a checkout on another workstation waits.
    database.query(QStringLiteral("select 手牌号码 from 手牌管理 where 手牌号码 = ?") +
                       dialect.forUpdate(),
                   {tag});

    QString mainTag = tag;
    {
        Rows own = database.query(
            QStringLiteral("select 主手牌号 from 手牌开单 where 手牌号码 = ?"), {tag});
        if (own.next() && !own.text(QStringLiteral("主手牌号")).isEmpty())
            mainTag = own.text(QStringLiteral("主手牌号"));
    }

    QStringList freed{tag};
    if (mainTag == tag) {
        Rows group = database.query(
            QStringLiteral("select 手牌号码 from 手牌开单 where 主手牌号 = ? order by 手牌号码"),
            {tag});
        while (group.next()) {
            const QString member = group.text(QStringLiteral("手牌号码"));
            if (!freed.contains(member))
                freed << member;
        }
        database.exec(QStringLiteral("delete from 手牌消费 where 主手牌号 = ? or 手牌号码 = ?"),
                      {tag, tag});
        database.exec(QStringLiteral("delete from 手牌开单 where 主手牌号 = ? or 手牌号码 = ?"),
                      {tag, tag});
    } else {
        database.exec(QStringLiteral("delete from 手牌消费 where 手牌号码 = ?"), {tag});
        database.exec(QStringLiteral("delete from 手牌开单 where 手牌号码 = ?"), {tag});
    }
    for (const QString& member : std::as_const(freed)) {
        database.exec(QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ?"),
                      {QStringLiteral("可用"), member});
    }
    transaction.commit();
    return freed;
}

} // namespace shoupai
