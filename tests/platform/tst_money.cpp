#include "platform/Money.h"

#include <QTest>

using shoupai::Money;

class TestMoney : public QObject
{
    Q_OBJECT
private slots:
    void parsesOperatorTexts();
    void showsShortestForm();
    void multipliesWithRoundingHalfToEven();
    void sumsStayExact();
    void readsFloatingValuesAtTheNearestTenThousandth();
};

void TestMoney::parsesOperatorTexts()
{
    QCOMPARE(Money::parse(u"100")->ticks(), 1000000);
    QCOMPARE(Money::parse(u" 102.5 ")->ticks(), 1025000);
    QCOMPARE(Money::parse(u"-12")->ticks(), -120000);
    QCOMPARE(Money::parse(u"+0.85")->ticks(), 8500);
    QCOMPARE(Money::parse(u".5")->ticks(), 5000);
    QCOMPARE(Money::parse(u"3.")->ticks(), 30000);
    // beyond four decimals: half to even
    QCOMPARE(Money::parse(u"0.00005")->ticks(), 0);
    QCOMPARE(Money::parse(u"0.00015")->ticks(), 2);
    QCOMPARE(Money::parse(u"0.000051")->ticks(), 1);
    QCOMPARE(Money::parse(u"-0.00015")->ticks(), -2);
    QVERIFY(!Money::parse(u""));
    QVERIFY(!Money::parse(u"abc"));
    QVERIFY(!Money::parse(u"1,000"));
    QVERIFY(!Money::parse(u"1.2.3"));
    QVERIFY(!Money::parse(u"-"));
    QVERIFY(!Money::parse(u"."));
    QVERIFY(!Money::parse(u"１２")); // full-width digits are not taken for ASCII ones
    QVERIFY(!Money::parse(u"99999999999999999999"));
}

void TestMoney::showsShortestForm()
{
    QCOMPARE(Money::fromUnits(100).toString(), QStringLiteral("100"));
    QCOMPARE(Money::fromTicks(1025000).toString(), QStringLiteral("102.5"));
    QCOMPARE(Money::fromTicks(8500).toString(), QStringLiteral("0.85"));
    QCOMPARE(Money::fromTicks(-120000).toString(), QStringLiteral("-12"));
    QCOMPARE(Money::fromTicks(-5).toString(), QStringLiteral("-0.0005"));
    QCOMPARE(Money().toString(), QStringLiteral("0"));
    QCOMPARE(Money::fromTicks(125000).toFixed(2), QStringLiteral("12.50"));
    QCOMPARE(Money::fromTicks(125).toFixed(2), QStringLiteral("0.01")); // 0.0125 -> 0.01 (even)
    QCOMPARE(Money::fromTicks(135).toFixed(2), QStringLiteral("0.01")); // 0.0135 -> 0.01
    QCOMPARE(Money::fromTicks(150).toFixed(2), QStringLiteral("0.02")); // 0.015 -> 0.02 (even)
    QCOMPARE(Money::fromTicks(-150).toFixed(2), QStringLiteral("-0.02"));
    QCOMPARE(Money::fromTicks(-40).toFixed(2), QStringLiteral("0.00").prepend(QString()));
}

void TestMoney::multipliesWithRoundingHalfToEven()
{
    const Money price = *Money::parse(u"12.3456");
    QCOMPARE(price.times(3).toString(), QStringLiteral("37.0368"));
    QCOMPARE(price.times(-2).toString(), QStringLiteral("-24.6912"));
    // 12.3456 * 0.85 = 10.49376 -> 10.4938
    QCOMPARE(price.times(*Money::parse(u"0.85")).toString(), QStringLiteral("10.4938"));
    // 0.0001 * 0.5 = 0.00005 -> 0 (even); 0.0003 * 0.5 = 0.00015 -> 0.0002
    QCOMPARE(Money::fromTicks(1).times(*Money::parse(u"0.5")).ticks(), 0);
    QCOMPARE(Money::fromTicks(3).times(*Money::parse(u"0.5")).ticks(), 2);
    QCOMPARE(Money::fromTicks(-3).times(*Money::parse(u"0.5")).ticks(), -2);
    QCOMPARE(Money::parse(u"2.5")->roundedToUnits().toString(), QStringLiteral("2"));
    QCOMPARE(Money::parse(u"3.5")->roundedToUnits().toString(), QStringLiteral("4"));
    QCOMPARE(Money::parse(u"-2.5")->roundedToUnits().toString(), QStringLiteral("-2"));
    QCOMPARE(Money::fromDouble(0.85).ticks(), 8500);
    QCOMPARE(Money::fromDouble(0.1 + 0.2).ticks(), 3000);
    QVERIFY_THROWS_EXCEPTION(std::overflow_error,
                             Money::fromTicks(std::numeric_limits<qint64>::max()).times(2));
}

void TestMoney::sumsStayExact()
{
    Money sum;
    for (int i = 0; i < 1000; ++i)
        sum += *Money::parse(u"0.1");
    QCOMPARE(sum.toString(), QStringLiteral("100"));
    QVERIFY(Money::parse(u"0.1") < Money::parse(u"0.2"));
    QCOMPARE(*Money::parse(u"1") - *Money::parse(u"0.9999"), Money::fromTicks(1));
}

void TestMoney::readsFloatingValuesAtTheNearestTenThousandth()
{
    // More than half a ten-thousandth beyond the sixth decimal still rounds up.
    QCOMPARE(Money::fromDouble(0.000050274387508818755).ticks(), 1);
    QCOMPARE(Money::fromDouble(-0.000050274387508818755).ticks(), -1);
    QCOMPARE(Money::fromDouble(1.234450001).ticks(), 12345);
    // The decimal that was stored decides a tie, not its binary neighbour.
    QCOMPARE(Money::fromDouble(12.34565).ticks(), 123456);
    QCOMPARE(Money::fromDouble(0.00015).ticks(), 2);
    QCOMPARE(Money::fromDouble(-1.23455).ticks(), -12346);
    QCOMPARE(Money::fromDouble(92233720368.5).ticks(), 922337203685000);
}

QTEST_APPLESS_MAIN(TestMoney)
#include "tst_money.moc"
