#include "SoakChecks.h"

#include "platform/Database.h"

namespace shoupai::test {

namespace {

QHash<QString, Money> moneyBy(const Database& db, const QString& sql,
                              const QVariantList& values = {})
{
    QHash<QString, Money> sums;
    Rows rows = db.query(sql, values);
    while (rows.next())
        sums.insert(rows.text(QStringLiteral("k")), rows.money(QStringLiteral("v")));
    return sums;
}

QHash<QString, qint64> countBy(const Database& db, const QString& sql,
                               const QVariantList& values = {})
{
    QHash<QString, qint64> sums;
    Rows rows = db.query(sql, values);
    while (rows.next())
        sums.insert(rows.text(QStringLiteral("k")),
                    rows.number(QStringLiteral("v")).roundedToUnits().ticks() / Money::Scale);
    return sums;
}

const QString StockGoods = QStringLiteral("商品名 in (select 商品名 from 商品库 where 商品类型 in "
                                          "(select 名称 from 商品类型 where 库存 = ?))");

SoakBaseline figures(const Database& db)
{
    SoakBaseline b;
    b.balances = moneyBy(db, QStringLiteral("select 会员卡号 as k, 卡内金额 as v from 会员管理"));
    b.recharged = moneyBy(
        db,
        QStringLiteral("select 会员卡号 as k, sum(充值金额) as v from 会员充值 group by 会员卡号"));
    b.deducted = moneyBy(db,
                         QStringLiteral("select 会员卡号 as k, sum(卡内扣除) as v from 结帐管理 "
                                        "where 结帐方式 = ? and 状态 <> ? group by 会员卡号"),
                         {QStringLiteral("卡内扣除"), QStringLiteral("免单")});
    b.stock =
        countBy(db, QStringLiteral("select 商品名 as k, 库存 as v from 商品库 where ") + StockGoods,
                {true});
    b.bought = countBy(
        db, QStringLiteral("select 商品名 as k, sum(数量) as v from 进货表 group by 商品名"));
    b.sold = countBy(
        db, QStringLiteral(
                "select k, sum(v) as v from (select 商品名 as k, 数量 as v from 结帐明细 union all "
                "select 商品名 as k, 数量 as v from 手牌消费) as lines group by k"));
    b.paidCommission = moneyBy(db,
                               QStringLiteral("select 员工编号 as k, sum(提成金额) as v from "
                                              "结帐明细 where tcyf = ? group by 员工编号"),
                               {QStringLiteral("1")});
    b.wageCommission = moneyBy(
        db,
        QStringLiteral("select 员工编号 as k, sum(提成) as v from 员工工资表 group by 员工编号"));
    return b;
}

template <typename T>
T delta(const QHash<QString, T>& now, const QHash<QString, T>& then, const QString& key)
{
    return now.value(key) - then.value(key);
}

} // namespace

SoakBaseline takeSoakBaseline(const Database& database)
{
    return figures(database);
}

QStringList checkSoak(const Database& db, const SoakBaseline& base)
{
    QStringList violations;
    const SoakBaseline now = figures(db);
    {
        Rows rows = db.query(QStringLiteral(
            "select h.单据号, h.消费金额, coalesce(sum(d.合计), 0) as 明细 from 结帐管理 h "
            "left join 结帐明细 d on d.单据号 = h.单据号 group by h.id, h.单据号, h.消费金额 "
            "having h.消费金额 <> coalesce(sum(d.合计), 0)"));
        while (rows.next())
            violations << QStringLiteral("bill %1: header %2, lines %3")
                              .arg(rows.text(QStringLiteral("单据号")),
                                   rows.money(QStringLiteral("消费金额")).toString(),
                                   rows.money(QStringLiteral("明细")).toString());
    }
    {
        Rows rows = db.query(QStringLiteral(
            "select 单据号, count(*) as n from 结帐管理 group by 单据号 having count(*) > 1"));
        while (rows.next())
            violations << QStringLiteral("bill number %1 used %2 times")
                              .arg(rows.text(QStringLiteral("单据号")))
                              .arg(rows.integer(QStringLiteral("n")));
    }
    {
        const qint64 counter =
            db.scalar(QStringLiteral("select 单据号 from 单据号")).toString().toLongLong();
        const qint64 largest =
            db.scalar(QStringLiteral("select max(cast(单据号 as bigint)) from 结帐管理"))
                .toLongLong();
        if (counter < largest)
            violations << QStringLiteral("counter %1 below the largest bill number %2")
                              .arg(counter)
                              .arg(largest);
    }
    {
        Rows rows = db.query(
            QStringLiteral("select 手牌号码, 手牌状态 from 手牌管理 t where (手牌状态 = ?) <> "
                           "exists (select 1 from 手牌开单 o where o.手牌号码 = t.手牌号码) order "
                           "by 手牌号码"),
            {QStringLiteral("占用")});
        while (rows.next())
            violations << QStringLiteral("tag %1 is %2 but open rows disagree")
                              .arg(rows.text(QStringLiteral("手牌号码")),
                                   rows.text(QStringLiteral("手牌状态")));
    }
    {
        Rows rows = db.query(
            QStringLiteral("select ID, 手牌号码, 主手牌号 from 手牌消费 c where not exists "
                           "(select 1 from 手牌开单 o where o.主手牌号 = c.主手牌号) order by ID"));
        while (rows.next())
            violations << QStringLiteral(
                              "open line %1 of tag %2 belongs to group %3, which is not open")
                              .arg(rows.integer(QStringLiteral("ID")))
                              .arg(rows.text(QStringLiteral("手牌号码")),
                                   rows.text(QStringLiteral("主手牌号")));
    }
    for (auto it = now.balances.cbegin(); it != now.balances.cend(); ++it) {
        const QString& card = it.key();
        const Money expected = base.balances.value(card) +
                               delta(now.recharged, base.recharged, card) -
                               delta(now.deducted, base.deducted, card);
        if (it.value() != expected)
            violations << QStringLiteral("member %1: balance %2, expected %3")
                              .arg(card, it.value().toString(), expected.toString());
    }
    for (auto it = now.stock.cbegin(); it != now.stock.cend(); ++it) {
        const QString& goods = it.key();
        const qint64 expected = base.stock.value(goods) + delta(now.bought, base.bought, goods) -
                                delta(now.sold, base.sold, goods);
        if (it.value() != expected)
            violations << QStringLiteral("goods %1: stock %2, expected %3")
                              .arg(goods)
                              .arg(it.value())
                              .arg(expected);
    }
    QSet<QString> employees(now.paidCommission.keyBegin(), now.paidCommission.keyEnd());
    for (auto it = now.wageCommission.keyBegin(); it != now.wageCommission.keyEnd(); ++it)
        employees.insert(*it);
    for (const QString& code : employees) {
        const Money paid = delta(now.paidCommission, base.paidCommission, code);
        const Money counted = delta(now.wageCommission, base.wageCommission, code);
        if (paid != counted)
            violations << QStringLiteral("employee %1: lines marked paid %2, wage records count %3")
                              .arg(code, paid.toString(), counted.toString());
    }
    return violations;
}

} // namespace shoupai::test
