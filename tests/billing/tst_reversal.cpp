#include "StoredBillFixture.h"
#include "TestDatabase.h"
#include "billing/BillReversal.h"

#include <QTest>
#include <QThread>

#include <thread>

using namespace shoupai;
using namespace shoupai::test;

namespace {

const QDateTime ReversedAt(QDate(2026, 12, 9), QTime(15, 20, 0));

StoredBill cashBillOf08()
{
    StoredBill bill;
    bill.number = QStringLiteral("17");
    bill.tag = QStringLiteral("08");
    bill.consumption = bill.received = units(80);
    bill.lines = {line(QStringLiteral("可乐"), QStringLiteral("饮料"), 15, 2, 30),
                  line(QStringLiteral("搓背"), QStringLiteral("洗浴"), 50, 1, 50)};
    bill.lines[1].employeeNumber = QStringLiteral("007");
    bill.lines[1].employeeName = QStringLiteral("李师傅");
    bill.lines[1].commission = units(10);
    bill.lines[1].time = QDateTime(QDate(2026, 12, 1), QTime(11, 15, 30));
    return bill;
}

StoredBill memberBill(const QString& number, const QString& mode, qint64 receivable,
                      qint64 received, qint64 cardDeduction)
{
    StoredBill bill;
    bill.number = number;
    bill.tag = QStringLiteral("08");
    bill.card = QStringLiteral("M001");
    bill.guest = QStringLiteral("王芳");
    bill.mode = mode;
    bill.consumption = units(receivable);
    bill.received = units(received);
    bill.cardDeduction = units(cardDeduction);
    bill.lines = {line(QStringLiteral("足疗"), QStringLiteral("按摩"), receivable, 1, receivable)};
    return bill;
}

void createFailingTrigger(Database& db, const QString& table)
{
    if (testBackend() == Backend::Sqlite) {
        db.exec(QStringLiteral("create trigger injected_failure before delete on %1 "
                               "begin select raise(abort, 'injected failure'); end")
                    .arg(db.dialect().quote(table)));
        return;
    }
    db.exec(QStringLiteral("create function injected_failure() returns trigger as $$ "
                           "begin raise exception 'injected failure'; end $$ language plpgsql"));
    db.exec(QStringLiteral("create trigger injected_failure before delete on %1 for each row "
                           "execute function injected_failure()")
                .arg(db.dialect().quote(table)));
}

} // namespace

class TestReversal : public QObject
{
    Q_OBJECT
private slots:
    void cashBillReopensOnItsTag();
    void memberCardAndPointsAreRestored();
    void groupBillReopensOnCheckedOutTagAlone();
    void refusalsChangeNothing();
    void failureHalfwayLeavesEverythingAsBefore();
    void tagTakenByAnotherWorkstationMeanwhile();
};

void TestReversal::cashBillReopensOnItsTag()
{
    SeededDatabase db;
    Database& d = db.database();
    addTag(d, QStringLiteral("08"));
    const QString counterBefore = d.scalar(QStringLiteral("select 单据号 from 单据号")).toString();
    StoredBill bill = cashBillOf08();
    StoredLine ticket = line(QStringLiteral("门票"), QString(), 20, 1, 20);
    ticket.employeeNumber = QStringLiteral("无");
    bill.lines << ticket << line(QStringLiteral("中华"), QStringLiteral("香烟"), 45, -1, -45);
    const qint64 id = insertStoredBill(d, bill);
    // Another tag's lines under the same number stay (details go by number and tag).
    StoredBill other = cashBillOf08();
    other.tag = QStringLiteral("A01");
    insertStoredBill(d, other);

    const BillReversal::Outcome outcome = BillReversal(d).reverse(id, ReversedAt);
    QCOMPARE(outcome.status, BillReversal::Status::Reversed);
    QVERIFY(outcome.message.isEmpty());

    QCOMPARE(tagState(d, QStringLiteral("08")), QStringLiteral("占用"));
    Rows open = d.query(QStringLiteral("select * from 手牌开单 where 手牌号码 = ?"),
                        {QStringLiteral("08")});
    QVERIFY(open.next());
    QCOMPARE(open.text(QStringLiteral("主手牌号")), QStringLiteral("08"));
    QCOMPARE(open.text(QStringLiteral("顾客姓名")), QStringLiteral("散客"));
    QCOMPARE(open.money(QStringLiteral("押金金额")), Money());
    QCOMPARE(open.money(QStringLiteral("合计金额")), Money());
    QCOMPARE(open.dateTime(QStringLiteral("进店时间")), ReversedAt);
    QVERIFY(!open.next());

    Rows lines = d.query(QStringLiteral("select * from 手牌消费 where 主手牌号 = ? order by ID"),
                         {QStringLiteral("08")});
    struct Expected
    {
        const char* goods;
        const char* type;
        qint64 price, quantity, total;
        const char* discount;
    };
    const Expected expected[] = {{"可乐", "饮料", 15, 2, 30, "y"},
                                 {"搓背", "洗浴", 50, 1, 50, "y"},
                                 {"门票", "", 20, 1, 20, ""},
                                 {"中华", "香烟", 45, -1, -45, "n"}};
    for (const Expected& e : expected) {
        QVERIFY(lines.next());
        QCOMPARE(lines.text(QStringLiteral("手牌号码")), QStringLiteral("08"));
        QCOMPARE(lines.text(QStringLiteral("商品名")), QString::fromUtf8(e.goods));
        QCOMPARE(lines.text(QStringLiteral("商品类型")), QString::fromUtf8(e.type));
        QCOMPARE(lines.money(QStringLiteral("单价")), units(e.price));
        QCOMPARE(lines.money(QStringLiteral("实际单价")), units(e.price));
        QCOMPARE(lines.integer(QStringLiteral("数量")), e.quantity);
        QCOMPARE(lines.money(QStringLiteral("合计")), units(e.total));
        QCOMPARE(lines.text(QStringLiteral("参与打折")), QString::fromUtf8(e.discount));
        QCOMPARE(lines.text(QStringLiteral("状态")), QStringLiteral("消费完毕"));
        QCOMPARE(lines.text(QStringLiteral("营业员")), QStringLiteral("收银员甲"));
    }
    QVERIFY(!lines.next());
    Rows served = d.query(QStringLiteral("select * from 手牌消费 where 商品名 = ?"),
                          {QStringLiteral("搓背")});
    QVERIFY(served.next());
    QCOMPARE(served.text(QStringLiteral("员工编号")), QStringLiteral("007"));
    QCOMPARE(served.text(QStringLiteral("员工姓名")), QStringLiteral("李师傅"));
    QCOMPARE(served.money(QStringLiteral("提成金额")), units(10));
    QCOMPARE(served.dateTime(QStringLiteral("消费时间")),
             QDateTime(QDate(2026, 12, 1), QTime(11, 15, 30)));

    QCOMPARE(d.scalar(QStringLiteral("select count(*) from 结帐管理 where id = ?"),
                      {QVariant::fromValue<qlonglong>(id)})
                 .toLongLong(),
             0);
    QCOMPARE(d.scalar(QStringLiteral("select count(*) from 结帐明细 where 手牌号码 = ?"),
                      {QStringLiteral("08")})
                 .toLongLong(),
             0);
    QCOMPARE(d.scalar(QStringLiteral("select count(*) from 结帐明细 where 手牌号码 = ?"),
                      {QStringLiteral("A01")})
                 .toLongLong(),
             2);
    QCOMPARE(d.scalar(QStringLiteral("select 单据号 from 单据号")).toString(), counterBefore);

    // The same bill cannot be reversed twice.
    const BillReversal::Outcome again = BillReversal(d).reverse(id, ReversedAt);
    QCOMPARE(again.status, BillReversal::Status::BillGone);
    QCOMPARE(again.message, QStringLiteral("这笔结帐已经不存在,无法撤销!"));
}

void TestReversal::memberCardAndPointsAreRestored()
{
    SeededDatabase db;
    Database& d = db.database();
    addTag(d, QStringLiteral("08"));
    const QString card = QStringLiteral("M001");

    // Paid in full from a balance of 500: 390 left, no points added.
    addMember(d, card, units(390), 100);
    qint64 id = insertStoredBill(
        d, memberBill(QStringLiteral("1"), QStringLiteral("卡内扣除"), 110, 0, 110));
    QCOMPARE(BillReversal(d).reverse(id, ReversedAt).status, BillReversal::Status::Reversed);
    QCOMPARE(memberBalance(d, card), units(500));
    QCOMPARE(memberPoints(d, card), units(100));

    // Mixed: a balance of 60 covered 60, 50 was paid in cash and added as points.
    d.exec(QStringLiteral("delete from 手牌开单"));
    d.exec(QStringLiteral("delete from 手牌消费"));
    d.exec(QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ?"),
           {QStringLiteral("可用"), QStringLiteral("08")});
    d.exec(QStringLiteral("update 会员管理 set 卡内金额 = ?, 当前积分 = ? where 会员卡号 = ?"),
           {QVariant::fromValue(Money()), 150.0, card});
    id = insertStoredBill(d,
                          memberBill(QStringLiteral("2"), QStringLiteral("卡内扣除"), 110, 50, 60));
    QCOMPARE(BillReversal(d).reverse(id, ReversedAt).status, BillReversal::Status::Reversed);
    QCOMPARE(memberBalance(d, card), units(60));
    QCOMPARE(memberPoints(d, card), units(100));

    // A member paying cash: the card is untouched, the points go back.
    d.exec(QStringLiteral("delete from 手牌开单"));
    d.exec(QStringLiteral("delete from 手牌消费"));
    d.exec(QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ?"),
           {QStringLiteral("可用"), QStringLiteral("08")});
    d.exec(QStringLiteral("update 会员管理 set 卡内金额 = ?, 当前积分 = ? where 会员卡号 = ?"),
           {QVariant::fromValue(units(60)), 210.5, card});
    StoredBill cash = memberBill(QStringLiteral("3"), QStringLiteral("现金支付"), 110, 110, 0);
    cash.received = Money::parse(u"110.5").value();
    id = insertStoredBill(d, cash);
    QCOMPARE(BillReversal(d).reverse(id, ReversedAt).status, BillReversal::Status::Reversed);
    QCOMPARE(memberBalance(d, card), units(60));
    QCOMPARE(memberPoints(d, card), units(100));

    // An empty balance is credited as from 0.
    d.exec(QStringLiteral("delete from 手牌开单"));
    d.exec(QStringLiteral("delete from 手牌消费"));
    d.exec(QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ?"),
           {QStringLiteral("可用"), QStringLiteral("08")});
    d.exec(QStringLiteral("update 会员管理 set 卡内金额 = null, 当前积分 = null"));
    id = insertStoredBill(
        d, memberBill(QStringLiteral("31"), QStringLiteral("卡内扣除"), 110, 10, 100));
    QCOMPARE(BillReversal(d).reverse(id, ReversedAt).status, BillReversal::Status::Reversed);
    QCOMPARE(memberBalance(d, card), units(100));
    QCOMPARE(memberPoints(d, card), units(-10));

    // A free bill took nothing from the card and added no points: nothing goes back.
    d.exec(QStringLiteral("delete from 手牌开单"));
    d.exec(QStringLiteral("delete from 手牌消费"));
    d.exec(QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ?"),
           {QStringLiteral("可用"), QStringLiteral("08")});
    d.exec(QStringLiteral("update 会员管理 set 卡内金额 = ?, 当前积分 = ? where 会员卡号 = ?"),
           {QVariant::fromValue(units(500)), 100.0, card});
    for (const QString& mode : {QStringLiteral("卡内扣除"), QStringLiteral("现金支付")}) {
        StoredBill free =
            memberBill(mode == u"卡内扣除" ? QStringLiteral("41") : QStringLiteral("42"), mode, 110,
                       50, mode == u"卡内扣除" ? 60 : 0);
        free.state = QStringLiteral("免单");
        id = insertStoredBill(d, free);
        QCOMPARE(BillReversal(d).reverse(id, ReversedAt).status, BillReversal::Status::Reversed);
        QCOMPARE(memberBalance(d, card), units(500));
        QCOMPARE(memberPoints(d, card), units(100));
        d.exec(QStringLiteral("delete from 手牌开单"));
        d.exec(QStringLiteral("delete from 手牌消费"));
        d.exec(QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ?"),
               {QStringLiteral("可用"), QStringLiteral("08")});
    }

    // A negative card deduction took nothing from the card; the points go back.
    id = insertStoredBill(
        d, memberBill(QStringLiteral("43"), QStringLiteral("卡内扣除"), -20, -20, -20));
    QCOMPARE(BillReversal(d).reverse(id, ReversedAt).status, BillReversal::Status::Reversed);
    QCOMPARE(memberBalance(d, card), units(500));
    QCOMPARE(memberPoints(d, card), units(120));
    d.exec(QStringLiteral("delete from 手牌开单"));
    d.exec(QStringLiteral("delete from 手牌消费"));
    d.exec(QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ?"),
           {QStringLiteral("可用"), QStringLiteral("08")});

    // The member is gone: the rest of the reversal is done.
    d.exec(QStringLiteral("delete from 手牌开单"));
    d.exec(QStringLiteral("delete from 手牌消费"));
    d.exec(QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ?"),
           {QStringLiteral("可用"), QStringLiteral("08")});
    d.exec(QStringLiteral("delete from 会员管理"));
    id = insertStoredBill(d,
                          memberBill(QStringLiteral("4"), QStringLiteral("卡内扣除"), 110, 0, 110));
    QCOMPARE(BillReversal(d).reverse(id, ReversedAt).status, BillReversal::Status::Reversed);
    QCOMPARE(count(d, QStringLiteral("结帐管理")), 0);
    QCOMPARE(count(d, QStringLiteral("手牌消费")), 1);
}

void TestReversal::groupBillReopensOnCheckedOutTagAlone()
{
    SeededDatabase db;
    Database& d = db.database();
    StoredBill bill;
    bill.number = QStringLiteral("5");
    bill.tag = QStringLiteral("A02");
    bill.consumption = bill.received = units(90);
    // Posting writes the checked-out tag on the lines of every tag of the group.
    bill.lines = {line(QStringLiteral("门票"), QString(), 20, 1, 20),
                  line(QStringLiteral("门票"), QString(), 20, 1, 20),
                  line(QStringLiteral("门票"), QString(), 20, 1, 20),
                  line(QStringLiteral("果盘"), QStringLiteral("小吃"), 30, 1, 30)};
    const qint64 id = insertStoredBill(d, bill);

    QCOMPARE(BillReversal(d).reverse(id, ReversedAt).status, BillReversal::Status::Reversed);
    QCOMPARE(tagState(d, QStringLiteral("A02")), QStringLiteral("占用"));
    QCOMPARE(tagState(d, QStringLiteral("A01")), QStringLiteral("可用"));
    QCOMPARE(tagState(d, QStringLiteral("A03")), QStringLiteral("可用"));
    QCOMPARE(count(d, QStringLiteral("手牌开单")), 1);
    QCOMPARE(d.scalar(QStringLiteral("select count(*) from 手牌消费 where 主手牌号 = ? and "
                                     "手牌号码 = ?"),
                      {QStringLiteral("A02"), QStringLiteral("A02")})
                 .toLongLong(),
             4);
}

void TestReversal::refusalsChangeNothing()
{
    SeededDatabase db;
    Database& d = db.database();
    addTag(d, QStringLiteral("08"), QStringLiteral("占用"));
    addMember(d, QStringLiteral("M001"), units(390), 100);
    const qint64 occupied = insertStoredBill(
        d, memberBill(QStringLiteral("1"), QStringLiteral("卡内扣除"), 110, 0, 110));

    StoredBill missing = cashBillOf08();
    missing.number = QStringLiteral("2");
    missing.tag = QStringLiteral("99");
    const qint64 gone = insertStoredBill(d, missing);

    StoredBill paid = cashBillOf08();
    paid.number = QStringLiteral("3");
    paid.tag = QStringLiteral("A05");
    paid.lines[1].tcyf = QStringLiteral("1");
    const qint64 commissionPaid = insertStoredBill(d, paid);

    const QStringList before = snapshotBilling(d);
    BillReversal reversal(d);

    BillReversal::Outcome outcome = reversal.reverse(occupied, ReversedAt);
    QCOMPARE(outcome.status, BillReversal::Status::TagNotAvailable);
    QCOMPARE(outcome.message, QStringLiteral("牌号 08 当前状态不是可用状态,故无法完成撤销操作!"));

    // Reserved and disabled tags are refused alike.
    d.exec(QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ?"),
           {QStringLiteral("停用"), QStringLiteral("08")});
    QCOMPARE(reversal.reverse(occupied, ReversedAt).status, BillReversal::Status::TagNotAvailable);
    d.exec(QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ?"),
           {QStringLiteral("占用"), QStringLiteral("08")});

    outcome = reversal.reverse(gone, ReversedAt);
    QCOMPARE(outcome.status, BillReversal::Status::TagMissing);
    QCOMPARE(outcome.message, QStringLiteral("没有找到 99 这个牌号,故无法完成撤销操作!"));

    outcome = reversal.reverse(commissionPaid, ReversedAt);
    QCOMPARE(outcome.status, BillReversal::Status::CommissionPaid);
    QCOMPARE(outcome.message, QStringLiteral("这笔结帐的员工提成已经发放,故无法完成撤销操作!"));

    QCOMPARE(snapshotBilling(d), before);
    QVERIFY(!d.inTransaction());
}

void TestReversal::failureHalfwayLeavesEverythingAsBefore()
{
    SeededDatabase db;
    Database& d = db.database();
    addTag(d, QStringLiteral("08"));
    addMember(d, QStringLiteral("M001"), units(0), 150);
    const qint64 id = insertStoredBill(
        d, memberBill(QStringLiteral("9"), QStringLiteral("卡内扣除"), 110, 50, 60));
    // The last step fails: everything before it must be undone.
    createFailingTrigger(d, QStringLiteral("结帐明细"));
    const QStringList before = snapshotBilling(d);

    bool failed = false;
    try {
        BillReversal(d).reverse(id, ReversedAt);
    } catch (const DatabaseError& error) {
        failed = true;
        QVERIFY2(error.text().contains(QStringLiteral("injected failure")),
                 qPrintable(error.text()));
    }
    QVERIFY(failed);
    QVERIFY(!d.inTransaction());
    QCOMPARE(snapshotBilling(d), before);
    QCOMPARE(tagState(d, QStringLiteral("08")), QStringLiteral("可用"));
    QCOMPARE(memberBalance(d, QStringLiteral("M001")), Money());

    // Once the fault is gone the same bill reverses normally.
    if (testBackend() == Backend::Sqlite)
        d.exec(QStringLiteral("drop trigger injected_failure"));
    else
        d.exec(QStringLiteral("drop trigger injected_failure on %1")
                   .arg(d.dialect().quote(QStringLiteral("结帐明细"))));
    QCOMPARE(BillReversal(d).reverse(id, ReversedAt).status, BillReversal::Status::Reversed);
    QCOMPARE(memberBalance(d, QStringLiteral("M001")), units(60));
    QCOMPARE(memberPoints(d, QStringLiteral("M001")), units(100));
}

void TestReversal::tagTakenByAnotherWorkstationMeanwhile()
{
    SeededDatabase db;
    Database& d = db.database();
    addTag(d, QStringLiteral("08"));
    const qint64 id = insertStoredBill(d, cashBillOf08());

    // Another workstation opens a bill on the tag and has not committed yet
    // when this one reverses: the tag must not end up with two open bills.
    d.begin();
    d.exec(QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ?"),
           {QStringLiteral("占用"), QStringLiteral("08")});
    d.exec(QStringLiteral("insert into 手牌开单 (手牌号码, 顾客姓名, 主手牌号) values (?, ?, ?)"),
           {QStringLiteral("08"), QStringLiteral("新客人"), QStringLiteral("08")});
    BillReversal::Outcome outcome;
    QString failure;
    std::thread workstation([&] {
        std::unique_ptr<Database> other = db.openAnother();
        try {
            outcome = BillReversal(*other).reverse(id, ReversedAt);
        } catch (const DatabaseError& error) {
            failure = error.text();
        }
    });
    QThread::msleep(300);
    d.commit();
    workstation.join();

    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(outcome.status, BillReversal::Status::TagNotAvailable);
    QCOMPARE(count(d, QStringLiteral("手牌开单")), 1);
    QCOMPARE(count(d, QStringLiteral("手牌消费")), 0);
    QCOMPARE(count(d, QStringLiteral("结帐管理")), 1);
    QCOMPARE(count(d, QStringLiteral("结帐明细")), 2);
}

QTEST_GUILESS_MAIN(TestReversal)
#include "tst_reversal.moc"
