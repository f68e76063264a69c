#include "BillingTestKit.h"
#include "billing/BillNumber.h"
#include "billing/CheckoutGroup.h"
#include "billing/CheckoutPosting.h"
#include "platform/ConnectionDescription.h"

#include <QThread>

#include <atomic>

using namespace shoupai;
using namespace shoupai::test;

namespace {

// Two tags with a ticket of 30 each and a line of 50 on the second: 110 in all.
void openGroupOf110(Database& db, const QString& first, const QString& second)
{
    QCOMPARE(openGroup(db, {first, second}, Money::fromUnits(30)), QString());
    QVERIFY(addLine(db, second,
                    addGoods(db, QStringLiteral("套餐") + second, 50, QStringLiteral("洗浴")))
                .stored);
}

qint64 openRows(Database& db, const QString& mainTag)
{
    return count(db, QStringLiteral("select count(*) from 手牌开单 where 主手牌号 = ?"),
                 {mainTag}) +
           count(db, QStringLiteral("select count(*) from 手牌消费 where 主手牌号 = ?"), {mainTag});
}

// Posts on a connection of its own, as another workstation.
class PostingThread : public QThread
{
public:
    PostingThread(QString connectionText, QString folder, CheckoutPost post)
        : m_text(std::move(connectionText)), m_folder(std::move(folder)), m_post(std::move(post))
    {
    }
    PostingResult result;
    QString failure;

protected:
    void run() override
    {
        Database db;
        if (!db.open(ConnectionDescription::parse(m_text), m_folder)) {
            failure = db.lastError();
            return;
        }
        try {
            result = postCheckout(db, m_post);
        } catch (const DatabaseError& error) {
            failure = error.text();
        }
    }

private:
    QString m_text, m_folder;
    CheckoutPost m_post;
};

// Another connection that ends a backend once it is caught sleeping inside a
// statement, as a server restart or a network drop would end it.
class BackendKiller : public QThread
{
public:
    BackendKiller(QString connectionText, QString folder, qint64 pid)
        : m_text(std::move(connectionText)), m_folder(std::move(folder)), m_pid(pid)
    {
    }
    bool killed = false;
    QString failure;

protected:
    void run() override
    {
        Database db;
        if (!db.open(ConnectionDescription::parse(m_text), m_folder)) {
            failure = db.lastError();
            return;
        }
        try {
            for (int attempt = 0; attempt < 200 && !killed; ++attempt) {
                const bool sleeping =
                    db.scalar(QStringLiteral("select count(*) from pg_stat_activity where pid = ? "
                                             "and wait_event = 'PgSleep'"),
                              {m_pid})
                        .toLongLong() == 1;
                if (sleeping)
                    killed = db.scalar(QStringLiteral("select pg_terminate_backend(?)"),
                                       {QVariant::fromValue<qlonglong>(m_pid)})
                                 .toBool();
                else
                    QThread::msleep(25);
            }
        } catch (const DatabaseError& error) {
            failure = error.text();
        }
    }

private:
    QString m_text, m_folder;
    qint64 m_pid;
};

} // namespace

class TestPosting : public QObject
{
    Q_OBJECT
private slots:
    void cashGroupOfTwo();
    void memberPaymentsAndPoints();
    void freeBillAndDiscount();
    void failedStatementRollsBackEverything();
    void changedGroupIsRefused();
    void balanceIsCheckedInsideTheTransaction();
    void billNumbers();
    void concurrentPostingsGetDistinctNumbers();
    void postingWhoseConnectionDies();
};

void TestPosting::cashGroupOfTwo()
{
    Venue v;
    Database& db = v.database();
    openGroupOf110(db, QStringLiteral("A01"), QStringLiteral("A02"));
    const QString before = counter(db);
    CheckoutPost post = screenPost(db, QStringLiteral("A02"));
    QCOMPARE(post.mainTag, QStringLiteral("A01"));
    QCOMPARE(post.receivable, Money::fromUnits(110));

    const PostingResult result = postCheckout(db, post);
    QCOMPARE(result.outcome, PostingResult::Outcome::Posted);
    QCOMPARE(result.billNumber, QString::number(before.toLongLong() + 1));
    QCOMPARE(counter(db), result.billNumber);

    Rows header = db.query(QStringLiteral("select * from 结帐管理"));
    QVERIFY(header.next());
    QCOMPARE(header.text(QStringLiteral("单据号")), result.billNumber);
    QCOMPARE(header.text(QStringLiteral("手牌号码")), QStringLiteral("A02"));
    QCOMPARE(header.money(QStringLiteral("消费金额")), Money::fromUnits(110));
    QCOMPARE(header.money(QStringLiteral("实收金额")), Money::fromUnits(110));
    QCOMPARE(header.money(QStringLiteral("卡内扣除")), Money());
    QCOMPARE(header.text(QStringLiteral("结帐方式")), QStringLiteral("现金支付"));
    QCOMPARE(header.text(QStringLiteral("会员卡号")), QStringLiteral("非会员"));
    QCOMPARE(header.text(QStringLiteral("状态")), QStringLiteral("已结"));
    QCOMPARE(header.text(QStringLiteral("营业员")), QStringLiteral("收银员乙"));
    QCOMPARE(
        header.dateTime(QStringLiteral("进店时间")).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
        post.entryTime);
    QVERIFY(header.dateTime(QStringLiteral("结帐时间")).isValid());
    QVERIFY(!header.next());

    Rows details = db.query(QStringLiteral("select * from 结帐明细 order by ID"));
    QList<Money> totals;
    while (details.next()) {
        QCOMPARE(details.text(QStringLiteral("单据号")), result.billNumber);
        QCOMPARE(details.text(QStringLiteral("手牌号码")), QStringLiteral("A02"));
        QCOMPARE(details.text(QStringLiteral("tcyf")), QStringLiteral("0"));
        QCOMPARE(details.text(QStringLiteral("营业员")), QStringLiteral("收银员乙"));
        QCOMPARE(details.text(QStringLiteral("状态")), QStringLiteral("已结"));
        totals << details.money(QStringLiteral("合计"));
    }
    QCOMPARE(totals,
             (QList<Money>{Money::fromUnits(30), Money::fromUnits(30), Money::fromUnits(50)}));
    QCOMPARE(openRows(db, QStringLiteral("A01")), 0);
    QCOMPARE(tagState(db, QStringLiteral("A01")), QStringLiteral("可用"));
    QCOMPARE(tagState(db, QStringLiteral("A02")), QStringLiteral("可用"));
}

void TestPosting::memberPaymentsAndPoints()
{
    Venue v;
    Database& db = v.database();
    addMember(db, QStringLiteral("M500"), QStringLiteral("王五"), QStringLiteral("2863"), 500, 7);
    addMember(db, QStringLiteral("M60"), QStringLiteral("赵六"), QStringLiteral("2863"), 60, 0);
    addMember(db, QStringLiteral("M100"), QStringLiteral("钱七"), QStringLiteral("2863"), 0, 100);

    // Card covers everything: balance falls by 110, no points for the card part.
    openGroupOf110(db, QStringLiteral("A01"), QStringLiteral("A02"));
    CheckoutPost post =
        screenPost(db, QStringLiteral("A01"), true, Money::fromUnits(500), QStringLiteral("M500"));
    QCOMPARE(post.cardDeduction, Money::fromUnits(110));
    QCOMPARE(post.received, Money());
    QCOMPARE(postCheckout(db, post).outcome, PostingResult::Outcome::Posted);
    QCOMPARE(memberBalance(db, QStringLiteral("M500")), Money::fromUnits(390));
    QCOMPARE(memberPoints(db, QStringLiteral("M500")), Money::fromUnits(7));
    QCOMPARE(money(db, QStringLiteral("select 卡内扣除 from 结帐管理 where 会员卡号 = ?"),
                   {QStringLiteral("M500")}),
             Money::fromUnits(110));

    // Card short: 60 from the card, 50 in cash, 50 points, balance 0.
    openGroupOf110(db, QStringLiteral("A03"), QStringLiteral("A04"));
    post = screenPost(db, QStringLiteral("A03"), true, Money::fromUnits(60), QStringLiteral("M60"));
    QCOMPARE(post.cardDeduction, Money::fromUnits(60));
    QCOMPARE(post.received, Money::fromUnits(50));
    QCOMPARE(postCheckout(db, post).outcome, PostingResult::Outcome::Posted);
    QCOMPARE(memberBalance(db, QStringLiteral("M60")), Money());
    QCOMPARE(memberPoints(db, QStringLiteral("M60")), Money::fromUnits(50));
    QCOMPARE(money(db, QStringLiteral("select 实收金额 from 结帐管理 where 会员卡号 = ?"),
                   {QStringLiteral("M60")}),
             Money::fromUnits(50));

    // Cash: points 100 -> 210, balance untouched.
    openGroupOf110(db, QStringLiteral("A05"), QStringLiteral("A06"));
    post = screenPost(db, QStringLiteral("A05"), false, Money(), QStringLiteral("M100"));
    QCOMPARE(postCheckout(db, post).outcome, PostingResult::Outcome::Posted);
    QCOMPARE(memberPoints(db, QStringLiteral("M100")), Money::fromUnits(210));
    QCOMPARE(memberBalance(db, QStringLiteral("M100")), Money());

    // A member that is gone meanwhile: nothing written.
    openGroupOf110(db, QStringLiteral("A07"), QStringLiteral("A08"));
    post = screenPost(db, QStringLiteral("A07"), false, Money(), QStringLiteral("M999"));
    const QString before = counter(db);
    QCOMPARE(postCheckout(db, post).outcome, PostingResult::Outcome::MemberMissing);
    QCOMPARE(counter(db), before);
    QCOMPARE(openRows(db, QStringLiteral("A07")), 5);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐管理")), 3);

    // Walk-in guest with a typed name touches no member.
    db.exec(QStringLiteral("update 手牌开单 set 顾客姓名 = ? where 主手牌号 = ?"),
            {QStringLiteral("张先生"), QStringLiteral("A07")});
    post = screenPost(db, QStringLiteral("A07"));
    QCOMPARE(postCheckout(db, post).outcome, PostingResult::Outcome::Posted);
    QCOMPARE(db.scalar(QStringLiteral("select 顾客姓名 from 结帐管理 where 手牌号码 = ?"),
                       {QStringLiteral("A07")})
                 .toString(),
             QStringLiteral("张先生"));
    QCOMPARE(memberPoints(db, QStringLiteral("M100")), Money::fromUnits(210));
}

void TestPosting::freeBillAndDiscount()
{
    Venue v;
    Database& db = v.database();
    addMember(db, QStringLiteral("F1"), QStringLiteral("孙八"), QStringLiteral("2863"), 500, 10);

    // A free bill takes nothing: card and points stay, the header stores no
    // deduction and no cash, only what was consumed.
    openGroupOf110(db, QStringLiteral("A01"), QStringLiteral("A02"));
    CheckoutPost post =
        screenPost(db, QStringLiteral("A01"), true, Money::fromUnits(500), QStringLiteral("F1"));
    post.state = FreeBillState;
    QCOMPARE(post.cardDeduction, Money::fromUnits(110));
    QCOMPARE(postCheckout(db, post).outcome, PostingResult::Outcome::Posted);
    QCOMPARE(memberBalance(db, QStringLiteral("F1")), Money::fromUnits(500));
    QCOMPARE(memberPoints(db, QStringLiteral("F1")), Money::fromUnits(10));
    Rows header = db.query(QStringLiteral("select * from 结帐管理"));
    QVERIFY(header.next());
    QCOMPARE(header.text(QStringLiteral("状态")), QStringLiteral("免单"));
    QCOMPARE(header.money(QStringLiteral("卡内扣除")), Money());
    QCOMPARE(header.money(QStringLiteral("实收金额")), Money());
    QCOMPARE(header.money(QStringLiteral("消费金额")), Money::fromUnits(110));
    QCOMPARE(header.text(QStringLiteral("结帐方式")), CardPayment);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐明细 where 状态 = ?"),
                   {QStringLiteral("免单")}),
             3);

    // 0.8 on a line of 100 that takes part, a ticket of 30 that does not.
    QCOMPARE(openGroup(db, {QStringLiteral("A03")}, Money::fromUnits(30)), QString());
    db.exec(QStringLiteral("update 商品类型 set 参与打折 = ? where 名称 = ?"),
            {QStringLiteral("y"), QStringLiteral("洗浴")});
    QVERIFY(addLine(db, QStringLiteral("A03"),
                    addGoods(db, QStringLiteral("汗蒸"), 100, QStringLiteral("洗浴")))
                .stored);
    checkoutgroup::applyDiscount(db, QStringLiteral("A03"),
                                 *checkoutgroup::parseRate(QStringLiteral("0.9")));
    checkoutgroup::applyDiscount(db, QStringLiteral("A03"),
                                 *checkoutgroup::parseRate(QStringLiteral("0.80")));
    post = screenPost(db, QStringLiteral("A03"));
    QCOMPARE(post.receivable, Money::fromUnits(110));
    QCOMPARE(checkoutgroup::consumptionTotal(db, QStringLiteral("A03")), Money::fromUnits(130));
    const QString number = postCheckout(db, post).billNumber;
    QCOMPARE(money(db, QStringLiteral("select 消费金额 from 结帐管理 where 单据号 = ?"), {number}),
             Money::fromUnits(110));
    Rows details = db.query(
        QStringLiteral("select 商品名, 单价, 合计 from 结帐明细 where 单据号 = ? and 商品名 = ?"),
        {number, QStringLiteral("汗蒸")});
    QVERIFY(details.next());
    QCOMPARE(details.money(QStringLiteral("单价")), Money::fromUnits(100));
    QCOMPARE(details.money(QStringLiteral("合计")), Money::fromUnits(80));

    // Rounding of a discounted line is half to even at four decimals.
    QCOMPARE(openGroup(db, {QStringLiteral("A04")}, Money()), QString());
    db.exec(QStringLiteral("update 商品库 set 单价 = ? where 商品名 = ?"),
            {QVariant::fromValue(Money::fromTicks(12345)), QStringLiteral("汗蒸")});
    QVERIFY(addLine(db, QStringLiteral("A04"), goodsNamed(db, QStringLiteral("汗蒸"))).stored);
    checkoutgroup::applyDiscount(db, QStringLiteral("A04"), Money::fromTicks(5000));
    QCOMPARE(checkoutgroup::receivableTotal(db, QStringLiteral("A04")), Money::fromTicks(6172));
    QVERIFY(!checkoutgroup::parseRate(QStringLiteral("")));
    QVERIFY(!checkoutgroup::parseRate(QStringLiteral("abc")));
    QVERIFY(!checkoutgroup::parseRate(QStringLiteral("10.01")));
    QVERIFY(!checkoutgroup::parseRate(QStringLiteral("-1")));
    QCOMPARE(*checkoutgroup::parseRate(QStringLiteral("10")), Money::fromUnits(10));
}

void TestPosting::failedStatementRollsBackEverything()
{
    Venue v;
    Database& db = v.database();
    addMember(db, QStringLiteral("R1"), QStringLiteral("周九"), QStringLiteral("2863"), 500, 10);
    openGroupOf110(db, QStringLiteral("A01"), QStringLiteral("A02"));
    const QString before = counter(db);
    const CheckoutPost post =
        screenPost(db, QStringLiteral("A01"), true, Money::fromUnits(500), QStringLiteral("R1"));
    // Freeing the tags is the last thing a posting does.
    breakTagUpdates(db);
    QVERIFY_THROWS_EXCEPTION(DatabaseError, postCheckout(db, post));
    QVERIFY(!db.inTransaction());
    QCOMPARE(counter(db), before);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐管理")), 0);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐明细")), 0);
    QCOMPARE(openRows(db, QStringLiteral("A01")), 5);
    QCOMPARE(memberBalance(db, QStringLiteral("R1")), Money::fromUnits(500));
    QCOMPARE(memberPoints(db, QStringLiteral("R1")), Money::fromUnits(10));
    QCOMPARE(tagState(db, QStringLiteral("A01")), QStringLiteral("占用"));
}

void TestPosting::changedGroupIsRefused()
{
    Venue v;
    Database& db = v.database();
    openGroupOf110(db, QStringLiteral("A01"), QStringLiteral("A02"));
    const CheckoutPost post = screenPost(db, QStringLiteral("A01"));

    // Another workstation adds a line after the screen loaded.
    std::unique_ptr<Database> other = v.db.openAnother();
    QVERIFY(
        addLine(*other, QStringLiteral("A02"), goodsNamed(*other, QStringLiteral("可乐"))).stored);
    const QString before = counter(db);
    QCOMPARE(postCheckout(db, post).outcome, PostingResult::Outcome::GroupChanged);
    QCOMPARE(counter(db), before);
    QCOMPARE(openRows(db, QStringLiteral("A01")), 6);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐管理")), 0);

    // Another workstation re-discounts the lines: the total differs.
    CheckoutPost fresh = screenPost(db, QStringLiteral("A01"));
    checkoutgroup::applyDiscount(*other, QStringLiteral("A01"), Money::fromTicks(5000));
    QCOMPARE(postCheckout(db, fresh).outcome, PostingResult::Outcome::GroupChanged);

    // A tag left the group: the group list no longer matches.
    checkoutgroup::resetLineTotals(db, QStringLiteral("A01"));
    fresh = screenPost(db, QStringLiteral("A01"));
    QVERIFY(checkoutgroup::detach(*other, QStringLiteral("A01"), QStringLiteral("A02")));
    QCOMPARE(postCheckout(db, fresh).outcome, PostingResult::Outcome::GroupChanged);
    QCOMPARE(tagState(db, QStringLiteral("A02")), QStringLiteral("占用"));

    // Posted elsewhere first: the second posting finds nothing to post.
    fresh = screenPost(db, QStringLiteral("A01"));
    QCOMPARE(postCheckout(*other, fresh).outcome, PostingResult::Outcome::Posted);
    QCOMPARE(postCheckout(db, fresh).outcome, PostingResult::Outcome::GroupChanged);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐管理")), 1);
    // Only the tag whose open rows went is free; the detached one stays open.
    QCOMPARE(tagState(db, QStringLiteral("A01")), QStringLiteral("可用"));
    QCOMPARE(tagState(db, QStringLiteral("A02")), QStringLiteral("占用"));
    // A line can no longer be added to a posted tag.
    QVERIFY(!addLine(db, QStringLiteral("A01"), goodsNamed(db, QStringLiteral("可乐"))).stored);
}

void TestPosting::balanceIsCheckedInsideTheTransaction()
{
    Venue v;
    Database& db = v.database();
    addMember(db, QStringLiteral("B1"), QStringLiteral("吴十"), QStringLiteral("2863"), 200, 0);
    openGroupOf110(db, QStringLiteral("A01"), QStringLiteral("A02"));
    const CheckoutPost post =
        screenPost(db, QStringLiteral("A01"), true, Money::fromUnits(200), QStringLiteral("B1"));
    // Spent at another till meanwhile, with a relative update of its own.
    std::unique_ptr<Database> other = v.db.openAnother();
    other->exec(QStringLiteral("update 会员管理 set 卡内金额 = 卡内金额 - ? where 会员卡号 = ?"),
                {QVariant::fromValue(Money::fromUnits(150)), QStringLiteral("B1")});
    QCOMPARE(postCheckout(db, post).outcome, PostingResult::Outcome::BalanceTooLow);
    QCOMPARE(memberBalance(db, QStringLiteral("B1")), Money::fromUnits(50));
    QCOMPARE(memberPoints(db, QStringLiteral("B1")), Money());
    QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐管理")), 0);
    QCOMPARE(openRows(db, QStringLiteral("A01")), 5);
}

void TestPosting::billNumbers()
{
    Venue v;
    Database& db = v.database();
    db.exec(QStringLiteral("update 单据号 set 单据号 = ?"), {QStringLiteral("41")});
    QCOMPARE(billnumber::provisional(db), QStringLiteral("42"));
    {
        Transaction t(db);
        QCOMPARE(billnumber::allocate(db), QStringLiteral("42"));
        QCOMPARE(billnumber::allocate(db), QStringLiteral("43"));
        t.commit();
    }
    QCOMPARE(counter(db), QStringLiteral("43"));
    // Rolled back: the number is not used up.
    {
        Transaction t(db);
        billnumber::allocate(db);
    }
    QCOMPARE(counter(db), QStringLiteral("43"));

    db.exec(QStringLiteral("update 单据号 set 单据号 = ?"), {QStringLiteral("x1")});
    QVERIFY_THROWS_EXCEPTION(DatabaseError, billnumber::provisional(db));
    openGroupOf110(db, QStringLiteral("A01"), QStringLiteral("A02"));
    QVERIFY_THROWS_EXCEPTION(DatabaseError,
                             postCheckout(db, screenPost(db, QStringLiteral("A01"))));
    QCOMPARE(openRows(db, QStringLiteral("A01")), 5);
}

void TestPosting::concurrentPostingsGetDistinctNumbers()
{
    Venue v;
    Database& db = v.database();
    const QString before = counter(db);
    const QStringList mains = {QStringLiteral("A01"), QStringLiteral("A03"), QStringLiteral("A05"),
                               QStringLiteral("A07")};
    for (const QString& main : mains) {
        const QString second =
            QStringLiteral("A%1").arg(main.mid(1).toInt() + 1, 2, 10, QChar(u'0'));
        openGroupOf110(db, main, second);
    }
    // Four workstations post four groups at once, two of them the same group.
    std::vector<std::unique_ptr<PostingThread>> threads;
    for (const QString& main : mains)
        threads.push_back(std::make_unique<PostingThread>(v.db.connectionText(), v.db.folder(),
                                                          screenPost(db, main)));
    threads.push_back(std::make_unique<PostingThread>(v.db.connectionText(), v.db.folder(),
                                                      screenPost(db, mains.first())));
    for (auto& thread : threads)
        thread->start();
    QStringList numbers;
    int refused = 0;
    for (auto& thread : threads) {
        QVERIFY(thread->wait(60000));
        QVERIFY2(thread->failure.isEmpty(), qPrintable(thread->failure));
        if (thread->result.outcome == PostingResult::Outcome::Posted)
            numbers << thread->result.billNumber;
        else
            ++refused;
    }
    QCOMPARE(refused, 1);
    QCOMPARE(numbers.size(), 4);
    QCOMPARE(QSet<QString>(numbers.begin(), numbers.end()).size(), 4);
    QCOMPARE(counter(db), QString::number(before.toLongLong() + 4));
    QCOMPARE(count(db, QStringLiteral("select count(distinct 单据号) from 结帐管理")), 4);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐明细")), 12);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 手牌开单")), 0);
}

void TestPosting::postingWhoseConnectionDies()
{
    if (testBackend() != Backend::Postgres)
        QSKIP("a server connection that dies exists only on PostgreSQL");
    Venue v;
    Database& db = v.database();
    addMember(db, QStringLiteral("K1"), QStringLiteral("吴十"), QStringLiteral("2863"), 500, 10);
    openGroupOf110(db, QStringLiteral("A01"), QStringLiteral("A02"));
    const QString before = counter(db);
    const CheckoutPost post =
        screenPost(db, QStringLiteral("A01"), true, Money::fromUnits(500), QStringLiteral("K1"));
    // Freeing the tags, the last step, waits long enough to be caught.
    db.exec(QStringLiteral("create function slow_tag() returns trigger language plpgsql as "
                           "$$ begin perform pg_sleep(20); return new; end $$"));
    db.exec(QStringLiteral("create trigger slow_tag before update on 手牌管理 "
                           "for each row execute function slow_tag()"));
    const qint64 pid = db.scalar(QStringLiteral("select pg_backend_pid()")).toLongLong();
    BackendKiller killer(v.db.connectionText(), v.db.folder(), pid);
    killer.start();
    QVERIFY_THROWS_EXCEPTION(DatabaseError, postCheckout(db, post));
    QVERIFY(killer.wait(30000));
    QVERIFY2(killer.failure.isEmpty(), qPrintable(killer.failure));
    QVERIFY(killer.killed);
    QVERIFY(!db.inTransaction());

    // The next command runs on a new connection and finds nothing half-written.
    QVERIFY(db.scalar(QStringLiteral("select pg_backend_pid()")).toLongLong() != pid);
    QCOMPARE(counter(db), before);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐管理")), 0);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐明细")), 0);
    QCOMPARE(openRows(db, QStringLiteral("A01")), 5);
    QCOMPARE(memberBalance(db, QStringLiteral("K1")), Money::fromUnits(500));
    QCOMPARE(tagState(db, QStringLiteral("A01")), QStringLiteral("占用"));

    // Posting again works and posts once.
    db.exec(QStringLiteral("drop trigger slow_tag on 手牌管理"));
    const PostingResult posted = postCheckout(db, post);
    QCOMPARE(posted.outcome, PostingResult::Outcome::Posted);
    QCOMPARE(counter(db), QString::number(before.toLongLong() + 1));
    QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐管理")), 1);
    QCOMPARE(memberBalance(db, QStringLiteral("K1")), Money::fromUnits(390));
    QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐明细")), 3);
    QCOMPARE(tagState(db, QStringLiteral("A01")), QStringLiteral("可用"));
}

QTEST_GUILESS_MAIN(TestPosting)
#include "tst_posting.moc"
