#include "TestDatabase.h"
#include "admin/DataClearing.h"
#include "billing/BillNumber.h"
#include "billing/BillingTestKit.h"

#include <QTest>
#include <QThread>

#include <thread>

using namespace shoupai;
using namespace shoupai::test;
namespace clr = shoupai::dataclearing;

namespace {

qint64 rowsIn(Database& db, const QString& table)
{
    return db.scalar(QStringLiteral("select count(*) from ") + db.dialect().quote(table))
        .toLongLong();
}

// Two rows in every table the clearing may empty, and one in each it must keep.
void fill(Database& db)
{
    const QList<QPair<QString, QString>> records = {
        {QStringLiteral("员工工资表"), QStringLiteral("员工编号")},
        {QStringLiteral("结帐管理"), QStringLiteral("单据号")},
        {QStringLiteral("结帐明细"), QStringLiteral("单据号")},
        {QStringLiteral("会员充值"), QStringLiteral("会员卡号")},
        {QStringLiteral("商品库"), QStringLiteral("商品名")},
        {QStringLiteral("进货表"), QStringLiteral("商品名")},
        {QStringLiteral("手牌开单"), QStringLiteral("手牌号码")},
        {QStringLiteral("手牌消费"), QStringLiteral("手牌号码")},
        {QStringLiteral("日志"), QStringLiteral("事件")},
    };
    for (const auto& [table, column] : records) {
        for (const QString& value : {QStringLiteral("X1"), QStringLiteral("X2")})
            db.exec(QStringLiteral("insert into %1 (%2) values (?)").arg(table, column), {value});
    }
    db.exec(QStringLiteral("insert into 会员管理 (会员卡号) values (?)"), {QStringLiteral("M1")});
}

QHash<QString, qint64> countsOf(Database& db, const QStringList& tables)
{
    QHash<QString, qint64> counts;
    for (const QString& table : tables)
        counts.insert(table, rowsIn(db, table));
    return counts;
}

const QStringList recordTables = {QStringLiteral("员工工资表"), QStringLiteral("结帐管理"),
                                  QStringLiteral("结帐明细"),   QStringLiteral("会员充值"),
                                  QStringLiteral("商品库"),     QStringLiteral("进货表")};

} // namespace

class TestDataClearing : public QObject
{
    Q_OBJECT

private slots:
    void emptiesOnlyTheTicked()
    {
        SeededDatabase seeded;
        Database& db = seeded.database();
        fill(db);
        QVERIFY(clr::clear(db, {}, QStringLiteral("x")).isEmpty());
        QCOMPARE(rowsIn(db, QStringLiteral("结帐管理")), 2);

        const auto before = countsOf(db, recordTables);
        clr::Selection business;
        business.business = true;
        const auto deleted = clr::clear(db, business, QStringLiteral("超级管理员"));
        QCOMPARE(deleted.size(), 2);
        QCOMPARE(deleted.at(0), qMakePair(QStringLiteral("结帐管理"), 2));
        QCOMPARE(deleted.at(1), qMakePair(QStringLiteral("结帐明细"), 2));
        QCOMPARE(rowsIn(db, QStringLiteral("结帐管理")), 0);
        QCOMPARE(rowsIn(db, QStringLiteral("结帐明细")), 0);
        for (const QString& kept : {QStringLiteral("会员充值"), QStringLiteral("商品库"),
                                    QStringLiteral("进货表"), QStringLiteral("员工工资表")})
            QCOMPARE(rowsIn(db, kept), before.value(kept));
        const QString line =
            db.scalar(QStringLiteral("select 说明 from 日志 where 事件 = ? and 管理员 = ?"),
                      {QStringLiteral("数据初始化"), QStringLiteral("超级管理员")})
                .toString();
        QVERIFY2(line.contains(QStringLiteral("结帐管理 2")) &&
                     line.contains(QStringLiteral("结帐明细 2")),
                 qPrintable(line));
    }

    void everythingElseSurvivesAndNumbersGoOn()
    {
        SeededDatabase seeded;
        Database& db = seeded.database();
        fill(db);
        const QString counter = db.scalar(QStringLiteral("select 单据号 from 单据号")).toString();
        const qint64 admins = rowsIn(db, QStringLiteral("管理员"));
        const qint64 tags = rowsIn(db, QStringLiteral("手牌管理"));
        clr::Selection all{true, true, true, true, true};
        QCOMPARE(clr::clear(db, all, QStringLiteral("x")).size(), 6);
        for (const QString& emptied : clr::tablesOf(all))
            QCOMPARE(rowsIn(db, emptied), 0);
        QCOMPARE(rowsIn(db, QStringLiteral("手牌开单")), 2);
        QCOMPARE(rowsIn(db, QStringLiteral("手牌消费")), 2);
        QCOMPARE(rowsIn(db, QStringLiteral("会员管理")), 1);
        QCOMPARE(rowsIn(db, QStringLiteral("日志")), 3); // the two kept and the clearing's own
        QCOMPARE(rowsIn(db, QStringLiteral("管理员")), admins);
        QCOMPARE(rowsIn(db, QStringLiteral("手牌管理")), tags);
        QCOMPARE(rowsIn(db, QStringLiteral("sysinfo")), 1);
        Transaction transaction(db);
        QCOMPARE(billnumber::allocate(db).toLongLong(), counter.toLongLong() + 1);
    }

    void aFailureDeletesNothing()
    {
        SeededDatabase seeded;
        Database& db = seeded.database();
        fill(db);
        // The last table refuses its delete, after the others were emptied.
        if (testBackend() == Backend::Postgres) {
            db.exec(
                QStringLiteral("create function keep_rows() returns trigger language plpgsql as "
                               "$$ begin raise exception 'rows kept'; end $$"));
            db.exec(QStringLiteral("create trigger keep_purchases before delete on 进货表 "
                                   "for each statement execute function keep_rows()"));
        } else {
            db.exec(QStringLiteral("create trigger keep_purchases before delete on 进货表 "
                                   "begin select raise(abort, 'rows kept'); end"));
        }
        const auto before = countsOf(db, recordTables);
        clr::Selection selection{true, true, true, true, true};
        QVERIFY_THROWS_EXCEPTION(DatabaseError, clr::clear(db, selection, QStringLiteral("x")));
        QVERIFY(!db.inTransaction());
        QCOMPARE(countsOf(db, recordTables), before);
        QCOMPARE(rowsIn(db, QStringLiteral("日志")), 2);
    }

    // A checkout posted on one workstation while another clears the business
    // records: the bill is kept or removed whole, never its header without its lines.
    void aPostingRacingTheClearingKeepsItsBillWhole()
    {
        if (testBackend() != Backend::Postgres)
            QSKIP("a SQLite writer holds the whole file");
        for (const bool clearingFirst : {true, false}) {
            SeededDatabase seeded;
            Database& db = seeded.database();
            QCOMPARE(openGroup(db, {QStringLiteral("A01")}, Money::fromUnits(30)), QString());
            QCOMPARE(postCheckout(db, screenPost(db, QStringLiteral("A01"))).outcome,
                     PostingResult::Outcome::Posted);
            QCOMPARE(openGroup(db, {QStringLiteral("A02")}, Money::fromUnits(30)), QString());
            QVERIFY(addLine(db, QStringLiteral("A02"),
                            addGoods(db, QStringLiteral("套餐"), 50, QStringLiteral("洗浴")))
                        .stored);
            const qint64 openLines =
                count(db, QStringLiteral("select count(*) from 手牌消费 where 主手牌号 = ?"),
                      {QStringLiteral("A02")});
            QVERIFY(openLines >= 1);
            const CheckoutPost post = screenPost(db, QStringLiteral("A02"));

            // Whoever starts first dwells inside its transaction: the clearing
            // between its two deletes, the posting after writing its lines.
            db.exec(QStringLiteral("create function dwell() returns trigger language plpgsql as "
                                   "$$ begin perform pg_sleep(1); return null; end $$"));
            db.exec(clearingFirst ? QStringLiteral("create trigger dwell after delete on 结帐管理 "
                                                   "for each statement execute function dwell()")
                                  : QStringLiteral("create trigger dwell after insert on 结帐明细 "
                                                   "for each statement execute function dwell()"));

            clr::Selection business;
            business.business = true;
            PostingResult posted;
            QString failure;
            std::thread first([&] {
                try {
                    auto workstation = seeded.openAnother();
                    if (clearingFirst)
                        clr::clear(*workstation, business, QStringLiteral("店长"));
                    else
                        posted = postCheckout(*workstation, post);
                } catch (const DatabaseError& error) {
                    failure = error.text();
                }
            });
            bool dwelling = false;
            for (int attempt = 0; attempt < 400 && !dwelling; ++attempt) {
                dwelling = count(db, QStringLiteral("select count(*) from pg_stat_activity where "
                                                    "datname = current_database() and "
                                                    "wait_event = 'PgSleep'")) == 1;
                if (!dwelling)
                    QThread::msleep(10);
            }
            if (clearingFirst)
                posted = postCheckout(db, post);
            else
                clr::clear(db, business, QStringLiteral("店长"));
            first.join();
            QVERIFY2(dwelling, "the first workstation never reached its pause");
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
            QCOMPARE(posted.outcome, PostingResult::Outcome::Posted);

            const qint64 headers =
                count(db, QStringLiteral("select count(*) from 结帐管理 where 单据号 = ?"),
                      {posted.billNumber});
            const qint64 lines =
                count(db, QStringLiteral("select count(*) from 结帐明细 where 单据号 = ?"),
                      {posted.billNumber});
            // The second one waited for the first: a clearing that went first leaves
            // the posting whole after it; a posting that went first is cleared whole.
            QCOMPARE(headers, clearingFirst ? 1 : 0);
            QCOMPARE(lines, clearingFirst ? openLines : 0);
            QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐管理 where 单据号 <> ?"),
                           {posted.billNumber}),
                     0);
            QCOMPARE(count(db, QStringLiteral("select count(*) from 手牌消费")), 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestDataClearing)
#include "tst_dataclearing.moc"
