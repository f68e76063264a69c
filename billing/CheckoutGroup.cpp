#include "billing/CheckoutGroup.h"

#include "platform/Database.h"

#include <algorithm>

namespace shoupai {

namespace checkoutgroup {

std::optional<OpenBillRow> openBillOf(const Database& database, const QString& tag)
{
    Rows rows = database.query(QStringLiteral("select * from 手牌开单 where 手牌号码 = ?"), {tag});
    if (!rows.next())
        return std::nullopt;
    OpenBillRow row;
    row.tag = tag;
    row.mainTag = rows.text(QStringLiteral("主手牌号"));
    row.guestName = rows.text(QStringLiteral("顾客姓名"));
    row.deposit = rows.money(QStringLiteral("押金金额"));
    const QDateTime entered = rows.dateTime(QStringLiteral("进店时间"));
    row.entryTime = entered.isValid() ? entered.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                      : rows.text(QStringLiteral("进店时间"));
    return row;
}

QStringList tags(const Database& database, const QString& mainTag)
{
    QStringList list;
    Rows rows = database.query(
        QStringLiteral("select 手牌号码 from 手牌开单 where 主手牌号 = ? order by 手牌号码"),
        {mainTag});
    while (rows.next())
        list << rows.text(QStringLiteral("手牌号码"));
    return list;
}

void resetLineTotals(Database& database, const QString& mainTag)
{
    database.exec(QStringLiteral("update 手牌消费 set 合计 = 单价 * 数量 where 主手牌号 = ?"),
                  {mainTag});
}

Money consumptionTotal(const Database& database, const QString& mainTag)
{
    return stored::toMoney(database.scalar(
        QStringLiteral("select sum(数量 * 实际单价) from 手牌消费 where 主手牌号 = ?"), {mainTag}));
}

Money receivableTotal(const Database& database, const QString& mainTag)
{
    return stored::toMoney(database.scalar(
        QStringLiteral("select sum(合计) from 手牌消费 where 主手牌号 = ?"), {mainTag}));
}

int lineCount(const Database& database, const QString& mainTag)
{
    return database
        .scalar(QStringLiteral("select count(*) from 手牌消费 where 主手牌号 = ?"), {mainTag})
        .toInt();
}

GroupTotals totals(const Database& database, const QString& mainTag)
{
    Rows rows =
        database.query(QStringLiteral("select count(*) as 行数, sum(数量 * 实际单价) as 大合计, "
                                      "sum(合计) as 应收 from 手牌消费 where 主手牌号 = ?"),
                       {mainTag});
    GroupTotals result;
    if (rows.next()) {
        result.lines = int(rows.integer(QStringLiteral("行数")));
        result.consumption = rows.money(QStringLiteral("大合计"));
        result.linesTotal = rows.money(QStringLiteral("应收"));
    }
    return result;
}

std::optional<Money> parseRate(const QString& text)
{
    const std::optional<Money> rate = Money::parse(text);
    if (!rate || rate->isNegative() || *rate > Money::fromUnits(10))
        return std::nullopt;
    return rate;
}

void applyDiscount(Database& database, const QString& mainTag, Money rate)
{
    Transaction transaction(database);
    // One update per distinct price and quantity: the rounding is done here, half
    // to even, which the engines' round() does not do.
    QList<std::pair<Money, qint64>> pairs;
    {
        Rows rows = database.query(QStringLiteral("select distinct 单价, 数量 from 手牌消费 "
                                                  "where 主手牌号 = ? and 参与打折 = ?"),
                                   {mainTag, QStringLiteral("y")});
        while (rows.next())
            pairs.append(
                {rows.money(QStringLiteral("单价")), rows.integer(QStringLiteral("数量"))});
    }
    for (const auto& [price, quantity] : pairs) {
        const Money total = price.times(quantity).times(rate);
        database.exec(QStringLiteral("update 手牌消费 set 合计 = ? where 主手牌号 = ? and "
                                     "参与打折 = ? and 单价 = ? and 数量 = ?"),
                      {QVariant::fromValue(total), mainTag, QStringLiteral("y"),
                       QVariant::fromValue(price), QVariant::fromValue<qlonglong>(quantity)});
    }
    transaction.commit();
}

JoinResult join(Database& database, const QString& mainTag, const QString& tag)
{
    // Both groups' open rows are locked in one statement, in tag order as every
    // command that locks several of them does: a posting, a line or another
    // join on either group waits for this one instead of crossing it, and a
    // line added to the moving group meanwhile moves with it. The tag's group
    // is read first; if the tag became a main tag before the lock, it is taken again.
    for (;;) {
        QString itsMainTag;
        {
            Rows rows = database.query(
                QStringLiteral("select 主手牌号 from 手牌开单 where 手牌号码 = ?"), {tag});
            if (rows.next())
                itsMainTag = rows.text(QStringLiteral("主手牌号"));
        }
        Transaction transaction(database);
        bool groupOpen = false;
        bool tagOpen = false;
        QString lockedMainTag;
        {
            Rows rows = database.query(
                QStringLiteral("select 手牌号码, 主手牌号 from 手牌开单 where 主手牌号 = ? or "
                               "主手牌号 = ? or 手牌号码 = ? order by 手牌号码") +
                    database.dialect().forUpdate(),
                {mainTag, itsMainTag, tag});
            while (rows.next()) {
                const QString rowMain = rows.text(QStringLiteral("主手牌号"));
                groupOpen = groupOpen || rowMain == mainTag;
                if (rows.text(QStringLiteral("手牌号码")) == tag) {
                    tagOpen = true;
                    lockedMainTag = rowMain;
                }
            }
        }
        if (!groupOpen)
            return JoinResult::GroupClosed;
        if (!tagOpen)
            return JoinResult::NoOpenBill;
        if (lockedMainTag == mainTag)
            return JoinResult::AlreadyInGroup;
        // The main tag of another group brings the whole group; any other tag comes alone.
        const bool wholeGroup = lockedMainTag == tag;
        if (wholeGroup && itsMainTag != tag)
            continue; // it became a main tag meanwhile: its group's rows are not locked
        const QString column = wholeGroup ? QStringLiteral("主手牌号") : QStringLiteral("手牌号码");
        for (const QString& table : {QStringLiteral("手牌消费"), QStringLiteral("手牌开单")})
            database.exec(
                QStringLiteral("update %1 set 主手牌号 = ? where %2 = ?").arg(table, column),
                {mainTag, tag});
        transaction.commit();
        return JoinResult::Joined;
    }
}

bool detach(Database& database, const QString& mainTag, const QString& tag)
{
    Transaction transaction(database);
    // The tag's open bill first, the row that posting and adding a line lock too:
    // the move then waits for them instead of crossing them.
    {
        Rows rows =
            database.query(QStringLiteral("select 主手牌号 from 手牌开单 where 手牌号码 = ?") +
                               database.dialect().forUpdate(),
                           {tag});
        if (!rows.next() || rows.text(QStringLiteral("主手牌号")) != mainTag)
            return false;
    }
    for (const QString& table : {QStringLiteral("手牌消费"), QStringLiteral("手牌开单")})
        database.exec(QStringLiteral("update %1 set 主手牌号 = ? where 手牌号码 = ?").arg(table),
                      {tag, tag});
    transaction.commit();
    return true;
}

} // namespace checkoutgroup

PaymentSplit splitPayment(bool byCard, Money cardBalance, Money receivable)
{
    if (!byCard)
        return {Money(), receivable};
    const Money fromCard = std::max(Money(), std::min(cardBalance, receivable));
    return {fromCard, receivable - fromCard};
}

} // namespace shoupai
