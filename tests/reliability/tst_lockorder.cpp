// Two workstations' writes that meet on the same open rows on the server: each
// waits for the other instead of deadlocking, and nothing stays behind.
#include "billing/BillingTestKit.h"

#include <QElapsedTimer>
#include <QThread>

#include <functional>
#include <memory>

using namespace shoupai;
using namespace shoupai::test;

namespace {

// A command on a workstation of its own: a connection opened and used in a
// thread of its own, its answer or its error kept.
class Workstation
{
public:
    Workstation(const TestDatabase& db, std::function<QString(Database&)> command)
    {
        m_thread.reset(QThread::create([this, &db, command] {
            try {
                std::unique_ptr<Database> own = db.openAnother();
                m_answer = command(*own);
            } catch (const std::exception& error) {
                m_error = QString::fromUtf8(error.what());
            }
        }));
        m_thread->start();
    }
    ~Workstation() { m_thread->wait(); }
    void finish() { m_thread->wait(); }
    QString answer() const { return m_answer; }
    QString error() const { return m_error; }

private:
    std::unique_ptr<QThread> m_thread;
    QString m_answer;
    QString m_error;
};

// Waits until `count` sessions of the database wait for a row lock.
bool waitingForLocks(Database& db, int count)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 15000) {
        if (db.scalar(QStringLiteral("select count(*) from pg_stat_activity where datname = "
                                     "current_database() and wait_event_type = ?"),
                      {QStringLiteral("Lock")})
                .toLongLong() == count)
            return true;
        QThread::msleep(20);
    }
    return false;
}

QString opening(Database& db, const QStringList& tags)
{
    return openGroup(db, tags, Money::fromUnits(20));
}

} // namespace

class TestLockOrder : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        if (testBackend() != Backend::Postgres)
            QSKIP("a SQLite file takes one writer at a time; rows are locked on the server only");
    }
    void openingTheSameTagsInAnotherOrder();
    void lineAddedWhileItsGroupJoinsAnother();
};

void TestLockOrder::openingTheSameTagsInAnotherOrder()
{
    SeededDatabase db;
    std::unique_ptr<Database> holder = db.openAnother();
    // A third workstation holds A01 while both openings start: each then has
    // to wait, one with A02 already taken if tags were taken in screen order.
    holder->begin();
    holder->query(QStringLiteral("select 手牌状态 from 手牌管理 where 手牌号码 = ? for update"),
                  {QStringLiteral("A01")});
    Workstation first(db, [](Database& own) {
        return opening(own, {QStringLiteral("A01"), QStringLiteral("A02")});
    });
    QVERIFY(waitingForLocks(db.database(), 1));
    Workstation second(db, [](Database& own) {
        return opening(own, {QStringLiteral("A02"), QStringLiteral("A01")});
    });
    QVERIFY(waitingForLocks(db.database(), 2));
    holder->rollback();
    first.finish();
    second.finish();

    QCOMPARE(first.error(), QString());
    QCOMPARE(second.error(), QString());
    // One group opened whole, the other was told a tag is taken.
    QCOMPARE(first.answer().isEmpty() + second.answer().isEmpty(), 1);
    Database& d = db.database();
    QCOMPARE(count(d, QStringLiteral("select count(*) from 手牌开单")), 2);
    QCOMPARE(count(d, QStringLiteral("select count(distinct 主手牌号) from 手牌开单")), 1);
    QCOMPARE(count(d, QStringLiteral("select count(*) from 手牌消费")), 2);
    QCOMPARE(tagState(d, QStringLiteral("A01")), QStringLiteral("占用"));
    QCOMPARE(tagState(d, QStringLiteral("A02")), QStringLiteral("占用"));
}

void TestLockOrder::lineAddedWhileItsGroupJoinsAnother()
{
    SeededDatabase db;
    Database& d = db.database();
    QCOMPARE(opening(d, {QStringLiteral("A03")}), QString());
    QCOMPARE(opening(d, {QStringLiteral("A04"), QStringLiteral("A05")}), QString());

    // Another workstation is adding a line to A05 (group A04): its open row is
    // locked and the line written, not yet committed.
    std::unique_ptr<Database> adding = db.openAnother();
    adding->begin();
    adding->query(QStringLiteral("select 主手牌号 from 手牌开单 where 手牌号码 = ? for update"),
                  {QStringLiteral("A05")});
    adding->exec(QStringLiteral("insert into 手牌消费 (手牌号码, 商品名, 单价, 实际单价, 数量, "
                                "合计, 主手牌号) values (?, ?, ?, ?, ?, ?, ?)"),
                 {QStringLiteral("A05"), QStringLiteral("可乐"),
                  QVariant::fromValue(Money::fromUnits(6)),
                  QVariant::fromValue(Money::fromUnits(6)), QVariant::fromValue<qlonglong>(1),
                  QVariant::fromValue(Money::fromUnits(6)), QStringLiteral("A04")});
    // Meanwhile the checkout screen of A03 brings A04's group in.
    Workstation joining(db, [](Database& own) {
        return checkoutgroup::join(own, QStringLiteral("A03"), QStringLiteral("A04")) ==
                       checkoutgroup::JoinResult::Joined
                   ? QStringLiteral("joined")
                   : QStringLiteral("refused");
    });
    QVERIFY(waitingForLocks(d, 1));
    adding->commit();
    joining.finish();
    QCOMPARE(joining.error(), QString());
    QCOMPARE(joining.answer(), QStringLiteral("joined"));

    // Every open row and every line, the new one too, is in A03's group.
    QCOMPARE(count(d, QStringLiteral("select count(*) from 手牌开单 where 主手牌号 <> ?"),
                   {QStringLiteral("A03")}),
             0);
    QCOMPARE(count(d, QStringLiteral("select count(*) from 手牌消费 where 主手牌号 <> ?"),
                   {QStringLiteral("A03")}),
             0);
    QCOMPARE(count(d, QStringLiteral("select count(*) from 手牌消费")), 4);
    // So the checkout takes it: nothing is left open afterwards.
    const PostingResult posted = postCheckout(d, screenPost(d, QStringLiteral("A03")));
    QCOMPARE(posted.outcome, PostingResult::Outcome::Posted);
    QCOMPARE(money(d, QStringLiteral("select 消费金额 from 结帐管理")), Money::fromUnits(66));
    QCOMPARE(count(d, QStringLiteral("select count(*) from 手牌消费")), 0);
}

QTEST_MAIN(TestLockOrder)
#include "tst_lockorder.moc"
