#include "TestDatabase.h"

#include "platform/DayPeriod.h"

#include <QTest>

using namespace shoupai;
using shoupai::test::SeededDatabase;

namespace {

void addBill(Database& db, const QString& number, const QDateTime& checkout)
{
    db.exec(QStringLiteral("insert into 结帐管理 (单据号, 手牌号码, 结帐时间) values (?, ?, ?)"),
            {number, QStringLiteral("A01"), checkout});
}

QStringList billsWithin(const Database& db, const DayPeriod& period)
{
    QStringList numbers;
    Rows rows = db.query(QStringLiteral("select 单据号 from 结帐管理 where ") +
                             period.condition(QStringLiteral("结帐时间")) +
                             QStringLiteral(" order by 结帐时间, id"),
                         period.parameters());
    while (rows.next())
        numbers << rows.text(QStringLiteral("单据号"));
    return numbers;
}

QDateTime at(int day, int hour, int minute = 0, int second = 0)
{
    return QDateTime(QDate(2026, 3, day), QTime(hour, minute, second));
}

} // namespace

class TestDayPeriod : public QObject
{
    Q_OBJECT
private slots:
    void boundsAreLocalMidnights();
    void fromAfterToIsRefused();
    void storedStampsAtTheEdges();
};

void TestDayPeriod::boundsAreLocalMidnights()
{
    const std::optional<DayPeriod> period = DayPeriod::of(QDate(2026, 2, 27), QDate(2026, 2, 28));
    QVERIFY(period);
    QCOMPARE(period->start(), QDateTime(QDate(2026, 2, 27), QTime(0, 0)));
    // The day after the last one, across the end of a month.
    QCOMPARE(period->end(), QDateTime(QDate(2026, 3, 1), QTime(0, 0)));
    QCOMPARE(period->start().timeSpec(), Qt::LocalTime);
    QCOMPARE(period->condition(QStringLiteral("\"t\"")),
             QStringLiteral("\"t\" >= ? and \"t\" < ?"));
    QCOMPARE(period->parameters(), (QVariantList{period->start(), period->end()}));

    const DayPeriod one = DayPeriod::day(QDate(2026, 12, 31));
    QCOMPARE(one.start(), QDateTime(QDate(2026, 12, 31), QTime(0, 0)));
    QCOMPARE(one.end(), QDateTime(QDate(2027, 1, 1), QTime(0, 0)));
    const std::optional<DayPeriod> same = DayPeriod::of(QDate(2026, 12, 31), QDate(2026, 12, 31));
    QVERIFY(same);
    QCOMPARE(same->end(), one.end());
}

void TestDayPeriod::fromAfterToIsRefused()
{
    QVERIFY(!DayPeriod::of(QDate(2026, 3, 2), QDate(2026, 3, 1)));
    QVERIFY(!DayPeriod::of(QDate(), QDate(2026, 3, 1)));
    QCOMPARE(DayPeriod::refusal(), QStringLiteral("起始日期不能大于终止日期,请重新选择!"));
}

void TestDayPeriod::storedStampsAtTheEdges()
{
    SeededDatabase db;
    Database& d = db.database();
    addBill(d, QStringLiteral("before"), at(9, 23, 59, 59));
    addBill(d, QStringLiteral("first"), at(10, 0));
    addBill(d, QStringLiteral("middle"), at(15, 12, 30));
    addBill(d, QStringLiteral("last"), at(20, 23, 59, 59));
    addBill(d, QStringLiteral("after"), at(21, 0));

    const DayPeriod period = *DayPeriod::of(QDate(2026, 3, 10), QDate(2026, 3, 20));
    QCOMPARE(billsWithin(d, period), QStringList({"first", "middle", "last"}));
    // Adjacent periods share no bill: the closing midnight belongs to the next one.
    QCOMPARE(billsWithin(d, *DayPeriod::of(QDate(2026, 3, 21), QDate(2026, 3, 21))),
             QStringList({"after"}));
    QCOMPARE(billsWithin(d, DayPeriod::day(QDate(2026, 3, 9))), QStringList({"before"}));
}

QTEST_GUILESS_MAIN(TestDayPeriod)
#include "tst_dayperiod.moc"
