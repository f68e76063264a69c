#include "QueriesFixture.h"
#include "StatementCounter.h"
#include "billing/CxJzJlUt.h"
#include "queries/CountMingXiUt.h"
#include "queries/CountProfitUt.h"
#include "queries/ItemCountUt.h"
#include "queries/LineSearch.h"
#include "queries/SalesFigures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimeEdit>

using namespace shoupai;
using namespace shoupai::test;

namespace {

QDateTime at(int month, int day, int hour, int minute = 0, int second = 0)
{
    return QDateTime(QDate(2026, month, day), QTime(hour, minute, second));
}

void choosePeriod(QDateEdit* from, QDateEdit* to, const QDate& first, const QDate& last)
{
    from->setDate(first);
    to->setDate(last);
}

void clickType(QListWidget* list, const QString& name)
{
    QListWidgetItem* item = list->findItems(name, Qt::MatchExactly).value(0);
    QVERIFY2(item, qPrintable(name));
    list->setCurrentItem(item);
    emit list->itemClicked(item);
}

} // namespace

class TestSalesFigures : public QObject
{
    Q_OBJECT
private slots:
    void revenueCountsPaidCashOnly();
    void periodBoundsAgreeWithBillRecords();
    void fromAfterToIsRefusedAndRunsNothing();
    void failuresShowTheErrorAndNoFigure();
    void salesPerItemByTypeAndOpening();
    void lineSearchConditions();
    void lineScreenOpeningFiguresAreToday();
    void periodStatementsSearchTheTimeIndexes();
};

void TestSalesFigures::revenueCountsPaidCashOnly()
{
    QueryVenue venue;
    TCountProfitFm screen(venue.session);
    choosePeriod(screen.fromDate(), screen.toDate(), QDate(2026, 11, 1), QDate(2026, 11, 30));
    screen.FreshDate();
    QCOMPARE(screen.revenueValue()->text(), QStringLiteral("0"));
    QCOMPARE(screen.countValue()->text(), QStringLiteral("0"));

    insertStoredBill(venue.d(), paidBill(QStringLiteral("1"), at(11, 5, 10), 100));
    insertStoredBill(venue.d(),
                     paidBill(QStringLiteral("2"), at(11, 6, 10), 80, QStringLiteral("免单")));
    StoredBill card = paidBill(QStringLiteral("3"), at(11, 7, 10), 110);
    card.mode = QStringLiteral("卡内扣除");
    card.card = QStringLiteral("120");
    card.received = units(50);
    card.cardDeduction = units(60);
    insertStoredBill(venue.d(), card);
    insertStoredBill(venue.d(), paidBill(QStringLiteral("4"), at(12, 1, 10), 30));

    screen.FreshDate();
    QCOMPARE(sorted(columnValues(screen.grid(), QStringLiteral("单据号"))),
             (QStringList{"1", "3"}));
    QCOMPARE(screen.countValue()->text(), QStringLiteral("2"));
    // The free bill brings nothing, the card bill its cash part only.
    QCOMPARE(screen.revenueValue()->text(), QStringLiteral("150"));
    QCOMPARE(sales::revenue(venue.d(), *DayPeriod::of(QDate(2026, 11, 1), QDate(2026, 11, 30))),
             units(150));
    // Consumption under the grid includes what the card paid.
    QCOMPARE(screen.grid()->footerText(QStringLiteral("消费金额")), QStringLiteral("210.00"));
    QCOMPARE(screen.grid()->footerText(QStringLiteral("实收金额")), QStringLiteral("150.00"));
    QVERIFY(venue.prompter.shown().isEmpty());
}

void TestSalesFigures::periodBoundsAgreeWithBillRecords()
{
    QueryVenue venue;
    insertStoredBill(venue.d(), paidBill(QStringLiteral("A"), at(11, 30, 23, 59, 59), 10));
    insertStoredBill(venue.d(), paidBill(QStringLiteral("B"), at(12, 1, 0, 0, 0), 20));
    insertStoredBill(venue.d(), paidBill(QStringLiteral("C"), at(11, 1, 0, 0, 0), 40));
    insertStoredBill(venue.d(), paidBill(QStringLiteral("D"), at(10, 31, 23, 59, 59), 80));

    TCountProfitFm revenue(venue.session);
    choosePeriod(revenue.fromDate(), revenue.toDate(), QDate(2026, 11, 1), QDate(2026, 11, 30));
    revenue.FreshDate();
    QCOMPARE(sorted(columnValues(revenue.grid(), QStringLiteral("单据号"))),
             (QStringList{"A", "C"}));
    QCOMPARE(revenue.revenueValue()->text(), QStringLiteral("50"));

    // The months add up to the whole: no stamp falls into two of them.
    Money months;
    for (int month : {10, 11, 12}) {
        const QDate first(2026, month, 1);
        months += sales::revenue(venue.d(), *DayPeriod::of(first, first.addMonths(1).addDays(-1)));
    }
    QCOMPARE(months, units(150));

    TItemCountFm items(venue.session);
    choosePeriod(items.fromDate(), items.toDate(), QDate(2026, 11, 1), QDate(2026, 11, 30));
    items.FreshDate();
    QCOMPARE(items.grid()->footerText(QStringLiteral("总合计")), QStringLiteral("50.00"));

    // Bill records list the same bills for the same days.
    TCxJzJlFm records(venue.session, nullptr);
    choosePeriod(records.fromDate(), records.toDate(), QDate(2026, 11, 1), QDate(2026, 11, 30));
    records.stateField()->setCurrentText(QStringLiteral("已结"));
    records.DateRange();
    QCOMPARE(sorted(columnValues(records.grid(), QStringLiteral("单据号"))),
             (QStringList{"A", "C"}));
}

void TestSalesFigures::fromAfterToIsRefusedAndRunsNothing()
{
    QueryVenue venue;
    TCountProfitFm revenue(venue.session);
    TItemCountFm items(venue.session);
    TCountMingXiFm lines(venue.session);
    venue.prompter.clear();
    choosePeriod(revenue.fromDate(), revenue.toDate(), QDate(2026, 11, 2), QDate(2026, 11, 1));
    choosePeriod(items.fromDate(), items.toDate(), QDate(2026, 11, 2), QDate(2026, 11, 1));
    lines.timedBox()->setChecked(true);
    choosePeriod(lines.fromDate(), lines.toDate(), QDate(2026, 11, 2), QDate(2026, 11, 1));

    StatementCounter counter(venue.d());
    revenue.FreshDate();
    items.FreshDate();
    lines.Search();
    QCOMPARE(counter.count(), 0);
    QCOMPARE(venue.prompter.texts(), QStringList(3, DayPeriod::refusal()));
}

void TestSalesFigures::failuresShowTheErrorAndNoFigure()
{
    QueryVenue venue;
    insertStoredBill(venue.d(), paidBill(QStringLiteral("1"), QDateTime::currentDateTime(), 10));
    TCountProfitFm revenue(venue.session);
    TCountMingXiFm lines(venue.session);
    QCOMPARE(lines.revenueValue()->text(), QStringLiteral("10"));
    venue.d().exec(QStringLiteral("drop table 结帐管理"));
    venue.prompter.clear();

    revenue.FreshDate();
    QCOMPARE(venue.prompter.shown().size(), 1);
    QCOMPARE(venue.prompter.shown().first().kind, Prompter::Kind::Error);
    QVERIFY(revenue.revenueValue()->text().isEmpty());
    QVERIFY(revenue.countValue()->text().isEmpty());

    lines.FreshDate();
    QCOMPARE(venue.prompter.shown().size(), 2);
    QVERIFY(lines.revenueValue()->text().isEmpty());
}

void TestSalesFigures::salesPerItemByTypeAndOpening()
{
    QueryVenue venue;
    const QDateTime firstMoment(QDate(2000, 1, 1), QTime(0, 0));
    const QDateTime today(QDate::currentDate(), QTime(0, 0, 1));
    StoredBill old = paidBill(QStringLiteral("1"), firstMoment, 30);
    old.lines.first().quantity = 2;
    insertStoredBill(venue.d(), old);
    insertStoredBill(venue.d(), paidBill(QStringLiteral("2"), today, 5, QStringLiteral("已结"),
                                         QStringLiteral("可乐"), QStringLiteral("饮料")));
    insertStoredBill(venue.d(), paidBill(QStringLiteral("3"), today, 8, QStringLiteral("免单"),
                                         QStringLiteral("啤酒"), QStringLiteral("饮料")));
    insertStoredBill(venue.d(), paidBill(QStringLiteral("4"), firstMoment.addSecs(-1), 7));

    TItemCountFm screen(venue.session);
    QCOMPARE(screen.fromDate()->date(), QDate(2000, 1, 1));
    QCOMPARE(screen.toDate()->date(), QDate::currentDate());
    QCOMPARE(screen.typeList()->item(0)->text(), QStringLiteral("全部"));
    QCOMPARE(sorted(columnValues(screen.grid(), QStringLiteral("商品名"))),
             (QStringList{"可乐", "搓背"}));
    QCOMPARE(screen.grid()->footerText(QStringLiteral("总数量")), QStringLiteral("3"));
    QCOMPARE(screen.grid()->footerText(QStringLiteral("总合计")), QStringLiteral("35.00"));

    // A type restricts in one grouped statement; "全部" lifts it.
    StatementCounter counter(venue.d());
    clickType(screen.typeList(), QStringLiteral("饮料"));
    QCOMPARE(counter.count(), 1);
    QCOMPARE(columnValues(screen.grid(), QStringLiteral("商品名")), QStringList{"可乐"});
    clickType(screen.typeList(), QStringLiteral("按摩"));
    QCOMPARE(screen.grid()->recordCount(), 0);
    clickType(screen.typeList(), QStringLiteral("全部"));
    QCOMPARE(screen.grid()->recordCount(), 2);
    QVERIFY(venue.prompter.shown().isEmpty());
}

void TestSalesFigures::lineSearchConditions()
{
    QueryVenue venue;
    const QDate day(2024, 5, 10);
    StoredBill paid = paidBill(QStringLiteral("1"), QDateTime(day, QTime(8, 0)), 10);
    for (const QTime& time : {QTime(18, 0, 0), QTime(18, 0, 1)}) {
        StoredLine l = paid.lines.first();
        l.time = QDateTime(day, time);
        paid.lines << l;
    }
    StoredLine nextDay = line(QStringLiteral("可乐"), QStringLiteral("饮料"), 5, 1, 5);
    nextDay.time = QDateTime(day.addDays(1), QTime(10, 0));
    paid.lines << nextDay;
    insertStoredBill(venue.d(), paid);
    insertStoredBill(venue.d(), paidBill(QStringLiteral("2"), QDateTime(day, QTime(12, 0)), 9,
                                         QStringLiteral("免单")));

    TCountMingXiFm screen(venue.session);
    QVERIFY(!screen.fromDate()->isEnabled());
    screen.Search();
    QCOMPARE(screen.grid()->recordCount(), 5);

    screen.timedBox()->setChecked(true);
    QVERIFY(screen.toTime()->isEnabled());
    screen.fromDate()->setDate(day);
    screen.fromTime()->setTime(QTime(8, 0));
    screen.toDate()->setDate(day);
    screen.toTime()->setTime(QTime(18, 0));
    screen.Search();
    const QStringList times = columnValues(screen.grid(), QStringLiteral("消费时间"));
    QCOMPARE(times.size(), 3);
    QCOMPARE(stored::toDateTime(screen.grid()->value(2, QStringLiteral("消费时间"))),
             QDateTime(day, QTime(18, 0)));

    screen.stateField()->setCurrentText(QStringLiteral("已结"));
    screen.valueField()->setText(QStringLiteral(" 搓背 "));
    screen.Search();
    QCOMPARE(screen.grid()->recordCount(), 2);

    // A typed name that is no column runs nothing and keeps the list.
    screen.columnField()->setCurrentText(QStringLiteral("不存在"));
    StatementCounter counter(venue.d());
    screen.Search();
    QCOMPARE(counter.count(), 0);
    QVERIFY(venue.prompter.lastText().contains(QStringLiteral("不存在")));
    QCOMPARE(screen.grid()->recordCount(), 2);

    LineSearch search;
    search.column = QStringLiteral("数量");
    search.value = QStringLiteral("x");
    QCOMPARE(search.build(venue.d().dialect()).outcome, LineSearch::Outcome::BadValue);
}

void TestSalesFigures::lineScreenOpeningFiguresAreToday()
{
    QueryVenue venue;
    const QDate today = QDate::currentDate();
    insertStoredBill(venue.d(), paidBill(QStringLiteral("1"), today.startOfDay(), 30));
    insertStoredBill(venue.d(),
                     paidBill(QStringLiteral("2"), today.startOfDay(), 10, QStringLiteral("免单")));
    insertStoredBill(venue.d(), paidBill(QStringLiteral("3"), today.startOfDay().addSecs(-1), 5));
    insertStoredBill(venue.d(), paidBill(QStringLiteral("4"), today.addDays(1).startOfDay(), 7));

    TCountMingXiFm screen(venue.session);
    QCOMPARE(screen.revenueValue()->text(), QStringLiteral("30"));
    QCOMPARE(screen.countValue()->text(), QStringLiteral("1"));
    QCOMPARE(columnValues(screen.grid(), QStringLiteral("单据号")), QStringList{"1"});
    QCOMPARE(screen.fromTime()->time(), QTime(0, 0));
    screen.Search();
    QCOMPARE(screen.grid()->recordCount(), 4);
    QCOMPARE(screen.countValue()->text(), QStringLiteral("1"));
}

void TestSalesFigures::periodStatementsSearchTheTimeIndexes()
{
    QueryVenue venue;
    if (venue.d().backend() != Backend::Sqlite)
        QSKIP("the plan is read from SQLite");
    const auto plan = [&](const QString& sql, const QVariantList& parameters) {
        QStringList details;
        Rows rows = venue.d().query(QStringLiteral("explain query plan ") + sql, parameters);
        while (rows.next())
            details << rows.text(QStringLiteral("detail"));
        return details.join(u'\n');
    };
    const DayPeriod month = *DayPeriod::of(QDate(2026, 11, 1), QDate(2026, 11, 30));
    const BoundStatement bills = sales::paidBills(month);
    const QString revenuePlan =
        plan(QStringLiteral("select sum(实收金额) from (%1) q").arg(bills.sql), bills.parameters);
    QVERIFY2(revenuePlan.contains(QStringLiteral("ix_结帐管理_结帐时间")), qPrintable(revenuePlan));

    const BoundStatement year =
        sales::itemTotals(*DayPeriod::of(QDate(2026, 1, 1), QDate(2026, 12, 31)), {});
    const QString yearPlan = plan(year.sql, year.parameters);
    QVERIFY2(yearPlan.contains(QStringLiteral("ix_结帐明细_消费时间")), qPrintable(yearPlan));
}

QTEST_MAIN(TestSalesFigures)
#include "tst_salesfigures.moc"
