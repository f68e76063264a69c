// A bill posted by the checkout and reversed from the records, end to end on
// the real units: what the reversal reads is exactly what posting wrote.

#include "BillingTestKit.h"
#include "billing/BillReversal.h"
#include "billing/CheckoutGroup.h"
#include "billing/CheckoutPosting.h"

using namespace shoupai;
using namespace shoupai::test;

namespace {

qint64 headerId(Database& db, const QString& billNumber)
{
    return db.scalar(QStringLiteral("select id from 结帐管理 where 单据号 = ?"), {billNumber})
        .toLongLong();
}

} // namespace

class TestPostAndReverse : public QObject
{
    Q_OBJECT
private slots:
    void reversedBillsComeBackWhole();
};

void TestPostAndReverse::reversedBillsComeBackWhole()
{
    Venue v;
    Database& db = v.database();
    addMember(db, QStringLiteral("M500"), QStringLiteral("王五"), QStringLiteral("2863"), 500, 7);
    addMember(db, QStringLiteral("M60"), QStringLiteral("赵六"), QStringLiteral("2863"), 60, 0);
    const GoodsItem bath = addGoods(db, QStringLiteral("套餐甲"), 50, QStringLiteral("洗浴"));

    // A group of two paid fully from the card.
    QCOMPARE(openGroup(db, {QStringLiteral("A01"), QStringLiteral("A02")}, Money::fromUnits(30)),
             QString());
    QVERIFY(addLine(db, QStringLiteral("A02"), bath).stored);
    PostingResult posted =
        postCheckout(db, screenPost(db, QStringLiteral("A01"), true, Money::fromUnits(500),
                                    QStringLiteral("M500")));
    QCOMPARE(posted.outcome, PostingResult::Outcome::Posted);
    QCOMPARE(memberBalance(db, QStringLiteral("M500")), Money::fromUnits(390));
    const QString counterAfterPosting = counter(db);

    BillReversal reversal(db);
    BillReversal::Outcome outcome = reversal.reverse(headerId(db, posted.billNumber));
    QCOMPARE(outcome.status, BillReversal::Status::Reversed);
    QCOMPARE(memberBalance(db, QStringLiteral("M500")), Money::fromUnits(500));
    QCOMPARE(memberPoints(db, QStringLiteral("M500")), Money::fromUnits(7));
    QCOMPARE(counter(db), counterAfterPosting);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐管理")), 0);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐明细")), 0);
    // The lines are open again on the bill's tag, with their goods type and total.
    QCOMPARE(tagState(db, QStringLiteral("A01")), QStringLiteral("占用"));
    QCOMPARE(count(db, QStringLiteral("select count(*) from 手牌消费 where 主手牌号 = ?"),
                   {QStringLiteral("A01")}),
             3);
    QCOMPARE(money(db, QStringLiteral("select sum(合计) from 手牌消费 where 主手牌号 = ?"),
                   {QStringLiteral("A01")}),
             Money::fromUnits(110));
    QCOMPARE(db.scalar(QStringLiteral("select 商品类型 from 手牌消费 where 商品名 = ?"),
                       {QStringLiteral("套餐甲")})
                 .toString(),
             QStringLiteral("洗浴"));

    // The reopened bill checks out again, mixed card and cash, under a new number.
    posted = postCheckout(db, screenPost(db, QStringLiteral("A01"), true, Money::fromUnits(60),
                                         QStringLiteral("M60")));
    QCOMPARE(posted.outcome, PostingResult::Outcome::Posted);
    QCOMPARE(posted.billNumber, QString::number(counterAfterPosting.toLongLong() + 1));
    QCOMPARE(memberBalance(db, QStringLiteral("M60")), Money());
    QCOMPARE(memberPoints(db, QStringLiteral("M60")), Money::fromUnits(50));
    QCOMPARE(money(db, QStringLiteral("select 消费金额 from 结帐管理 where 单据号 = ?"),
                   {posted.billNumber}),
             Money::fromUnits(110));

    // Reversing the mixed bill gives the card back its 60 and takes the 50 points back.
    outcome = reversal.reverse(headerId(db, posted.billNumber));
    QCOMPARE(outcome.status, BillReversal::Status::Reversed);
    QCOMPARE(memberBalance(db, QStringLiteral("M60")), Money::fromUnits(60));
    QCOMPARE(memberPoints(db, QStringLiteral("M60")), Money());
    QCOMPARE(tagState(db, QStringLiteral("A02")), QStringLiteral("可用"));
}

QTEST_MAIN(TestPostAndReverse)
#include "tst_postandreverse.moc"
