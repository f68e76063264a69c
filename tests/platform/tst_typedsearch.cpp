#include "TestDatabase.h"

#include "platform/TypedSearch.h"

#include <QTest>

using namespace shoupai;
using shoupai::test::SeededDatabase;

namespace {

Money amount(const char* text)
{
    return *Money::parse(QString::fromLatin1(text));
}

void addBill(Database& db, const QString& number, const QString& guest, Money received,
             const QDateTime& checkout)
{
    db.exec(QStringLiteral("insert into 结帐管理 (单据号, 手牌号码, 顾客姓名, 实收金额, 消费金额, "
                           "结帐时间) values (?, ?, ?, ?, ?, ?)"),
            {number, QStringLiteral("A01"), guest, QVariant::fromValue(received),
             QVariant::fromValue(received), checkout});
}

// The 单据号 of the bills a typed search finds, in key order.
QStringList found(const Database& db, const QString& column, const QString& text)
{
    const TypedSearch search =
        TypedSearch::build(db.dialect(), QStringLiteral("结帐管理"), column, text);
    if (!search.isReady())
        return {QStringLiteral("refused")};
    QStringList numbers;
    Rows rows = db.query(QStringLiteral("select 单据号 from 结帐管理 where ") + search.condition +
                             QStringLiteral(" order by id"),
                         search.parameters);
    while (rows.next())
        numbers << rows.text(QStringLiteral("单据号"));
    return numbers;
}

QDateTime at(int day, int hour, int minute = 0, int second = 0)
{
    return QDateTime(QDate(2026, 5, day), QTime(hour, minute, second));
}

} // namespace

class TestTypedSearch : public QObject
{
    Q_OBJECT
private slots:
    void amountsAreMoney();
    void textIsMatchedLiterally();
    void wholeNumbersAndDays();
    void unknownAndExcludedColumnsAreRefused();
    void valuesTheColumnCannotHoldAreRefused();
};

void TestTypedSearch::amountsAreMoney()
{
    SeededDatabase db;
    Database& d = db.database();
    addBill(d, QStringLiteral("1"), QStringLiteral("甲"), amount("12.5"), at(1, 9));
    addBill(d, QStringLiteral("2"), QStringLiteral("乙"), Money::fromTicks(125), at(1, 10));
    addBill(d, QStringLiteral("3"), QStringLiteral("丙"), amount("125"), at(1, 11));
    addBill(d, QStringLiteral("4"), QStringLiteral("丁"), amount("12.50"), at(1, 12));

    // Twelve and a half, not twelve and a half ten-thousandths.
    QCOMPARE(found(d, QStringLiteral("实收金额"), QStringLiteral("12.5")), QStringList({"1", "4"}));
    QCOMPARE(found(d, QStringLiteral("实收金额"), QStringLiteral(" 12.50 ")),
             QStringList({"1", "4"}));
    QCOMPARE(found(d, QStringLiteral("实收金额"), QStringLiteral("125")), QStringList({"3"}));
    QCOMPARE(found(d, QStringLiteral("实收金额"), QStringLiteral("0.0125")), QStringList({"2"}));
    QVERIFY(found(d, QStringLiteral("消费金额"), QStringLiteral("12")).isEmpty());

    // Values kept with decimals (points) compare as shown, to four places.
    d.exec(QStringLiteral("insert into 会员管理 (会员卡号, 当前积分) values (?, ?), (?, ?)"),
           {QStringLiteral("M1"), 12.5, QStringLiteral("M2"), 0.85});
    const auto members = [&](const QString& text) {
        const TypedSearch search = TypedSearch::build(d.dialect(), QStringLiteral("会员管理"),
                                                      QStringLiteral("当前积分"), text);
        QStringList cards;
        Rows rows = d.query(QStringLiteral("select 会员卡号 from 会员管理 where ") +
                                search.condition + QStringLiteral(" order by 会员卡号"),
                            search.parameters);
        while (rows.next())
            cards << rows.text(QStringLiteral("会员卡号"));
        return cards;
    };
    QCOMPARE(members(QStringLiteral("12.5")), QStringList({"M1"}));
    QCOMPARE(members(QStringLiteral("0.85")), QStringList({"M2"}));
    QVERIFY(members(QStringLiteral("12")).isEmpty());
}

void TestTypedSearch::textIsMatchedLiterally()
{
    SeededDatabase db;
    Database& d = db.database();
    const QStringList guests{QStringLiteral("100%满意"), QStringLiteral("100元满意"),
                             QStringLiteral("a_b"),      QStringLiteral("axb"),
                             QStringLiteral("O'Neil"),   QStringLiteral("C:\\temp"),
                             QStringLiteral("C:temp"),   QStringLiteral("Vip客人")};
    for (int i = 0; i < guests.size(); ++i)
        addBill(d, QString::number(i + 1), guests.at(i), amount("1"), at(2, 9, i));

    QCOMPARE(found(d, QStringLiteral("顾客姓名"), QStringLiteral("%")), QStringList({"1"}));
    QCOMPARE(found(d, QStringLiteral("顾客姓名"), QStringLiteral("0%满")), QStringList({"1"}));
    QCOMPARE(found(d, QStringLiteral("顾客姓名"), QStringLiteral("_")), QStringList({"3"}));
    QCOMPARE(found(d, QStringLiteral("顾客姓名"), QStringLiteral("a_b")), QStringList({"3"}));
    QCOMPARE(found(d, QStringLiteral("顾客姓名"), QStringLiteral("'")), QStringList({"5"}));
    QCOMPARE(found(d, QStringLiteral("顾客姓名"), QStringLiteral("o'neil")), QStringList({"5"}));
    QCOMPARE(found(d, QStringLiteral("顾客姓名"), QStringLiteral("\\")), QStringList({"6"}));
    QCOMPARE(found(d, QStringLiteral("顾客姓名"), QStringLiteral(":\\t")), QStringList({"6"}));
    // Case is ignored; the column name is found whatever its case and blanks.
    QCOMPARE(found(d, QStringLiteral(" 顾客姓名 "), QStringLiteral("VIP")), QStringList({"8"}));
    QCOMPARE(found(d, QStringLiteral("顾客姓名"), QStringLiteral("满意")), QStringList({"1", "2"}));
}

void TestTypedSearch::wholeNumbersAndDays()
{
    SeededDatabase db;
    Database& d = db.database();
    addBill(d, QStringLiteral("1"), QStringLiteral("甲"), amount("1"), at(3, 0));
    addBill(d, QStringLiteral("2"), QStringLiteral("乙"), amount("1"), at(3, 23, 59, 59));
    addBill(d, QStringLiteral("3"), QStringLiteral("丙"), amount("1"), at(4, 0));
    addBill(d, QStringLiteral("13"), QStringLiteral("丁"), amount("1"), at(2, 23, 59, 59));

    QCOMPARE(found(d, QStringLiteral("结帐时间"), QStringLiteral("2026-05-03")),
             QStringList({"1", "2"}));
    QCOMPARE(found(d, QStringLiteral("结帐时间"), QStringLiteral("2026-5-4")), QStringList({"3"}));
    QCOMPARE(found(d, QStringLiteral("结帐时间"), QStringLiteral("2026/05/02")),
             QStringList({"13"}));

    const qint64 third =
        d.scalar(QStringLiteral("select id from 结帐管理 where 单据号 = ?"), {QStringLiteral("3")})
            .toLongLong();
    // A whole number equals the id; it is not a part of a longer one.
    QCOMPARE(found(d, QStringLiteral("id"), QString::number(third)), QStringList({"3"}));
}

void TestTypedSearch::unknownAndExcludedColumnsAreRefused()
{
    SeededDatabase db;
    const Dialect& dialect = db.database().dialect();
    const auto refusedColumn = [&](const QString& table, const QString& column,
                                   const QStringList& excluded = {}) {
        const TypedSearch search =
            TypedSearch::build(dialect, table, column, QStringLiteral("x"), excluded);
        return search.outcome == TypedSearch::Outcome::UnknownColumn &&
               search.condition.isEmpty() && search.parameters.isEmpty();
    };
    // A column of another table.
    QVERIFY(refusedColumn(QStringLiteral("结帐管理"), QStringLiteral("商品名")));
    // An invented one, and text that tries to be more than a name.
    QVERIFY(refusedColumn(QStringLiteral("结帐管理"), QStringLiteral("没有这列")));
    QVERIFY(refusedColumn(QStringLiteral("结帐管理"), QStringLiteral("状态=状态 or 1")));
    QVERIFY(refusedColumn(QStringLiteral("结帐管理"), QStringLiteral("\"状态\"")));
    QVERIFY(refusedColumn(QStringLiteral("没有这张表"), QStringLiteral("id")));
    // A column the screen excludes, whatever the case and blanks typed.
    QVERIFY(refusedColumn(QStringLiteral("会员管理"), QStringLiteral(" 密码"),
                          {QStringLiteral("密码")}));
    QVERIFY(refusedColumn(QStringLiteral("管理员"), QStringLiteral("用户名"),
                          {QStringLiteral("USER"), QStringLiteral("用户名")}));
    // Not excluded, the same column is searched.
    QVERIFY(TypedSearch::build(dialect, QStringLiteral("会员管理"), QStringLiteral("会员姓名"),
                               QStringLiteral("x"), {QStringLiteral("密码")})
                .isReady());
}

void TestTypedSearch::valuesTheColumnCannotHoldAreRefused()
{
    SeededDatabase db;
    const Dialect& dialect = db.database().dialect();
    const auto refusal = [&](const QString& table, const QString& column, const QString& text) {
        const TypedSearch search = TypedSearch::build(dialect, table, column, text);
        if (search.outcome != TypedSearch::Outcome::BadValue || !search.condition.isEmpty())
            return QString();
        return search.message;
    };
    const QString table = QStringLiteral("结帐管理");
    QCOMPARE(refusal(table, QStringLiteral("实收金额"), QStringLiteral("12元")),
             QStringLiteral("\"12元\"不是正确的金额,请重新输入!"));
    QCOMPARE(refusal(table, QStringLiteral("消费金额"), QStringLiteral("1.2.3")),
             QStringLiteral("\"1.2.3\"不是正确的金额,请重新输入!"));
    QCOMPARE(refusal(table, QStringLiteral("id"), QStringLiteral("1.5")),
             QStringLiteral("\"1.5\"不是正确的整数,请重新输入!"));
    QCOMPARE(refusal(QStringLiteral("结帐明细"), QStringLiteral("数量"), QStringLiteral("两")),
             QStringLiteral("\"两\"不是正确的整数,请重新输入!"));
    QVERIFY(refusal(table, QStringLiteral("结帐时间"), QStringLiteral("11-19"))
                .startsWith(QStringLiteral("\"11-19\"不是正确的日期")));
    QVERIFY(refusal(table, QStringLiteral("结帐时间"), QStringLiteral("2026-02-30"))
                .startsWith(QStringLiteral("\"2026-02-30\"不是正确的日期")));
    QCOMPARE(refusal(QStringLiteral("会员管理"), QStringLiteral("当前积分"), QStringLiteral("abc")),
             QStringLiteral("\"abc\"不是正确的数字,请重新输入!"));
}

QTEST_GUILESS_MAIN(TestTypedSearch)
#include "tst_typedsearch.moc"
