#include "BusinessWrites.h"
#include "platform/Schema.h"
#include "support/Invariants.h"
#include "support/TestDatabase.h"

#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

namespace {

struct Damage
{
    QString sql;
    QVariantList values;
};

} // namespace

Q_DECLARE_METATYPE(Damage)

namespace {

QString joined(const QStringList& lines)
{
    return lines.join(u'\n');
}

} // namespace

class TestInvariants : public QObject
{
    Q_OBJECT
private slots:
    void holdAfterEveryWholeWrite();
    void eachBrokenRuleIsReported_data();
    void eachBrokenRuleIsReported();
    void clearedRecordsAreNotMovements();

private:
    void prepare();
    std::unique_ptr<SeededDatabase> m_venue;
    Baseline m_baseline;
};

void TestInvariants::prepare()
{
    if (m_venue)
        return;
    m_venue = std::make_unique<SeededDatabase>(QStringLiteral("inv"));
    prepareVenue(m_venue->database());
    m_baseline = takeBaseline(m_venue->database());
}

// The venue and each write in turn, run whole, keep every rule; data clearing
// last, since it empties what the others need.
void TestInvariants::holdAfterEveryWholeWrite()
{
    SeededDatabase seeded(QStringLiteral("invw"));
    Database& db = seeded.database();
    prepareVenue(db);
    Baseline baseline = takeBaseline(db);
    QVERIFY(!baseline.members.isEmpty());
    QVERIFY(!baseline.goods.isEmpty());
    QCOMPARE(joined(checkInvariants(db, baseline)), QString());
    for (const BusinessWrite& write : businessWrites()) {
        // Clearing forgets the records the movements so far are read from.
        if (write.name == u"data-clearing")
            baseline = takeBaseline(db);
        const WriteResult result = write.plan(db)();
        QVERIFY2(result.done, qPrintable(write.name + QStringLiteral(": ") + result.message));
        QVERIFY2(write.tookEffect(db), qPrintable(write.name));
        const QStringList violations = checkInvariants(db, baseline);
        QVERIFY2(violations.isEmpty(),
                 qPrintable(write.name + QStringLiteral("\n") + joined(violations)));
    }
}

void TestInvariants::eachBrokenRuleIsReported_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<QString>("reported");
    const auto row = [](const char* name, const QString& sql, const QVariantList& values,
                        const QString& reported) {
        QTest::newRow(name) << Damage{sql, values} << reported;
    };
    row("bill amount",
        QStringLiteral("update 结帐管理 set 消费金额 = 消费金额 + ? where 手牌号码 = ?"),
        {QVariant::fromValue(Money::fromUnits(1)), QStringLiteral("A11")},
        QStringLiteral("but its lines add up to"));
    row("lines without bill", QStringLiteral("delete from 结帐管理 where 手牌号码 = ?"),
        {QStringLiteral("A11")}, QStringLiteral("without the bill"));
    row("number twice",
        QStringLiteral("insert into 结帐管理 (单据号, 手牌号码, 消费金额) select 单据号, ?, ? from "
                       "结帐管理 where 手牌号码 = ?"),
        {QStringLiteral("A12"), QVariant::fromValue(Money()), QStringLiteral("A11")},
        QStringLiteral("used by 2 bills"));
    row("counter behind", QStringLiteral("update 单据号 set 单据号 = ?"), {QStringLiteral("0")},
        QStringLiteral("is below the stored bill number"));
    row("counter doubled", QStringLiteral("insert into 单据号 (单据号) values (?)"),
        {QStringLiteral("99")}, QStringLiteral("counter has 2 rows"));
    row("occupied without bill",
        QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ?"),
        {QStringLiteral("占用"), QStringLiteral("A12")},
        QStringLiteral("tag A12 is \"占用\" with 0"));
    row("free with bill", QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ?"),
        {QStringLiteral("可用"), QStringLiteral("A05")},
        QStringLiteral("tag A05 is \"可用\" with 1"));
    row("lines without open bill", QStringLiteral("delete from 手牌开单 where 手牌号码 = ?"),
        {QStringLiteral("A02")},
        QStringLiteral("of main tag A02, which is no open group's main tag"));
    // A join that moved the tag into another group but left its lines behind:
    // no checkout would ever take them.
    row("lines left under a joined tag",
        QStringLiteral("update 手牌开单 set 主手牌号 = ? where 手牌号码 = ?"),
        {QStringLiteral("A05"), QStringLiteral("A02")},
        QStringLiteral("of main tag A02, which is no open group's main tag"));
    row("balance without record",
        QStringLiteral("update 会员管理 set 卡内金额 = 卡内金额 + ? where 会员卡号 = ?"),
        {QVariant::fromValue(Money::fromUnits(1)), QStringLiteral("C001")},
        QStringLiteral("member C001: balance 501"));
    row("recharge without balance",
        QStringLiteral("insert into 会员充值 (会员卡号, 充值金额) values (?, ?)"),
        {QStringLiteral("C001"), QVariant::fromValue(Money::fromUnits(50))},
        QStringLiteral("member C001: balance 500"));
    row("card bill gone without credit", QStringLiteral("delete from 结帐管理 where 手牌号码 = ?"),
        {QStringLiteral("A10")}, QStringLiteral("member C002: balance"));
    row("stock without sale", QStringLiteral("update 商品库 set 库存 = 库存 - ? where 商品名 = ?"),
        {1, QStringLiteral("可乐")}, QStringLiteral("(可乐): stock"));
    row("sale without stock",
        QStringLiteral("insert into 手牌消费 (手牌号码, 商品名, 数量, 合计, 主手牌号) values "
                       "(?, ?, ?, ?, ?)"),
        {QStringLiteral("A05"), QStringLiteral("瓜子"), 2, QVariant::fromValue(Money()),
         QStringLiteral("A05")},
        QStringLiteral("(瓜子): stock"));
    row("purchase without stock", QStringLiteral("insert into 进货表 (商品名, 数量) values (?, ?)"),
        {QStringLiteral("啤酒"), 5.0}, QStringLiteral("(啤酒): stock"));
    row("commission marked without wage",
        QStringLiteral("update 结帐明细 set tcyf = ? where 员工编号 = ?"),
        {QStringLiteral("1"), QStringLiteral("002")}, QStringLiteral("employee 002: lines worth"));
    row("wage counting unmarked commission",
        QStringLiteral("insert into 员工工资表 (员工编号, 提成) values (?, ?)"),
        {QStringLiteral("002"), QVariant::fromValue(Money::fromUnits(50))},
        QStringLiteral("wage records counting 50"));
}

// Each damage, made inside a transaction that is rolled back, breaks exactly
// the rule named.
void TestInvariants::eachBrokenRuleIsReported()
{
    QFETCH(Damage, damage);
    QFETCH(QString, reported);
    prepare();
    Database& db = m_venue->database();
    QCOMPARE(joined(checkInvariants(db, m_baseline)), QString());
    QStringList violations;
    {
        Transaction transaction(db);
        QVERIFY(db.exec(damage.sql, damage.values) >= 1);
        violations = checkInvariants(db, m_baseline);
    }
    QVERIFY2(joined(violations).contains(reported), qPrintable(joined(violations)));
    QCOMPARE(joined(checkInvariants(db, m_baseline)), QString());
}

// Data clearing empties record tables without touching balances or stock; a
// record removed any other way is a movement nobody accounted for.
void TestInvariants::clearedRecordsAreNotMovements()
{
    prepare();
    Database& db = m_venue->database();
    {
        Transaction transaction(db);
        db.exec(QStringLiteral("delete from 会员充值"));
        db.exec(QStringLiteral("delete from 结帐管理"));
        db.exec(QStringLiteral("delete from 结帐明细"));
        db.exec(QStringLiteral("delete from 进货表"));
        QCOMPARE(joined(checkInvariants(db, m_baseline)), QString());
    }
    {
        Transaction transaction(db);
        QCOMPARE(db.exec(QStringLiteral("delete from 会员充值 where 会员卡号 = ?"),
                         {QStringLiteral("C001")}),
                 1);
        QVERIFY(joined(checkInvariants(db, m_baseline)).contains(u"member C001: balance 500"));
    }
}

QTEST_GUILESS_MAIN(TestInvariants)
#include "tst_invariants.moc"
