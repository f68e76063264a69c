#include "Invariants.h"

#include <QSet>

namespace shoupai::test {

namespace {

const QString Occupied = QStringLiteral("占用");
const QString CardPayment = QStringLiteral("卡内扣除");
const QString FreeBill = QStringLiteral("免单");
const QString PaidMark = QStringLiteral("1");

// Beyond this many, further violations of one rule are only counted.
constexpr int ListedPerRule = 10;

const QStringList& historyTables()
{
    static const QStringList tables = {QStringLiteral("会员充值"), QStringLiteral("结帐管理"),
                                       QStringLiteral("结帐明细"), QStringLiteral("进货表"),
                                       QStringLiteral("员工工资表")};
    return tables;
}

QHash<QString, Baseline::Member> memberFigures(const Database& db)
{
    QHash<QString, Baseline::Member> members;
    Rows rows = db.query(
        QStringLiteral(
            "select m.会员卡号 as card, m.卡内金额 as balance, "
            "(select coalesce(sum(r.充值金额), 0) from 会员充值 r where r.会员卡号 = m.会员卡号) "
            "as recharged, "
            "(select coalesce(sum(b.卡内扣除), 0) from 结帐管理 b where b.会员卡号 = m.会员卡号 "
            "and b.结帐方式 = ? and coalesce(b.状态, '') <> ? and b.卡内扣除 > 0) as deducted "
            "from 会员管理 m"),
        {CardPayment, FreeBill});
    while (rows.next())
        members.insert(rows.text(QStringLiteral("card")), {rows.money(QStringLiteral("balance")),
                                                           rows.money(QStringLiteral("recharged")),
                                                           rows.money(QStringLiteral("deducted"))});
    return members;
}

QHash<qint64, Baseline::Goods> goodsFigures(const Database& db)
{
    QHash<qint64, Baseline::Goods> goods;
    // Lines and purchases name their goods; an item whose name is shared cannot
    // be told apart and is left out.
    Rows rows = db.query(
        QStringLiteral(
            "select g.ID as id, g.商品名 as name, coalesce(g.库存, 0) as stock, "
            "(select coalesce(sum(p.数量), 0) from 进货表 p where p.商品名 = g.商品名) as bought, "
            "(select coalesce(sum(l.数量), 0) from 手牌消费 l where l.商品名 = g.商品名) "
            "as open_sold, "
            "(select coalesce(sum(d.数量), 0) from 结帐明细 d where d.商品名 = g.商品名) "
            "as stored_sold "
            "from 商品库 g where g.商品类型 in (select t.名称 from 商品类型 t where t.库存 = ?) "
            "and (select count(*) from 商品库 h where h.商品名 = g.商品名) = 1"),
        {true});
    while (rows.next())
        goods.insert(rows.integer(QStringLiteral("id")),
                     {rows.text(QStringLiteral("name")), rows.number(QStringLiteral("stock")),
                      rows.number(QStringLiteral("bought")),
                      rows.number(QStringLiteral("open_sold")),
                      rows.number(QStringLiteral("stored_sold"))});
    return goods;
}

QHash<QString, Money> perEmployee(const Database& db, const QString& sql,
                                  const QVariantList& parameters = {})
{
    QHash<QString, Money> sums;
    Rows rows = db.query(sql, parameters);
    while (rows.next())
        sums.insert(rows.text(QStringLiteral("code")), rows.money(QStringLiteral("amount")));
    return sums;
}

QHash<QString, Money> paidLines(const Database& db)
{
    return perEmployee(db,
                       QStringLiteral("select 员工编号 as code, sum(提成金额) as amount from "
                                      "结帐明细 where tcyf = ? group by 员工编号"),
                       {PaidMark});
}

QHash<QString, Money> countedWages(const Database& db)
{
    return perEmployee(db, QStringLiteral("select 员工编号 as code, sum(提成) as amount from "
                                          "员工工资表 group by 员工编号"));
}

QHash<QString, qint64> historyRows(const Database& db)
{
    QHash<QString, qint64> rows;
    for (const QString& table : historyTables())
        rows.insert(table,
                    db.scalar(QStringLiteral("select count(*) from ") + db.dialect().quote(table))
                        .toLongLong());
    return rows;
}

// Collects the violations of one rule, listing the first few.
class Findings
{
public:
    explicit Findings(QStringList& out) : m_out(out) {}
    void add(const QString& line)
    {
        if (++m_count <= ListedPerRule)
            m_out << line;
    }
    ~Findings()
    {
        if (m_count > ListedPerRule)
            m_out << QStringLiteral("... and %1 more like the above").arg(m_count - ListedPerRule);
    }

private:
    QStringList& m_out;
    int m_count = 0;
};

void checkIntegrity(const Database& db, QStringList& out)
{
    if (db.backend() != Backend::Sqlite)
        return;
    Rows rows = db.query(QStringLiteral("PRAGMA integrity_check"));
    Findings findings(out);
    while (rows.next()) {
        const QString text = rows.query().value(0).toString();
        if (text != u"ok")
            findings.add(QStringLiteral("integrity check: %1").arg(text));
    }
}

void checkBills(const Database& db, QStringList& out)
{
    {
        Findings findings(out);
        Rows rows = db.query(QStringLiteral(
            "select h.单据号 as number, h.消费金额 as amount, "
            "(select coalesce(sum(d.合计), 0) from 结帐明细 d where d.单据号 = h.单据号) as lines "
            "from 结帐管理 h where coalesce(h.消费金额, 0) <> "
            "(select coalesce(sum(d.合计), 0) from 结帐明细 d where d.单据号 = h.单据号) "
            "order by h.单据号"));
        while (rows.next())
            findings.add(QStringLiteral("bill %1: 消费金额 %2 but its lines add up to %3")
                             .arg(rows.text(QStringLiteral("number")),
                                  rows.money(QStringLiteral("amount")).toString(),
                                  rows.money(QStringLiteral("lines")).toString()));
    }
    {
        Findings findings(out);
        Rows rows = db.query(
            QStringLiteral("select d.单据号 as number, count(*) as n from 结帐明细 d where not "
                           "exists (select 1 from 结帐管理 h where h.单据号 = d.单据号) "
                           "group by d.单据号 order by d.单据号"));
        while (rows.next())
            findings.add(QStringLiteral("%1 stored line(s) of bill %2 without the bill")
                             .arg(rows.integer(QStringLiteral("n")))
                             .arg(rows.text(QStringLiteral("number"))));
    }
    {
        Findings findings(out);
        Rows rows =
            db.query(QStringLiteral("select 单据号 as number, count(*) as n from 结帐管理 group by "
                                    "单据号 having count(*) > 1 order by 单据号"));
        while (rows.next())
            findings.add(QStringLiteral("bill number %1 used by %2 bills")
                             .arg(rows.text(QStringLiteral("number")))
                             .arg(rows.integer(QStringLiteral("n"))));
    }
}

void checkCounter(const Database& db, QStringList& out)
{
    const qint64 counterRows =
        db.scalar(QStringLiteral("select count(*) from 单据号")).toLongLong();
    if (counterRows != 1) {
        out << QStringLiteral("the bill-number counter has %1 rows, not 1").arg(counterRows);
        return;
    }
    bool ok = false;
    const qint64 counter =
        db.scalar(QStringLiteral("select 单据号 from 单据号")).toString().trimmed().toLongLong(&ok);
    if (!ok) {
        out << QStringLiteral("the bill-number counter is not a whole number");
        return;
    }
    const QVariant largest =
        db.scalar(QStringLiteral("select max(cast(单据号 as bigint)) from 结帐管理"));
    if (!largest.isNull() && largest.toLongLong() > counter)
        out << QStringLiteral("the counter %1 is below the stored bill number %2")
                   .arg(counter)
                   .arg(largest.toLongLong());
}

void checkOpenBills(const Database& db, QStringList& out)
{
    {
        Findings findings(out);
        Rows rows = db.query(
            QStringLiteral("select t.手牌号码 as tag, t.手牌状态 as state, "
                           "(select count(*) from 手牌开单 b where b.手牌号码 = t.手牌号码) "
                           "as open_rows from 手牌管理 t where "
                           "(coalesce(t.手牌状态, '') = ?) <> "
                           "exists (select 1 from 手牌开单 b where b.手牌号码 = t.手牌号码) "
                           "order by t.手牌号码"),
            {Occupied});
        while (rows.next())
            findings.add(
                QStringLiteral("tag %1 is \"%2\" with %3 open-bill row(s)")
                    .arg(rows.text(QStringLiteral("tag")), rows.text(QStringLiteral("state")))
                    .arg(rows.integer(QStringLiteral("open_rows"))));
    }
    {
        Findings findings(out);
        Rows rows =
            db.query(QStringLiteral("select b.手牌号码 as tag from 手牌开单 b where not exists "
                                    "(select 1 from 手牌管理 t where t.手牌号码 = b.手牌号码) "
                                    "order by b.手牌号码"));
        while (rows.next())
            findings.add(QStringLiteral("open-bill row of the unknown tag %1")
                             .arg(rows.text(QStringLiteral("tag"))));
    }
    {
        Findings findings(out);
        Rows rows = db.query(QStringLiteral(
            "select l.主手牌号 as main, count(*) as n from 手牌消费 l where not exists "
            "(select 1 from 手牌开单 b where b.手牌号码 = l.主手牌号 and b.主手牌号 = l.主手牌号) "
            "group by l.主手牌号 order by l.主手牌号"));
        while (rows.next())
            findings.add(
                QStringLiteral("%1 open line(s) of main tag %2, which is no open group's main tag")
                    .arg(rows.integer(QStringLiteral("n")))
                    .arg(rows.text(QStringLiteral("main"))));
    }
}

// The movement of a record table's sum since the baseline; none when the
// table was emptied meanwhile.
Money moved(Money now, Money before, bool emptied)
{
    return emptied ? Money() : now - before;
}

void checkBalances(const Database& db, const Baseline& baseline,
                   const QHash<QString, qint64>& rowsNow, QStringList& out)
{
    const auto emptied = [&](const QString& table) {
        return baseline.historyRows.value(table) > 0 && rowsNow.value(table) == 0;
    };
    const bool rechargesCleared = emptied(QStringLiteral("会员充值"));
    const bool billsCleared = emptied(QStringLiteral("结帐管理"));
    const bool purchasesCleared = emptied(QStringLiteral("进货表"));
    const bool linesCleared = emptied(QStringLiteral("结帐明细"));
    const bool wagesCleared = emptied(QStringLiteral("员工工资表"));

    {
        Findings findings(out);
        const QHash<QString, Baseline::Member> now = memberFigures(db);
        for (auto it = baseline.members.cbegin(); it != baseline.members.cend(); ++it) {
            const auto found = now.constFind(it.key());
            if (found == now.cend())
                continue; // deleted members take their balance with them
            const Money expected = it->balance +
                                   moved(found->recharged, it->recharged, rechargesCleared) -
                                   moved(found->deducted, it->deducted, billsCleared);
            if (found->balance != expected)
                findings.add(
                    QStringLiteral("member %1: balance %2, expected %3 (was %4, recharged %5, "
                                   "card deductions %6 since)")
                        .arg(it.key(), found->balance.toString(), expected.toString(),
                             it->balance.toString(),
                             moved(found->recharged, it->recharged, rechargesCleared).toString(),
                             moved(found->deducted, it->deducted, billsCleared).toString()));
        }
    }
    {
        Findings findings(out);
        const QHash<qint64, Baseline::Goods> now = goodsFigures(db);
        for (auto it = baseline.goods.cbegin(); it != baseline.goods.cend(); ++it) {
            const auto found = now.constFind(it.key());
            if (found == now.cend() || found->name != it->name)
                continue; // gone or renamed: its records no longer name it
            const Money sold = moved(found->openSold, it->openSold, false) +
                               moved(found->storedSold, it->storedSold, linesCleared);
            const Money expected =
                it->stock + moved(found->bought, it->bought, purchasesCleared) - sold;
            if (found->stock != expected)
                findings.add(QStringLiteral("goods %1 (%2): stock %3, expected %4 (was %5)")
                                 .arg(it.key())
                                 .arg(it->name, found->stock.toString(), expected.toString(),
                                      it->stock.toString()));
        }
    }
    {
        Findings findings(out);
        const QHash<QString, Money> paid = paidLines(db);
        const QHash<QString, Money> counted = countedWages(db);
        QSet<QString> employees;
        for (const auto* map : {&paid, &counted, &baseline.paidLines, &baseline.countedWages})
            for (auto it = map->cbegin(); it != map->cend(); ++it)
                employees.insert(it.key());
        QStringList sorted(employees.cbegin(), employees.cend());
        sorted.sort();
        for (const QString& code : sorted) {
            const Money paidNow =
                moved(paid.value(code), baseline.paidLines.value(code), linesCleared);
            const Money countedNow =
                moved(counted.value(code), baseline.countedWages.value(code), wagesCleared);
            if (paidNow != countedNow)
                findings.add(QStringLiteral("employee %1: lines worth %2 commission marked paid "
                                            "since, wage records counting %3")
                                 .arg(code, paidNow.toString(), countedNow.toString()));
        }
    }
}

} // namespace

Baseline takeBaseline(const Database& database)
{
    Baseline baseline;
    baseline.members = memberFigures(database);
    baseline.goods = goodsFigures(database);
    baseline.paidLines = paidLines(database);
    baseline.countedWages = countedWages(database);
    baseline.historyRows = historyRows(database);
    return baseline;
}

QStringList checkInvariants(const Database& database, const Baseline& baseline)
{
    QStringList out;
    checkIntegrity(database, out);
    checkBills(database, out);
    checkCounter(database, out);
    checkOpenBills(database, out);
    checkBalances(database, baseline, historyRows(database), out);
    return out;
}

} // namespace shoupai::test
