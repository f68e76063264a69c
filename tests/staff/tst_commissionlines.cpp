#include "../billing/BillingTestKit.h"
#include "StaffTestKit.h"
#include "billing/BillReversal.h"
#include "platform/Schema.h"
#include "platform/SchemaUpgrader.h"
#include "staff/CommissionQueries.h"

#include <QTest>
#include <QThread>

#include <thread>

using namespace shoupai;
using namespace shoupai::test;

namespace {

const QString WideIndex = QStringLiteral("ix_结帐明细_员工编号_tcyf_提成金额");
const QString NarrowIndex = QStringLiteral("ix_结帐明细_员工编号");

bool indexExists(Database& db, const QString& name)
{
    if (db.backend() == Backend::Sqlite)
        return db.scalar(QStringLiteral("select count(*) from sqlite_master where type = 'index' "
                                        "and name = ?"),
                         {name})
                   .toInt() == 1;
    return db.scalar(QStringLiteral("select count(*) from pg_indexes where indexname = ?"), {name})
               .toInt() == 1;
}

QMap<QString, Money> totalsOf(Database& db, const StaffStatement& statement)
{
    QMap<QString, Money> totals;
    Rows rows = db.query(statement.sql, statement.parameters);
    while (rows.next())
        totals.insert(rows.text(QStringLiteral("员工编号")), rows.money(QStringLiteral("金额")));
    return totals;
}

QStringList plan(Database& db, const QString& sql, const QVariantList& parameters)
{
    QStringList steps;
    Rows rows = db.query(QStringLiteral("EXPLAIN QUERY PLAN ") + sql, parameters);
    while (rows.next())
        steps << rows.text(QStringLiteral("detail"));
    return steps;
}

// A posted bill on A01 with one line served by E1; returns the bill's key.
qint64 postedBill(Venue& venue)
{
    Database& db = venue.database();
    const GoodsItem service = addGoods(db, QStringLiteral("测试修脚"), 40, QStringLiteral("洗浴"));
    if (!openGroup(db, {QStringLiteral("A01")}, Money()).isEmpty())
        return 0;
    ConsumptionLine line;
    line.tag = QStringLiteral("A01");
    line.goods = service;
    line.operatorName = QStringLiteral("收银员甲");
    line.addedAt = QDateTime::currentDateTime();
    line.employeeNumber = QStringLiteral("E1");
    line.employeeName = QStringLiteral("赵一");
    addConsumptionLine(db, line);
    postCheckout(db, screenPost(db, QStringLiteral("A01")));
    return db
        .scalar(QStringLiteral("select id from 结帐管理 where 手牌号码 = ?"),
                {QStringLiteral("A01")})
        .toLongLong();
}

} // namespace

class TestCommissionLines : public QObject
{
    Q_OBJECT

private slots:
    void periodCountsWholeDaysAndEveryLine()
    {
        SeededDatabase base;
        Database& db = base.database();
        const QDate first(2024, 5, 10), last(2024, 5, 11);
        addPostedLine(db, QStringLiteral("E1"), money(QStringLiteral("1")), QStringLiteral("0"),
                      first.startOfDay());
        addPostedLine(db, QStringLiteral("E1"), money(QStringLiteral("2")), QStringLiteral("1"),
                      QDateTime(last, QTime(23, 59, 59)));
        addPostedLine(db, QStringLiteral("E1"), money(QStringLiteral("4")), QStringLiteral("0"),
                      last.addDays(1).startOfDay());
        addPostedLine(db, QStringLiteral("E1"), money(QStringLiteral("8")), QStringLiteral("0"),
                      QDateTime(first.addDays(-1), QTime(23, 59, 59)));
        addPostedLine(db, QStringLiteral("n"), money(QStringLiteral("3")), QStringLiteral("0"),
                      QDateTime(last, QTime(12, 0)));

        const QMap<QString, Money> period =
            totalsOf(db, staffqueries::commissionTotals(*DayPeriod::of(first, last)));
        QCOMPARE(period.value(QStringLiteral("E1")), money(QStringLiteral("3")));
        QCOMPARE(period.value(QStringLiteral("n")), money(QStringLiteral("3")));
        // One day is the whole day.
        QCOMPARE(totalsOf(db, staffqueries::commissionTotals(DayPeriod::day(last)))
                     .value(QStringLiteral("E1")),
                 money(QStringLiteral("2")));
        const QMap<QString, Money> all = totalsOf(db, staffqueries::commissionTotals());
        QCOMPARE(all.value(QStringLiteral("E1")), money(QStringLiteral("15")));
        QCOMPARE(all.size(), 2);
    }

    void typedSearchesAreCheckedBeforeRunning()
    {
        SeededDatabase base;
        Database& db = base.database();
        addPostedLine(db, QStringLiteral("E1"), money(QStringLiteral("10")), QStringLiteral("0"),
                      QDateTime(QDate(2024, 5, 11), QTime(10, 0)), QStringLiteral("0001"));
        addPostedLine(db, QStringLiteral("E2"), money(QStringLiteral("7")), QStringLiteral("0"),
                      QDateTime(QDate(2024, 5, 11), QTime(10, 0)), QStringLiteral("1"));
        const Dialect& dialect = db.dialect();

        const StaffStatement bill = staffqueries::commissionLines(dialect, QStringLiteral("单据号"),
                                                                  QStringLiteral("0001"));
        QVERIFY(bill.isReady());
        Rows billRows = db.query(bill.sql, bill.parameters);
        QVERIFY(billRows.next());
        QCOMPARE(billRows.text(QStringLiteral("员工编号")), QStringLiteral("E1"));
        QVERIFY(!billRows.next());

        const StaffStatement amount = staffqueries::commissionLines(
            dialect, QStringLiteral("提成金额"), QStringLiteral("10"));
        QVERIFY(amount.isReady());
        QCOMPARE(countOf(db,
                         QStringLiteral("select count(*) from (") + amount.sql +
                             QStringLiteral(") found"),
                         amount.parameters),
                 1);

        for (const QString& column : {QStringLiteral("tcyf=tcyf or 1"), QStringLiteral("没有")}) {
            const StaffStatement refused =
                staffqueries::commissionLines(dialect, column, QStringLiteral("1"));
            QVERIFY(!refused.isReady());
            QVERIFY(refused.sql.isEmpty());
            QVERIFY(refused.refusal.contains(column));
            QVERIFY(!staffqueries::wageRecords(dialect, column, QStringLiteral("1")).isReady());
        }
        QVERIFY(staffqueries::wageRecords(dialect, QStringLiteral("备注"), QStringLiteral("提成"))
                    .isReady());
    }

    void unpaidSumAndMonthSearchAnIndex()
    {
        SeededDatabase base;
        Database& db = base.database();
        QVERIFY(indexExists(db, WideIndex));
        QVERIFY(!indexExists(db, NarrowIndex));
        if (db.backend() != Backend::Sqlite)
            return;
        const QStringList unpaid = plan(
            db,
            QStringLiteral("select sum(提成金额) from 结帐明细 where 员工编号 = ? and tcyf = ?"),
            {QStringLiteral("E1"), QStringLiteral("0")});
        QVERIFY2(unpaid.join(u'\n').contains(WideIndex), qPrintable(unpaid.join(u'\n')));
        const StaffStatement month =
            staffqueries::commissionTotals(*DayPeriod::of(QDate(2024, 5, 1), QDate(2024, 5, 31)));
        const QStringList monthPlan = plan(db, month.sql, month.parameters);
        for (const QString& step : monthPlan)
            QVERIFY2(!step.startsWith(QStringLiteral("SCAN 结帐明细")), qPrintable(step));
        QVERIFY2(monthPlan.join(u'\n').contains(QStringLiteral("USING")),
                 qPrintable(monthPlan.join(u'\n')));
    }

    void olderDatabaseGetsTheWideIndex()
    {
        SeededDatabase base;
        Database& db = base.database();
        addPostedLine(db, QStringLiteral("E1"), money(QStringLiteral("5")));
        db.exec(QStringLiteral("drop index %1").arg(db.dialect().quote(WideIndex)));
        db.exec(QStringLiteral("create index %1 on 结帐明细 (员工编号)")
                    .arg(db.dialect().quote(NarrowIndex)));
        db.exec(QStringLiteral("update %1 set version = ?")
                    .arg(db.dialect().quote(Schema::versionTable())),
                {2});
        const UpgradeReport report = upgradeSchema(db);
        QVERIFY2(!report.failed(), qPrintable(report.error));
        QCOMPARE(report.applied, QList<int>{3});
        QCOMPARE(Schema::storedVersion(db), 3);
        QVERIFY(indexExists(db, WideIndex));
        QVERIFY(!indexExists(db, NarrowIndex));
        QCOMPARE(countOf(db, QStringLiteral("select count(*) from 结帐明细")), 1);
    }

    void returnedServiceTakesItsCommissionBack()
    {
        Venue venue;
        Database& db = venue.database();
        const GoodsItem service =
            addGoods(db, QStringLiteral("测试刮痧"), 50, QStringLiteral("洗浴"));
        QVERIFY(openGroup(db, {QStringLiteral("A02")}, Money()).isEmpty());
        addLine(db, QStringLiteral("A02"), service, 1);
        addLine(db, QStringLiteral("A02"), service, -1);
        Rows lines =
            db.query(QStringLiteral("select 数量, 提成金额 from 手牌消费 where 手牌号码 = ? "
                                    "order by 数量"),
                     {QStringLiteral("A02")});
        QVERIFY(lines.next());
        QCOMPARE(lines.integer(QStringLiteral("数量")), -1);
        QCOMPARE(lines.money(QStringLiteral("提成金额")), Money::fromUnits(-2));
        QVERIFY(lines.next());
        QCOMPARE(lines.money(QStringLiteral("提成金额")), Money::fromUnits(2));
    }

    void reversalWaitsForAPaymentThenRefuses()
    {
        if (testBackend() != Backend::Postgres)
            QSKIP("row locks are the server's");
        Venue venue;
        const qint64 bill = postedBill(venue);
        QVERIFY(bill > 0);

        // A payment holds the bill's lines.
        auto paying = venue.db.openAnother();
        paying->begin();
        QCOMPARE(paying->exec(QStringLiteral("update 结帐明细 set tcyf = ? where 员工编号 = ? and "
                                             "tcyf = ?"),
                              {QStringLiteral("1"), QStringLiteral("E1"), QStringLiteral("0")}),
                 1);

        {
            auto impatient = venue.db.openAnother();
            impatient->exec(QStringLiteral("set lock_timeout = '200ms'"));
            QVERIFY_THROWS_EXCEPTION(DatabaseError, BillReversal(*impatient).reverse(bill));
        }

        // A reversal that waits sees the lines paid once the payment commits.
        BillReversal::Status status = BillReversal::Status::Reversed;
        QString failure;
        std::thread reversing([&] {
            try {
                auto own = venue.db.openAnother();
                status = BillReversal(*own).reverse(bill).status;
            } catch (const DatabaseError& error) {
                failure = error.text();
            }
        });
        QThread::msleep(500);
        paying->commit();
        reversing.join();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(status, BillReversal::Status::CommissionPaid);
        QCOMPARE(countOf(venue.database(),
                         QStringLiteral("select count(*) from 结帐管理 where id = ?"),
                         {QVariant::fromValue<qlonglong>(bill)}),
                 1);
    }
};

QTEST_GUILESS_MAIN(TestCommissionLines)
#include "tst_commissionlines.moc"
