#include "TestDatabase.h"

#include "platform/PasswordHash.h"
#include "platform/Schema.h"
#include "support/SyntheticHistory.h"

#include <QSet>
#include <QTest>

using namespace shoupai;
using shoupai::test::TestDatabase;

namespace {

int number(const Database& db, const QString& sql, const QVariantList& parameters = {})
{
    return db.scalar(sql, parameters).toInt();
}

QStringList texts(const Database& db, const QString& sql)
{
    QStringList list;
    Rows rows = db.query(sql);
    while (rows.next())
        list << rows.query().value(0).toString();
    return list;
}

} // namespace

// The benchmarks read this history as a venue's own: what it promises must hold
// on both engines, or the figures measure something else.
class TestSyntheticHistory : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { passwordhash::useMinimumCostForTests(); }
    void historyHoldsTogether();
};

void TestSyntheticHistory::historyHoldsTogether()
{
    TestDatabase test;
    Database& db = test.database();
    Schema::prepare(db, true);
    bench::HistorySize size;
    size.tags = 20;
    size.members = 40;
    size.goods = 60;
    size.bills = 60000; // six weeks, so that the last month is part of it
    size.linesPerBill = 1;
    size.openBills = 5;
    size.recharges = 400;
    size.purchases = 120;
    size.wages = 150;
    bench::generateHistory(db, size);
    const qint64 unit = Money::Scale;

    // Staff: E01..E50 in five grades that exist; the service lines are theirs.
    QCOMPARE(number(db, QStringLiteral("select count(*) from 员工管理 where 员工编号 like 'E%'")),
             50);
    QCOMPARE(
        texts(db, QStringLiteral("select min(员工编号) from 员工管理 where 员工编号 like 'E%'")),
        QStringList{QStringLiteral("E01")});
    QCOMPARE(
        texts(db, QStringLiteral("select max(员工编号) from 员工管理 where 员工编号 like 'E%'")),
        QStringList{QStringLiteral("E50")});
    QCOMPARE(number(db, QStringLiteral(
                            "select count(distinct e.员工等级) from 员工管理 e join "
                            "员工等级 g on g.等级名称 = e.员工等级 where e.员工编号 like 'E%'")),
             5);

    // Goods over all six seeded types; stock only where the type keeps it.
    QCOMPARE(
        number(db, QStringLiteral("select count(distinct s.商品类型) from 商品库 s join 商品类型 t "
                                  "on t.名称 = s.商品类型 where s.商品名 like '合成商品%'")),
        6);
    QCOMPARE(number(db,
                    QStringLiteral("select count(*) from 商品库 s join 商品类型 t on t.名称 = "
                                   "s.商品类型 where s.商品名 like '合成商品%' and ((t.库存 = ? "
                                   "and s.库存 <= 0) or (t.库存 = ? and s.库存 <> 0))"),
                    {true, false}),
             0);

    // Every stored line carries its goods' type; service lines have an employee
    // of the staff and a commission of 0 to 9, the others neither.
    QCOMPARE(
        number(db, QStringLiteral("select count(*) from 结帐明细 m left join 商品库 s on "
                                  "s.商品名 = m.商品名 where s.商品类型 is null or s.商品类型 <> "
                                  "m.商品类型")),
        0);
    const QString service = QStringLiteral("m.商品类型 in ('洗浴', '按摩', '服务类')");
    QCOMPARE(number(db, QStringLiteral("select count(*) from 结帐明细 m left join 员工管理 e on "
                                       "e.员工编号 = m.员工编号 where ") +
                            service + QStringLiteral(" and e.员工编号 is null")),
             0);
    QCOMPARE(number(db, QStringLiteral("select count(distinct m.员工编号) from 结帐明细 m where ") +
                            service),
             50);
    QCOMPARE(number(db,
                    QStringLiteral("select count(distinct m.提成金额) from 结帐明细 m where ") +
                        service + QStringLiteral(" and m.提成金额 between 0 and ?"),
                    {9 * unit}),
             10);
    QCOMPARE(number(db, QStringLiteral("select count(*) from 结帐明细 m where not (") + service +
                            QStringLiteral(") and (m.提成金额 <> 0 or m.tcyf <> '0')")),
             0);

    // Paid before the last month of the history, unpaid within it, both present.
    const QVariant lastMonth = db.scalar(QStringLiteral("select max(消费时间) from 结帐明细"));
    const QDate last = stored::toDateTime(lastMonth).date();
    const QVariant monthStart = QDateTime(QDate(last.year(), last.month(), 1), QTime(0, 0));
    QCOMPARE(number(db,
                    QStringLiteral("select count(*) from 结帐明细 m where ") + service +
                        QStringLiteral(" and ((m.消费时间 < ? and m.tcyf <> '1') or "
                                       "(m.消费时间 >= ? and m.tcyf <> '0'))"),
                    {monthStart, monthStart}),
             0);
    QVERIFY(number(db, QStringLiteral("select count(*) from 结帐明细 where tcyf = '1'")) > 0);
    QVERIFY(number(db, QStringLiteral("select count(*) from 结帐明细 m where tcyf = '0' and ") +
                           service) > 0);

    // Members over both types, every password a hash that the login accepts.
    QCOMPARE(number(db, QStringLiteral("select count(*) from 会员管理")), size.members);
    QCOMPARE(number(db, QStringLiteral("select count(distinct m.会员类型) from 会员管理 m join "
                                       "会员类型 t on t.类型名称 = m.会员类型")),
             2);
    const QStringList hashes = texts(db, QStringLiteral("select distinct 密码 from 会员管理"));
    QVERIFY(hashes.size() > 1);
    bool defaultAccepted = false;
    for (const QString& stored : hashes) {
        QVERIFY2(passwordhash::isHash(stored), qPrintable(stored));
        defaultAccepted = defaultAccepted || passwordhash::verify(stored, QStringLiteral("2863"));
    }
    QVERIFY(defaultAccepted);

    // Recharges, purchases and wages of members, stock goods and staff that exist.
    QCOMPARE(number(db, QStringLiteral("select count(*) from 会员充值 r join 会员管理 m on "
                                       "m.会员卡号 = r.会员卡号 and m.会员类型 = r.会员类型")),
             int(size.recharges));
    QCOMPARE(
        number(db,
               QStringLiteral("select count(*) from 进货表 p join 商品库 s on s.商品名 = "
                              "p.商品名 join 商品类型 t on t.名称 = s.商品类型 where t.库存 = ?"),
               {true}),
        int(size.purchases));
    QCOMPARE(number(db, QStringLiteral("select count(*) from 员工工资表 w join 员工管理 e on "
                                       "e.员工编号 = w.员工编号 and e.员工等级 = w.员工等级 where "
                                       "w.合计 = w.工资 + w.提成")),
             int(size.wages));
    // Everything lies within the bills' span.
    const QVariant first = db.scalar(QStringLiteral("select min(结帐时间) from 结帐管理"));
    const QVariant end = db.scalar(QStringLiteral("select max(结帐时间) from 结帐管理"));
    for (const QString& table :
         {QStringLiteral("会员充值 where 充值日期"), QStringLiteral("进货表 where 日期"),
          QStringLiteral("员工工资表 where 日期")}) {
        const QString column = table.section(u' ', 2);
        QCOMPARE(number(db,
                        QStringLiteral("select count(*) from ") + table +
                            QStringLiteral(" < ? or ") + column + QStringLiteral(" > ?"),
                        {QVariant(stored::toDateTime(first).addSecs(-60)),
                         QVariant(stored::toDateTime(end))}),
                 0);
    }
}

QTEST_GUILESS_MAIN(TestSyntheticHistory)
#include "tst_synthetichistory.moc"
