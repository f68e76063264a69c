#include "TestDatabase.h"

#include "platform/Schema.h"

#include <QTest>
#include <QThread>

#include <atomic>
#include <functional>
#include <limits>
#include <optional>
#include <thread>

using namespace shoupai;
using shoupai::test::SeededDatabase;

namespace {

QVariant money(const char* text)
{
    return QVariant::fromValue(*Money::parse(QString::fromLatin1(text)));
}

bool throwsDatabaseError(const std::function<void()>& statement, QString* text = nullptr)
{
    try {
        statement();
    } catch (const DatabaseError& error) {
        if (text)
            *text = error.text();
        return true;
    }
    return false;
}

qint64 count(const Database& db, const QString& sqlAfterFrom, const QVariantList& parameters = {})
{
    return db.scalar(QStringLiteral("select count(*) from ") + sqlAfterFrom, parameters)
        .toLongLong();
}

// Adds one to the bill-number counter the way a checkout reserves its number:
// read under a row lock, write back, commit.
void incrementCounter(Database& db)
{
    Transaction transaction(db);
    const qint64 last =
        db.scalar(QStringLiteral("select 单据号 from 单据号") + db.dialect().forUpdate())
            .toString()
            .toLongLong();
    db.exec(QStringLiteral("update 单据号 set 单据号 = ?"), {QString::number(last + 1)});
    transaction.commit();
}

} // namespace

class TestDatabaseGateway : public QObject
{
    Q_OBJECT
private slots:
    void boundTextsNeverBreakStatements();
    void moneyRoundTripAndExactSums();
    void dateTimesAndPeriods();
    void flags();
    void caseInsensitiveMatching();
    void identifiersThatNeedQuoting();
    void transactions();
    void generatedKeys();
    void checkedColumns();
    void failuresCarryTheDatabaseText();
    void uniqueViolationsAreRecognised();
    void concurrentCounterIncrements();
    void forUpdateBlocksTheOtherWriter();
};

void TestDatabaseGateway::boundTextsNeverBreakStatements()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    const QStringList texts = {
        QStringLiteral("O'Brien's"),
        QStringLiteral("say \"hello\""),
        QStringLiteral("a;b;"),
        QStringLiteral("-- not a comment"),
        QStringLiteral("'); drop table 管理员; --"),
        QStringLiteral("\"; delete from 商品库; \""),
        QStringLiteral("back\\slash \\' \\\""),
        QStringLiteral("/* open comment"),
        QStringLiteral("100% _like_"),
        QStringLiteral("清泉·贵宾房（二楼）“特价”"),
        QStringLiteral("line one\nline two\ttab"),
        QStringLiteral("?"),
        QStringLiteral(""),
    };
    for (const QString& text : texts)
        db.exec(QStringLiteral("insert into 商品库 (编号, 商品名, 拼音) values (?, ?, ?)"),
                {QStringLiteral("X"), text, text});
    QVERIFY(db.tableExists(QStringLiteral("管理员")));
    QCOMPARE(count(db, QStringLiteral("管理员")), 1);
    QCOMPARE(count(db, QStringLiteral("商品库 where 编号 = ?"), {QStringLiteral("X")}),
             texts.size());
    for (const QString& text : texts) {
        Rows rows =
            db.query(QStringLiteral("select 商品名, 拼音 from 商品库 where 商品名 = ?"), {text});
        QVERIFY2(rows.next(), qPrintable(text));
        QCOMPARE(rows.text(QStringLiteral("商品名")), text);
        QCOMPARE(rows.text(QStringLiteral("拼音")), text);
        QVERIFY(!rows.next());
    }
    // A pattern is a value too: its wildcards work, its quotes do not escape.
    QCOMPARE(count(db, QStringLiteral("商品库 where 商品名 like ?"), {QStringLiteral("%'%")}), 3);
    QCOMPARE(count(db, QStringLiteral("商品库 where 商品名 like ?"), {QStringLiteral("%贵宾房%")}),
             1);
    // An empty text stays an empty text and is not taken for NULL.
    QCOMPARE(count(db, QStringLiteral("商品库 where 商品名 = ?"), {QStringLiteral("")}), 1);
    QCOMPARE(count(db, QStringLiteral("商品库 where 编号 = ? and 商品名 is null"),
                   {QStringLiteral("X")}),
             0);
}

void TestDatabaseGateway::moneyRoundTripAndExactSums()
{
    SeededDatabase seeded;
    Database& db = seeded.database();

    const QList<Money> samples = {
        Money(),
        *Money::parse(u"0.0001"),
        *Money::parse(u"-0.0001"),
        *Money::parse(u"19.99"),
        *Money::parse(u"-12345.6789"),
        Money::fromTicks(std::numeric_limits<qint64>::max()),
        Money::fromTicks(std::numeric_limits<qint64>::min() + 1),
    };
    for (const Money& amount : samples) {
        const qint64 key = db.insertReturningKey(
            QStringLiteral("insert into 结帐明细 (单据号, 合计) values (?, ?)"),
            {QStringLiteral("rt"), QVariant::fromValue(amount)}, QStringLiteral("ID"));
        Rows rows = db.query(QStringLiteral("select 合计 from 结帐明细 where ID = ?"), {key});
        QVERIFY(rows.next());
        QCOMPARE(rows.money(QStringLiteral("合计")), amount);
        // Equality with a bound amount finds the row.
        QCOMPARE(count(db, QStringLiteral("结帐明细 where ID = ? and 合计 = ?"),
                       {key, QVariant::fromValue(amount)}),
                 1);
    }
    db.exec(QStringLiteral("delete from 结帐明细"));

    // Ten thousand dimes make exactly one thousand; returns subtract exactly.
    {
        Transaction transaction(db);
        for (int i = 0; i < 10000; ++i)
            db.exec(QStringLiteral("insert into 结帐明细 (单据号, 合计) values (?, ?)"),
                    {QStringLiteral("sum"), money("0.1")});
        for (int i = 0; i < 2500; ++i)
            db.exec(QStringLiteral("insert into 结帐明细 (单据号, 合计) values (?, ?)"),
                    {QStringLiteral("neg"), money("-0.0001")});
        transaction.commit();
    }
    Rows sums =
        db.query(QStringLiteral(
                     "select sum(合计)as 正, (select sum(合计) from 结帐明细 where 单据号 = ?)as "
                     "负, (select sum(合计) from 结帐明细)as 全部 from 结帐明细 where 单据号 = ?"),
                 {QStringLiteral("neg"), QStringLiteral("sum")});
    QVERIFY(sums.next());
    QCOMPARE(sums.money(QStringLiteral("正")), Money::fromUnits(1000));
    QCOMPARE(sums.money(QStringLiteral("负")), *Money::parse(u"-0.25"));
    QCOMPARE(sums.money(QStringLiteral("全部")), *Money::parse(u"999.75"));
    QCOMPARE(sums.money(QStringLiteral("全部")).toString(), QStringLiteral("999.75"));

    // Arithmetic in a statement (a discount of the line totals) stays in ten-thousandths.
    db.exec(
        QStringLiteral("insert into 手牌消费 (主手牌号, 单价, 数量, 参与打折) values (?, ?, ?, ?)"),
        {QStringLiteral("A01"), money("33.3"), 3, QStringLiteral("y")});
    db.exec(QStringLiteral("update 手牌消费 set 合计=单价*数量 where 主手牌号 = ?"),
            {QStringLiteral("A01")});
    Rows line = db.query(QStringLiteral("select sum(合计)as 应收 from 手牌消费 where 主手牌号 = ?"),
                         {QStringLiteral("A01")});
    QVERIFY(line.next());
    QCOMPARE(line.money(QStringLiteral("应收")), *Money::parse(u"99.9"));
}

void TestDatabaseGateway::dateTimesAndPeriods()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    const QDateTime lastSecond(QDate(2024, 1, 31), QTime(23, 59, 59));
    const QDateTime midnight(QDate(2024, 2, 1), QTime(0, 0, 0));
    const QDateTime noon(QDate(2024, 2, 1), QTime(12, 30, 5));
    for (const QDateTime& when : {lastSecond, midnight, noon})
        db.exec(QStringLiteral("insert into 结帐管理 (单据号, 结帐时间) values (?, ?)"),
                {when.toString(QStringLiteral("HHmmss")), when});
    // Screens also write the local time as text; it is the same value.
    db.exec(QStringLiteral("insert into 结帐管理 (单据号, 结帐时间) values (?, ?)"),
            {QStringLiteral("text"), QStringLiteral("2024-01-15 08:00:00")});

    Rows rows = db.query(QStringLiteral("select 结帐时间 from 结帐管理 where 单据号 = ?"),
                         {QStringLiteral("235959")});
    QVERIFY(rows.next());
    QCOMPARE(rows.dateTime(QStringLiteral("结帐时间")), lastSecond);
    rows = db.query(QStringLiteral("select 结帐时间 from 结帐管理 where 单据号 = ?"),
                    {QStringLiteral("text")});
    QVERIFY(rows.next());
    QCOMPARE(rows.dateTime(QStringLiteral("结帐时间")), QDateTime(QDate(2024, 1, 15), QTime(8, 0)));

    // A period from one date to the next: the last second of January belongs to January.
    const QString period = QStringLiteral("结帐管理 where 结帐时间 >= ? and 结帐时间 < ?");
    QCOMPARE(count(db, period, {QDate(2024, 1, 1), QDate(2024, 2, 1)}), 2);
    QCOMPARE(count(db, period, {QDate(2024, 1, 31), QDate(2024, 2, 1)}), 1);
    QCOMPARE(count(db, period, {QDate(2024, 2, 1), QDate(2024, 2, 2)}), 2);
    QCOMPARE(count(db, QStringLiteral("结帐管理 where 结帐时间 < ?"), {QDate(2024, 2, 1)}), 2);
    QCOMPARE(count(db, QStringLiteral("结帐管理 where 结帐时间 >= ?"), {QDate(2024, 2, 1)}), 2);
    // A bound date-time compares to the second.
    QCOMPARE(count(db, QStringLiteral("结帐管理 where 结帐时间 > ?"), {lastSecond}), 2);
    QCOMPARE(count(db, QStringLiteral("结帐管理 where 结帐时间 = ?"), {midnight}), 1);
    // Ordered by time, not by text.
    rows = db.query(QStringLiteral("select 单据号 from 结帐管理 order by 结帐时间 desc"));
    QVERIFY(rows.next());
    QCOMPARE(rows.text(QStringLiteral("单据号")), QStringLiteral("123005"));
    // A NULL time reads as invalid.
    db.exec(QStringLiteral("insert into 结帐管理 (单据号) values (?)"), {QStringLiteral("null")});
    rows = db.query(QStringLiteral("select 结帐时间 from 结帐管理 where 单据号 = ?"),
                    {QStringLiteral("null")});
    QVERIFY(rows.next());
    QVERIFY(!rows.dateTime(QStringLiteral("结帐时间")).isValid());
}

void TestDatabaseGateway::flags()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    db.exec(QStringLiteral("delete from 商品类型"));
    db.exec(QStringLiteral("insert into 商品类型 (名称, 库存) values (?, ?)"),
            {QStringLiteral("有库存"), true});
    db.exec(QStringLiteral("insert into 商品类型 (名称, 库存) values (?, ?)"),
            {QStringLiteral("无库存"), false});
    db.exec(QStringLiteral("insert into 商品类型 (名称) values (?)"), {QStringLiteral("默认")});

    QCOMPARE(count(db, QStringLiteral("商品类型 where 库存 = true")), 1);
    QCOMPARE(count(db, QStringLiteral("商品类型 where 库存 = false")), 2);
    QCOMPARE(count(db, QStringLiteral("商品类型 where 库存 = ?"), {true}), 1);
    QCOMPARE(count(db, QStringLiteral("商品类型 where 库存 = ?"), {false}), 2);
    QCOMPARE(db.scalar(QStringLiteral("select 名称 from 商品类型 where 库存 = true")).toString(),
             QStringLiteral("有库存"));
    Rows rows = db.query(QStringLiteral("select 名称, 库存 from 商品类型 order by 名称"));
    QHash<QString, bool> read;
    while (rows.next())
        read.insert(rows.text(QStringLiteral("名称")), rows.flag(QStringLiteral("库存")));
    QCOMPARE(read.value(QStringLiteral("有库存")), true);
    QCOMPARE(read.value(QStringLiteral("无库存")), false);
    QCOMPARE(read.value(QStringLiteral("默认"), true), false);

    db.exec(QStringLiteral("update 商品类型 set 库存 = ? where 名称 = ?"),
            {true, QStringLiteral("默认")});
    QCOMPARE(count(db, QStringLiteral("商品类型 where 库存 = true")), 2);
}

void TestDatabaseGateway::caseInsensitiveMatching()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    const Dialect& dialect = db.dialect();
    db.exec(QStringLiteral("insert into 管理员 (用户名, 密码) values (?, ?)"),
            {QStringLiteral("Cashier"), QStringLiteral("x")});

    const QString equals =
        QStringLiteral("管理员 where ") + dialect.caseInsensitiveEquals(QStringLiteral("用户名"));
    QCOMPARE(count(db, equals, {QStringLiteral("cashier")}), 1);
    QCOMPARE(count(db, equals, {QStringLiteral("CASHIER")}), 1);
    QCOMPARE(count(db, equals, {QStringLiteral("Cashier")}), 1);
    QCOMPARE(count(db, equals, {QStringLiteral("超级管理员")}), 1);
    QCOMPARE(count(db, equals, {QStringLiteral("cashie")}), 0);
    // Plain equality keeps case.
    QCOMPARE(count(db, QStringLiteral("管理员 where 用户名 = ?"), {QStringLiteral("cashier")}), 0);

    const QString like =
        QStringLiteral("商品库 where ") + dialect.caseInsensitiveLike(QStringLiteral("拼音"));
    QCOMPARE(count(db, like, {QStringLiteral("%kq%")}), 1);
    QCOMPARE(count(db, like, {QStringLiteral("%KQ%")}), 1);
    QCOMPARE(count(db, like, {QStringLiteral("%am")}), 2);
    const QString likeName =
        QStringLiteral("商品库 where ") + dialect.caseInsensitiveLike(QStringLiteral("商品名"));
    QCOMPARE(count(db, likeName, {QStringLiteral("%按摩%")}), 2);
    QCOMPARE(count(db, likeName, {QStringLiteral("%没有%")}), 0);
}

void TestDatabaseGateway::identifiersThatNeedQuoting()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    const QString add = db.dialect().quote(QStringLiteral("add"));
    db.exec(QStringLiteral("update sysinfo set %1 = ?").arg(add), {QStringLiteral("新地址 1 号")});
    QCOMPARE(db.scalar(QStringLiteral("select %1 from sysinfo").arg(add)).toString(),
             QStringLiteral("新地址 1 号"));
    Rows rows = db.query(QStringLiteral("select * from sysinfo"));
    QVERIFY(rows.next());
    QCOMPARE(rows.text(QStringLiteral("add")), QStringLiteral("新地址 1 号"));
    // A name with a quote inside is still one identifier.
    QCOMPARE(db.dialect().quote(QStringLiteral("a\"b")), QStringLiteral("\"a\"\"b\""));
    // The column list a screen reads back names the same columns.
    QVERIFY(db.columns(QStringLiteral("sysinfo")).contains(QStringLiteral("add")));
}

void TestDatabaseGateway::transactions()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    const QString insert =
        QStringLiteral("insert into 手牌管理 (手牌号码, 所属包厢) values (?, ?)");

    // An exception half-way leaves nothing written.
    try {
        Transaction transaction(db);
        db.exec(insert, {QStringLiteral("T1"), QStringLiteral("大厅")});
        QVERIFY(db.inTransaction());
        throw std::runtime_error("screen failed");
    } catch (const std::runtime_error&) {
    }
    QVERIFY(!db.inTransaction());
    QCOMPARE(count(db, QStringLiteral("手牌管理 where 手牌号码 = ?"), {QStringLiteral("T1")}), 0);

    // A failed statement half-way (a duplicate tag) takes the earlier writes with it.
    QVERIFY(throwsDatabaseError([&] {
        Transaction transaction(db);
        db.exec(insert, {QStringLiteral("T2"), QStringLiteral("大厅")});
        db.exec(QStringLiteral("update 单据号 set 单据号 = ?"), {QStringLiteral("99")});
        db.exec(insert, {QStringLiteral("A01"), QStringLiteral("大厅")});
        transaction.commit();
    }));
    QVERIFY(!db.inTransaction());
    QCOMPARE(count(db, QStringLiteral("手牌管理 where 手牌号码 = ?"), {QStringLiteral("T2")}), 0);
    QCOMPARE(db.scalar(QStringLiteral("select 单据号 from 单据号")).toString(),
             QStringLiteral("0"));

    // Committed writes stay, and are seen by another connection.
    {
        Transaction transaction(db);
        db.exec(insert, {QStringLiteral("T3"), QStringLiteral("大厅")});
        db.exec(insert, {QStringLiteral("T4"), QStringLiteral("大厅")});
        transaction.commit();
    }
    QVERIFY(!db.inTransaction());
    auto other = seeded.openAnother();
    QCOMPARE(count(*other, QStringLiteral("手牌管理 where 手牌号码 in (?, ?)"),
                   {QStringLiteral("T3"), QStringLiteral("T4")}),
             2);

    // Transactions do not nest, and a commit needs a transaction.
    {
        Transaction transaction(db);
        QVERIFY(throwsDatabaseError([&] { db.begin(); }));
        QVERIFY(db.inTransaction());
    }
    QVERIFY(!db.inTransaction());
    QVERIFY(throwsDatabaseError([&] { db.commit(); }));
    // The connection works on after all of this.
    QCOMPARE(count(db, QStringLiteral("手牌管理 where 手牌号码 = ?"), {QStringLiteral("T3")}), 1);

    // A commit that fails (a constraint checked only at the end) leaves no
    // transaction open: what follows is written for good, not held in limbo.
    if (db.backend() == Backend::Sqlite)
        db.exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    db.exec(QStringLiteral("create table parent_row (id integer primary key)"));
    db.exec(QStringLiteral("create table child_row (id integer, parent integer references "
                           "parent_row (id) deferrable initially deferred)"));
    QVERIFY(throwsDatabaseError([&] {
        Transaction transaction(db);
        db.exec(QStringLiteral("insert into child_row (id, parent) values (1, 42)"));
        transaction.commit();
    }));
    QVERIFY(!db.inTransaction());
    {
        Transaction transaction(db);
        db.exec(insert, {QStringLiteral("T5"), QStringLiteral("大厅")});
        transaction.commit();
    }
    QCOMPARE(count(*other, QStringLiteral("手牌管理 where 手牌号码 = ?"), {QStringLiteral("T5")}),
             1);
    QCOMPARE(count(*other, QStringLiteral("child_row"), {}), 0);
}

void TestDatabaseGateway::generatedKeys()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    qint64 previous = 0;
    for (int i = 0; i < 5; ++i) {
        const QString name = QStringLiteral("新品%1").arg(i);
        const qint64 key =
            db.insertReturningKey(QStringLiteral("insert into 商品库 (编号, 商品名) values (?, ?)"),
                                  {QString::number(900 + i), name}, QStringLiteral("ID"));
        QVERIFY(key > previous);
        previous = key;
        QCOMPARE(
            db.scalar(QStringLiteral("select 商品名 from 商品库 where ID = ?"), {key}).toString(),
            name);
    }
    // Each table counts its own keys; a lower-case key name is the same column.
    const qint64 first =
        db.insertReturningKey(QStringLiteral("insert into 结帐管理 (单据号) values (?)"),
                              {QStringLiteral("1")}, QStringLiteral("id"));
    const qint64 second =
        db.insertReturningKey(QStringLiteral("insert into 结帐管理 (单据号) values (?)"),
                              {QStringLiteral("2")}, QStringLiteral("id"));
    QVERIFY(first >= 1);
    QVERIFY(second > first);
}

void TestDatabaseGateway::checkedColumns()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    const Dialect& dialect = db.dialect();
    QCOMPARE(db.checkedColumn(QStringLiteral("商品库"), QStringLiteral("商品名")),
             dialect.quote(QStringLiteral("商品名")));
    QCOMPARE(db.checkedColumn(QStringLiteral("商品库"), QStringLiteral(" 拼音 ")),
             dialect.quote(QStringLiteral("拼音")));
    QCOMPARE(db.checkedColumn(QStringLiteral("商品库"), QStringLiteral("id")),
             dialect.quote(QStringLiteral("ID")));
    QCOMPARE(db.checkedColumn(QStringLiteral("结帐管理"), QStringLiteral("Id")),
             dialect.quote(QStringLiteral("id")));
    // The checked name works in a statement.
    const QString column = db.checkedColumn(QStringLiteral("会员管理"), QStringLiteral("会员卡号"));
    QCOMPARE(count(db, QStringLiteral("会员管理 where %1 = ?").arg(column), {QStringLiteral("1")}),
             0);

    for (const QString& typed :
         {QStringLiteral("x; drop table 管理员"), QStringLiteral("商品名; drop table 管理员"),
          QStringLiteral("商品名 or 1=1"), QStringLiteral("\"商品名\""), QStringLiteral("")}) {
        QString text;
        QVERIFY2(
            throwsDatabaseError([&] { db.checkedColumn(QStringLiteral("商品库"), typed); }, &text),
            qPrintable(typed));
        QVERIFY(!text.isEmpty());
    }
    QVERIFY(throwsDatabaseError(
        [&] { db.checkedColumn(QStringLiteral("没有这张表"), QStringLiteral("商品名")); }));
    QVERIFY(db.tableExists(QStringLiteral("管理员")));
}

void TestDatabaseGateway::failuresCarryTheDatabaseText()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    QString text;
    QVERIFY(
        throwsDatabaseError([&] { db.query(QStringLiteral("select * from 不存在的表")); }, &text));
    QVERIFY2(text.contains(QStringLiteral("不存在的表")), qPrintable(text));

    QVERIFY(throwsDatabaseError(
        [&] { db.exec(QStringLiteral("update 商品库 set 没有的列 = ?"), {QStringLiteral("1")}); },
        &text));
    QVERIFY2(text.contains(QStringLiteral("没有的列")), qPrintable(text));

    QVERIFY(throwsDatabaseError([&] { db.exec(QStringLiteral("selec 1")); }, &text));
    QVERIFY(!text.trimmed().isEmpty());

    // A column a query does not return is refused by name.
    Rows rows = db.query(QStringLiteral("select 商品名 from 商品库"));
    QVERIFY(rows.next());
    QVERIFY(throwsDatabaseError([&] { rows.text(QStringLiteral("单价")); }, &text));
    QVERIFY(text.contains(QStringLiteral("单价")));

    // No rows: scalar gives an invalid value, not an error.
    QVERIFY(!db.scalar(QStringLiteral("select 商品名 from 商品库 where 编号 = ?"),
                       {QStringLiteral("nope")})
                 .isValid());

    // A closed gateway refuses statements with its own text.
    Database closed;
    QVERIFY(throwsDatabaseError([&] { closed.exec(QStringLiteral("select 1")); }, &text));
    QVERIFY(!text.isEmpty());
}

void TestDatabaseGateway::concurrentCounterIncrements()
{
    // Several workstations taking bill numbers at the same time: each number is
    // taken once, so none is lost. PostgreSQL relies on the row lock of the
    // select; SQLite on the write lock its transactions take at the start.
    SeededDatabase seeded;
    const QString connectionText = seeded.connectionText();
    const QString folder = seeded.folder();
    constexpr int workers = 4;
    constexpr int perWorker = 25;
    QStringList errors(workers);
    {
        std::vector<std::jthread> threads;
        for (int w = 0; w < workers; ++w) {
            threads.emplace_back([&, w] {
                try {
                    Database db;
                    if (!db.open(ConnectionDescription::parse(connectionText), folder)) {
                        errors[w] = db.lastError();
                        return;
                    }
                    for (int i = 0; i < perWorker; ++i)
                        incrementCounter(db);
                } catch (const std::exception& error) {
                    errors[w] = QString::fromUtf8(error.what());
                }
            });
        }
    }
    for (const QString& error : errors)
        QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(seeded.database().scalar(QStringLiteral("select 单据号 from 单据号")).toString(),
             QString::number(workers * perWorker));
}

void TestDatabaseGateway::forUpdateBlocksTheOtherWriter()
{
    if (test::testBackend() != Backend::Postgres)
        QSKIP("SQLite has no row locks: a second writer cannot even begin while the first "
              "holds its transaction, which concurrentCounterIncrements covers.");
    SeededDatabase seeded;
    Database& db = seeded.database();
    const QString connectionText = seeded.connectionText();
    const QString folder = seeded.folder();
    const QString lockedRead =
        QStringLiteral("select 单据号 from 单据号") + db.dialect().forUpdate();

    std::atomic<bool> otherDone = false;
    QString otherRead;
    QString otherError;
    // Declared before the transaction so that, should a check fail, the lock is
    // released before the other writer is waited for.
    std::jthread other;
    Transaction transaction(db);
    const qint64 mine = db.scalar(lockedRead).toString().toLongLong();
    other = std::jthread([&] {
        try {
            Database second;
            if (!second.open(ConnectionDescription::parse(connectionText), folder)) {
                otherError = second.lastError();
            } else {
                Transaction theirs(second);
                otherRead = second.scalar(lockedRead).toString();
                second.exec(QStringLiteral("update 单据号 set 单据号 = ?"),
                            {QString::number(otherRead.toLongLong() + 1)});
                theirs.commit();
            }
        } catch (const std::exception& error) {
            otherError = QString::fromUtf8(error.what());
        }
        otherDone = true;
    });
    QThread::msleep(400);
    QVERIFY2(!otherDone, "the second writer read the counter while it was locked");
    db.exec(QStringLiteral("update 单据号 set 单据号 = ?"), {QString::number(mine + 1)});
    transaction.commit();
    other.join();
    QVERIFY2(otherError.isEmpty(), qPrintable(otherError));
    QCOMPARE(otherRead, QString::number(mine + 1));
    QCOMPARE(db.scalar(QStringLiteral("select 单据号 from 单据号")).toString(),
             QString::number(mine + 2));
}

void TestDatabaseGateway::uniqueViolationsAreRecognised()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    const auto failure =
        [](const std::function<void()>& statement) -> std::optional<DatabaseError> {
        try {
            statement();
        } catch (const DatabaseError& error) {
            return error;
        }
        return std::nullopt;
    };

    // A second member with the same card number, from another workstation.
    db.exec(QStringLiteral("insert into 会员管理 (会员卡号, 会员姓名) values (?, ?)"),
            {QStringLiteral("8001"), QStringLiteral("甲")});
    std::unique_ptr<Database> other = seeded.openAnother();
    auto error = failure([&] {
        other->exec(QStringLiteral("insert into 会员管理 (会员卡号, 会员姓名) values (?, ?)"),
                    {QStringLiteral("8001"), QStringLiteral("乙")});
    });
    QVERIFY(error);
    QVERIFY(error->isUniqueViolation());
    QVERIFY(!error->text().isEmpty());

    const QString text = db.dialect().textType();
    const QString integer = db.dialect().integerType();
    db.exec(QStringLiteral("create table uq (k %1 primary key, code %2 unique, name %2 not null)")
                .arg(integer, text));
    db.exec(QStringLiteral("insert into uq (k, code, name) values (?, ?, ?)"),
            {1, QStringLiteral("a"), QStringLiteral("n")});
    // A primary key taken twice.
    error = failure([&] {
        db.exec(QStringLiteral("insert into uq (k, code, name) values (?, ?, ?)"),
                {1, QStringLiteral("b"), QStringLiteral("n")});
    });
    QVERIFY(error && error->isUniqueViolation());
    // An update that makes two rows share a unique value.
    db.exec(QStringLiteral("insert into uq (k, code, name) values (?, ?, ?)"),
            {2, QStringLiteral("b"), QStringLiteral("n")});
    error = failure([&] {
        db.exec(QStringLiteral("update uq set code = ? where k = ?"), {QStringLiteral("a"), 2});
    });
    QVERIFY(error && error->isUniqueViolation());

    // Other failures are not taken for it: a missing value, a wrong statement.
    error = failure([&] {
        db.exec(QStringLiteral("insert into uq (k, code) values (?, ?)"), {3, QStringLiteral("c")});
    });
    QVERIFY(error);
    QVERIFY(!error->isUniqueViolation());
    error = failure([&] { db.exec(QStringLiteral("insert into no_such_table (k) values (1)")); });
    QVERIFY(error);
    QVERIFY(!error->isUniqueViolation());
    QVERIFY(!DatabaseError(QStringLiteral("x")).isUniqueViolation());
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from uq")).toLongLong(), 2);
}

QTEST_GUILESS_MAIN(TestDatabaseGateway)
#include "tst_database.moc"
