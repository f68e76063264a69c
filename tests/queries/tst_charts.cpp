#include "QueriesFixture.h"
#include "StatementCounter.h"
#include "queries/SalesChartData.h"
#include "queries/SalesChartUt.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QDateEdit>
#include <QHorizontalBarSeries>
#include <QListWidget>
#include <QTabWidget>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;
using salescharts::Bar;

namespace {

QDateTime at(int month, int day, int hour, int minute = 0, int second = 0)
{
    return QDateTime(QDate(2026, month, day), QTime(hour, minute, second));
}

void storeDays(Database& db)
{
    insertStoredBill(db, paidBill(QStringLiteral("1"), at(11, 1, 9), 10));
    insertStoredBill(db, paidBill(QStringLiteral("2"), at(11, 1, 0, 0, 0), 5));
    insertStoredBill(db, paidBill(QStringLiteral("3"), at(11, 3, 20), 20));
    insertStoredBill(db, paidBill(QStringLiteral("4"), at(11, 2, 12), 99, QStringLiteral("免单")));
    insertStoredBill(db, paidBill(QStringLiteral("5"), at(11, 5, 23, 59, 59), 1));
    insertStoredBill(db, paidBill(QStringLiteral("6"), at(11, 6, 0, 0, 0), 1000));
}

DayPeriod days(const QDate& from, const QDate& to)
{
    return *DayPeriod::of(from, to);
}

} // namespace

class TestCharts : public QObject
{
    Q_OBJECT
private slots:
    void revenuePerDayAndPerMonth();
    void topItemsAndTheRest();
    void screenDrawsBothChartsWithOneStatementEach();
};

void TestCharts::revenuePerDayAndPerMonth()
{
    QueryVenue venue;
    storeDays(venue.d());

    const salescharts::RevenueBars daily =
        salescharts::revenueBars(venue.d(), days(QDate(2026, 11, 1), QDate(2026, 11, 5)));
    QVERIFY(!daily.perMonth);
    const QList<Bar> expected = {{"2026-11-01", units(15)},
                                 {"2026-11-02", Money()},
                                 {"2026-11-03", units(20)},
                                 {"2026-11-04", Money()},
                                 {"2026-11-05", units(1)}};
    QCOMPARE(daily.bars, expected);

    // 92 days still go per day; one more goes per month.
    const salescharts::RevenueBars longest =
        salescharts::revenueBars(venue.d(), days(QDate(2026, 9, 1), QDate(2026, 12, 1)));
    QVERIFY(!longest.perMonth);
    QCOMPARE(longest.bars.size(), 92);
    QCOMPARE(longest.bars.last(), (Bar{"2026-12-01", Money()}));
    const salescharts::RevenueBars monthly =
        salescharts::revenueBars(venue.d(), days(QDate(2026, 9, 1), QDate(2026, 12, 6)));
    QVERIFY(monthly.perMonth);
    const QList<Bar> months = {
        {"2026-09", Money()}, {"2026-10", Money()}, {"2026-11", units(1036)}, {"2026-12", Money()}};
    QCOMPARE(monthly.bars, months);
}

void TestCharts::topItemsAndTheRest()
{
    QueryVenue venue;
    const QDateTime when = at(11, 10, 12);
    for (int i = 1; i <= 22; ++i) {
        insertStoredBill(venue.d(),
                         paidBill(QString::number(i), when, i, QStringLiteral("已结"),
                                  QStringLiteral("项目%1").arg(i, 2, 10, QChar(u'0')),
                                  i % 2 ? QStringLiteral("洗浴") : QStringLiteral("饮料")));
    }
    insertStoredBill(venue.d(), paidBill(QStringLiteral("99"), when, 500, QStringLiteral("免单"),
                                         QStringLiteral("免单项目"), QStringLiteral("洗浴")));

    const DayPeriod period = days(QDate(2026, 11, 1), QDate(2026, 11, 30));
    const QList<Bar> bars = salescharts::itemBars(venue.d(), period, QStringLiteral("全部"));
    QCOMPARE(bars.size(), 21);
    QCOMPARE(bars.first(), (Bar{"项目22", units(22)}));
    QCOMPARE(bars.at(19), (Bar{"项目03", units(3)}));
    QCOMPARE(bars.last(), (Bar{salescharts::restLabel(), units(3)}));

    // A type restricts; eleven items fit without a rest.
    const QList<Bar> drinks = salescharts::itemBars(venue.d(), period, QStringLiteral("饮料"));
    QCOMPARE(drinks.size(), 11);
    QCOMPARE(drinks.first(), (Bar{"项目22", units(22)}));
    QCOMPARE(drinks.last(), (Bar{"项目02", units(2)}));
}

void TestCharts::screenDrawsBothChartsWithOneStatementEach()
{
    QueryVenue venue;
    storeDays(venue.d());
    TSalesChartFm screen(venue.session);
    QCOMPARE(screen.fromDate()->date().day(), 1);
    QCOMPARE(screen.toDate()->date(), QDate::currentDate());
    QCOMPARE(screen.tabs()->tabText(0), QStringLiteral("每日营业额"));
    QCOMPARE(screen.tabs()->tabText(1), QStringLiteral("项目销售"));

    StatementCounter counter(venue.d());
    screen.setPeriod(QDate(2026, 11, 1), QDate(2026, 11, 5), QStringLiteral("洗浴"));
    QCOMPARE(counter.count(), 2);
    QCOMPARE(screen.chosenType(), QStringLiteral("洗浴"));

    const auto revenueSeries = screen.revenueChart()->series();
    QCOMPARE(revenueSeries.size(), 1);
    QBarSet* set = static_cast<QBarSeries*>(revenueSeries.first())->barSets().first();
    QCOMPARE(set->count(), 5);
    QCOMPARE(set->at(0), 15.0);
    QCOMPARE(set->at(1), 0.0);
    const auto axes = screen.revenueChart()->axes(Qt::Horizontal);
    QCOMPARE(axes.size(), 1);
    QVERIFY(axes.first()->titleText().contains(QStringLiteral("按日")));

    const auto itemSeries = screen.itemChart()->series();
    QCOMPARE(itemSeries.size(), 1);
    QBarSet* items = static_cast<QHorizontalBarSeries*>(itemSeries.first())->barSets().first();
    QCOMPARE(items->count(), 1);
    QCOMPARE(items->at(0), 36.0);

    // Drawn again, the charts are replaced, not added to.
    screen.Draw();
    QCOMPARE(screen.revenueChart()->series().size(), 1);
    QCOMPARE(screen.revenueChart()->axes().size(), 2);
    QVERIFY(venue.prompter.shown().isEmpty());
}

QTEST_MAIN(TestCharts)
#include "tst_charts.moc"
