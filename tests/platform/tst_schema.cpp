#include "TestDatabase.h"

#include "platform/PasswordHash.h"
#include "platform/Schema.h"

#include <QTest>

#include <functional>

using namespace shoupai;
using shoupai::test::SeededDatabase;
using shoupai::test::TestDatabase;

namespace {

QString q(const Database& db, const QString& name)
{
    return db.dialect().quote(name);
}

qint64 count(const Database& db, const QString& table, const QString& where = {},
             const QVariantList& parameters = {})
{
    QString sql = QStringLiteral("select count(*) from %1").arg(q(db, table));
    if (!where.isEmpty())
        sql += QStringLiteral(" where ") + where;
    return db.scalar(sql, parameters).toLongLong();
}

bool throwsDatabaseError(const std::function<void()>& statement)
{
    try {
        statement();
    } catch (const DatabaseError& error) {
        return !error.text().isEmpty();
    }
    return false;
}

void insert(Database& db, const QString& table, const QStringList& columns,
            const QVariantList& values)
{
    QStringList quoted;
    QStringList marks;
    for (const QString& column : columns) {
        quoted << q(db, column);
        marks << QStringLiteral("?");
    }
    db.exec(QStringLiteral("insert into %1 (%2) values (%3)")
                .arg(q(db, table), quoted.join(u','), marks.join(u',')),
            values);
}

} // namespace

class TestSchema : public QObject
{
    Q_OBJECT
private slots:
    void definitionsAndLookups();
    void everyDefinedColumnExists();
    void uniquenessRules();
    void flagsDefaultToFalseAndRefuseNull();
    void registrationDateDefaultsToToday();
    void seededVenue();
    void prepareCreatesOnlyWhenNoAdministrators();
    void prepareLeavesExistingDatabaseAlone();
    void prepareIsAllOrNothing();
    void emptySumReadsZero();
    void unpaidCommissionLines();
};

void TestSchema::definitionsAndLookups()
{
    // Every table of the system is defined, each once.
    const QStringList expected = {
        QStringLiteral("手牌管理"), QStringLiteral("包厢类型"),   QStringLiteral("计费设置"),
        QStringLiteral("手牌开单"), QStringLiteral("手牌消费"),   QStringLiteral("结帐管理"),
        QStringLiteral("结帐明细"), QStringLiteral("单据号"),     QStringLiteral("会员管理"),
        QStringLiteral("会员类型"), QStringLiteral("会员充值"),   QStringLiteral("商品库"),
        QStringLiteral("商品类型"), QStringLiteral("进货表"),     QStringLiteral("员工管理"),
        QStringLiteral("员工等级"), QStringLiteral("员工工资表"), QStringLiteral("管理员"),
        QStringLiteral("日志"),     QStringLiteral("sysinfo"),
    };
    QStringList names;
    for (const TableDefinition& table : Schema::tables())
        names << table.name;
    QCOMPARE(names.size(), expected.size());
    for (const QString& name : expected)
        QVERIFY2(names.count(name) == 1, qPrintable(name));

    QCOMPARE(Schema::table(QStringLiteral("结帐明细"))->columns.size(), 18);
    QCOMPARE(Schema::table(QStringLiteral("手牌消费"))->columns.size(), 18);
    QCOMPARE(Schema::table(QStringLiteral("结帐管理"))->columns.size(), 17);
    QCOMPARE(Schema::table(QStringLiteral("管理员"))->columns.size(), 25);
    QCOMPARE(Schema::permissionColumns().size(), 23);
    QCOMPARE(Schema::permissionColumns().first(), QStringLiteral("收银结算"));
    QCOMPARE(Schema::permissionColumns().last(), QStringLiteral("商品进货"));
    QVERIFY(Schema::table(QStringLiteral("SYSINFO")) != nullptr);
    QVERIFY(Schema::table(QStringLiteral("没有这张表")) == nullptr);

    // Kinds, with the Latin names matched without case.
    QCOMPARE(Schema::kindOf(QStringLiteral("结帐明细"), QStringLiteral("合计")), ColumnKind::Money);
    QCOMPARE(Schema::kindOf(QStringLiteral("结帐明细"), QStringLiteral("tcyf")), ColumnKind::Text);
    QCOMPARE(Schema::kindOf(QStringLiteral("结帐明细"), QStringLiteral("id")),
             ColumnKind::AutoNumber);
    QCOMPARE(Schema::kindOf(QStringLiteral("结帐管理"), QStringLiteral("ID")),
             ColumnKind::AutoNumber);
    QCOMPARE(Schema::kindOf(QStringLiteral("结帐管理"), QStringLiteral("结帐时间")),
             ColumnKind::DateTime);
    QCOMPARE(Schema::kindOf(QStringLiteral("SysInfo"), QStringLiteral("ADD")), ColumnKind::Text);
    QCOMPARE(Schema::kindOf(QStringLiteral("手牌管理"), QStringLiteral("Number")),
             ColumnKind::Integer);
    QCOMPARE(Schema::kindOf(QStringLiteral("商品类型"), QStringLiteral("库存")),
             ColumnKind::Boolean);
    QCOMPARE(Schema::kindOf(QStringLiteral("商品库"), QStringLiteral("库存")), ColumnKind::Integer);
    QCOMPARE(Schema::kindOf(QStringLiteral("管理员"), QStringLiteral("营业项目删除")),
             ColumnKind::Boolean);
    QCOMPARE(Schema::kindOf(QStringLiteral("会员类型"), QStringLiteral("打折率")),
             ColumnKind::Number);
    QCOMPARE(Schema::kindOf(QStringLiteral("会员管理"), QStringLiteral("备注")), ColumnKind::Memo);
    QVERIFY(!Schema::kindOf(QStringLiteral("结帐明细"), QStringLiteral("打折率")));
    QVERIFY(!Schema::kindOf(QStringLiteral("没有这张表"), QStringLiteral("合计")));
}

void TestSchema::everyDefinedColumnExists()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    for (const TableDefinition& table : Schema::tables()) {
        QVERIFY2(db.tableExists(table.name), qPrintable(table.name));
        const QStringList actual = db.columns(table.name);
        QCOMPARE(actual.size(), table.columns.size());
        for (const ColumnDefinition& column : table.columns) {
            QVERIFY2(actual.contains(column.name, Qt::CaseInsensitive),
                     qPrintable(table.name + u'.' + column.name));
            // Every statement names columns unquoted or through the dialect; both must find it.
            QVERIFY(db.checkedColumn(table.name, column.name)
                        .contains(column.name, Qt::CaseInsensitive));
        }
        // "select *" and unquoted names reach the table as the screens write them.
        db.query(QStringLiteral("select * from %1").arg(table.name));
    }
    QCOMPARE(Schema::storedVersion(db), Schema::currentVersion());
    QCOMPARE(count(db, Schema::versionTable()), 1);
}

void TestSchema::uniquenessRules()
{
    SeededDatabase seeded;
    Database& db = seeded.database();

    struct Rule
    {
        QString table;
        QString column;
        QString first;
        QString second; // refused after first
    };
    const QList<Rule> rules = {
        {QStringLiteral("手牌管理"), QStringLiteral("手牌号码"), QStringLiteral("T1"),
         QStringLiteral("T1")},
        {QStringLiteral("商品类型"), QStringLiteral("名称"), QStringLiteral("茶水"),
         QStringLiteral("茶水")},
        {QStringLiteral("员工等级"), QStringLiteral("等级名称"), QStringLiteral("领班"),
         QStringLiteral("领班")},
        {QStringLiteral("会员管理"), QStringLiteral("会员卡号"), QStringLiteral("880001"),
         QStringLiteral("880001")},
        {QStringLiteral("员工管理"), QStringLiteral("员工编号"), QStringLiteral("901"),
         QStringLiteral("901")},
        {QStringLiteral("管理员"), QStringLiteral("用户名"), QStringLiteral("Cashier"),
         QStringLiteral("cASHIER")},
    };
    for (const Rule& rule : rules) {
        insert(db, rule.table, {rule.column}, {rule.first});
        QVERIFY2(throwsDatabaseError([&] { insert(db, rule.table, {rule.column}, {rule.second}); }),
                 qPrintable(rule.table + u'.' + rule.column));
        QCOMPARE(count(db, rule.table, q(db, rule.column) + QStringLiteral(" = ?"), {rule.first}),
                 1);
    }
    // The seeded rows take part in the rules too.
    QVERIFY(throwsDatabaseError([&] {
        insert(db, QStringLiteral("手牌管理"), {QStringLiteral("手牌号码")},
               {QStringLiteral("A01")});
    }));
    QVERIFY(throwsDatabaseError([&] {
        insert(db, QStringLiteral("管理员"), {QStringLiteral("用户名")},
               {QStringLiteral("超级管理员")});
    }));
    // Case matters only for user names; tag numbers differing in case are two tags.
    insert(db, QStringLiteral("手牌管理"), {QStringLiteral("手牌号码")}, {QStringLiteral("t1")});
    // Nothing else is unique: goods may share names and codes, members types their names.
    insert(db, QStringLiteral("商品库"), {QStringLiteral("编号"), QStringLiteral("商品名")},
           {QStringLiteral("101"), QStringLiteral("矿泉水")});
    QCOMPARE(count(db, QStringLiteral("商品库"), QStringLiteral("商品名 = ?"),
                   {QStringLiteral("矿泉水")}),
             2);
    insert(db, QStringLiteral("会员类型"), {QStringLiteral("类型名称")}, {QStringLiteral("银卡")});
    insert(db, QStringLiteral("手牌开单"), {QStringLiteral("手牌号码")}, {QStringLiteral("A01")});
    insert(db, QStringLiteral("手牌开单"), {QStringLiteral("手牌号码")}, {QStringLiteral("A01")});
}

void TestSchema::flagsDefaultToFalseAndRefuseNull()
{
    SeededDatabase seeded;
    Database& db = seeded.database();

    insert(db, QStringLiteral("商品类型"), {QStringLiteral("名称")}, {QStringLiteral("茶水")});
    Rows type =
        db.query(QStringLiteral("select * from 商品类型 where 名称 = ?"), {QStringLiteral("茶水")});
    QVERIFY(type.next());
    QVERIFY(!type.isNull(QStringLiteral("库存")));
    QVERIFY(!type.isNull(QStringLiteral("是否需要服务")));
    QCOMPARE(type.flag(QStringLiteral("库存")), false);
    QCOMPARE(type.flag(QStringLiteral("是否需要服务")), false);

    insert(db, QStringLiteral("管理员"), {QStringLiteral("用户名"), QStringLiteral("密码")},
           {QStringLiteral("收银员"), QStringLiteral("x")});
    Rows admin = db.query(QStringLiteral("select * from 管理员 where 用户名 = ?"),
                          {QStringLiteral("收银员")});
    QVERIFY(admin.next());
    for (const QString& flag : Schema::permissionColumns()) {
        QVERIFY2(!admin.isNull(flag), qPrintable(flag));
        QVERIFY2(!admin.flag(flag), qPrintable(flag));
    }

    QVERIFY(throwsDatabaseError([&] {
        insert(db, QStringLiteral("商品类型"), {QStringLiteral("名称"), QStringLiteral("库存")},
               {QStringLiteral("空值"), QVariant()});
    }));
    QVERIFY(throwsDatabaseError([&] {
        db.exec(QStringLiteral("update 管理员 set 免单 = ? where 用户名 = ?"),
                {QVariant(), QStringLiteral("收银员")});
    }));
}

void TestSchema::registrationDateDefaultsToToday()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    const QDate before = QDate::currentDate();
    insert(db, QStringLiteral("会员管理"), {QStringLiteral("会员卡号"), QStringLiteral("会员姓名")},
           {QStringLiteral("660001"), QStringLiteral("赵敏")});
    const QDate after = QDate::currentDate();
    Rows member = db.query(QStringLiteral("select 登记日期 from 会员管理 where 会员卡号 = ?"),
                           {QStringLiteral("660001")});
    QVERIFY(member.next());
    const QDateTime registered = member.dateTime(QStringLiteral("登记日期"));
    QVERIFY(registered.isValid());
    QVERIFY(registered.date() == before || registered.date() == after);
    QCOMPARE(registered.time(), QTime(0, 0));
    // Selecting the members registered today finds the new one.
    QCOMPARE(count(db, QStringLiteral("会员管理"), QStringLiteral("登记日期 >= ?"), {before}), 1);
}

void TestSchema::seededVenue()
{
    SeededDatabase seeded;
    Database& db = seeded.database();

    QCOMPARE(count(db, QStringLiteral("单据号")), 1);
    QCOMPARE(db.scalar(QStringLiteral("select 单据号 from 单据号")).toString(),
             QStringLiteral("0"));

    Rows shop = db.query(QStringLiteral("select * from sysinfo"));
    QVERIFY(shop.next());
    QVERIFY(!shop.text(QStringLiteral("name")).isEmpty());
    QVERIFY(!shop.text(QStringLiteral("tel")).isEmpty());
    QVERIFY(!shop.text(QStringLiteral("add")).isEmpty());
    QVERIFY(!shop.next());

    QCOMPARE(count(db, QStringLiteral("管理员")), 1);
    Rows admin = db.query(QStringLiteral("select * from 管理员"));
    QVERIFY(admin.next());
    QCOMPARE(admin.text(QStringLiteral("用户名")), QStringLiteral("超级管理员"));
    const QString stored = admin.text(QStringLiteral("密码"));
    QVERIFY(passwordhash::isHash(stored));
    QVERIFY(passwordhash::verify(stored, QStringLiteral("1")));
    QVERIFY(!passwordhash::verify(stored, QStringLiteral("2863")));
    int granted = 0;
    for (const QString& flag : Schema::permissionColumns())
        granted += admin.flag(flag) ? 1 : 0;
    QCOMPARE(granted, 23);

    QVERIFY(count(db, QStringLiteral("计费设置")) >= 2);
    QCOMPARE(count(db, QStringLiteral("计费设置"), QStringLiteral("计费方式 = ?"),
                   {QStringLiteral("按次计费")}),
             1);

    // Room types: every tag belongs to one, and at least one charges no ticket.
    const qint64 rooms = count(db, QStringLiteral("包厢类型"));
    QVERIFY(rooms >= 2 && rooms <= 3);
    QCOMPARE(count(db, QStringLiteral("包厢类型"), QStringLiteral("门票价格 = ?"),
                   {QVariant::fromValue(Money())}),
             1);
    Rows hall = db.query(QStringLiteral("select * from 包厢类型 where 包厢类型 = ?"),
                         {QStringLiteral("大厅")});
    QVERIFY(hall.next());
    QCOMPARE(hall.money(QStringLiteral("门票价格")), Money::fromUnits(20));
    QCOMPARE(hall.money(QStringLiteral("初始费用")), Money());
    QVERIFY(!hall.text(QStringLiteral("计费方式")).isEmpty());

    const qint64 tags = count(db, QStringLiteral("手牌管理"));
    QVERIFY(tags >= 25 && tags <= 35);
    QCOMPARE(count(db, QStringLiteral("手牌管理"),
                   QStringLiteral("所属包厢 not in (select 包厢类型 from 包厢类型)")),
             0);
    QCOMPARE(count(db, QStringLiteral("手牌管理"), QStringLiteral("手牌状态 = ?"),
                   {QStringLiteral("停用")}),
             1);
    QCOMPARE(count(db, QStringLiteral("手牌管理"), QStringLiteral("手牌状态 = ?"),
                   {QStringLiteral("预定")}),
             1);
    QCOMPARE(count(db, QStringLiteral("手牌管理"), QStringLiteral("手牌状态 = ?"),
                   {QStringLiteral("可用")}),
             tags - 2);
    QCOMPARE(count(db, QStringLiteral("手牌管理"), QStringLiteral("所在位置 = ? and 包厢性质 = ?"),
                   {QStringLiteral(""), QStringLiteral("")}),
             tags);
    // The sort key orders the tags as they are numbered.
    Rows ordered = db.query(QStringLiteral("select 手牌号码 from 手牌管理 order by number"));
    QVERIFY(ordered.next());
    QCOMPARE(ordered.text(QStringLiteral("手牌号码")), QStringLiteral("A01"));
    QCOMPARE(count(db, QStringLiteral("手牌开单")), 0);
    QCOMPARE(count(db, QStringLiteral("手牌消费")), 0);

    // Goods types: some keep stock, one stays out of discounts, services need an employee.
    QVERIFY(count(db, QStringLiteral("商品类型"), QStringLiteral("库存 = true")) >= 1);
    QVERIFY(count(db, QStringLiteral("商品类型"), QStringLiteral("参与打折 = ?"),
                  {QStringLiteral("n")}) >= 1);
    QVERIFY(count(db, QStringLiteral("商品类型"), QStringLiteral("是否需要服务 = true")) >= 1);
    // The add screen presets this type for a new item.
    QCOMPARE(count(db, QStringLiteral("商品类型"), QStringLiteral("名称 = ?"),
                   {QStringLiteral("服务类")}),
             1);

    const qint64 goods = count(db, QStringLiteral("商品库"));
    QVERIFY(goods >= 10 && goods <= 16);
    QCOMPARE(count(db, QStringLiteral("商品库"),
                   QStringLiteral("商品类型 not in (select 名称 from 商品类型)")),
             0);
    QCOMPARE(count(db, QStringLiteral("商品库"), QStringLiteral("是否需要服务 not in (?, ?)"),
                   {QStringLiteral("是"), QStringLiteral("否")}),
             0);
    // Goods of service types ask for an employee; goods of stock types carry stock.
    QCOMPARE(count(db, QStringLiteral("商品库"),
                   QStringLiteral("是否需要服务 = ? and 商品类型 not in "
                                  "(select 名称 from 商品类型 where 是否需要服务 = true)"),
                   {QStringLiteral("是")}),
             0);
    Rows water = db.query(QStringLiteral("select * from 商品库 where 商品名 = ?"),
                          {QStringLiteral("矿泉水")});
    QVERIFY(water.next());
    QCOMPARE(water.text(QStringLiteral("拼音")), QStringLiteral("KQS"));
    QCOMPARE(water.money(QStringLiteral("单价")), Money::fromUnits(5));
    QVERIFY(water.integer(QStringLiteral("库存")) > 0);
    QCOMPARE(water.text(QStringLiteral("是否需要服务")), QStringLiteral("否"));
    Rows massage =
        db.query(QStringLiteral("select * from 商品库 where 拼音 = ?"), {QStringLiteral("ZDAM")});
    QVERIFY(massage.next());
    QCOMPARE(massage.text(QStringLiteral("是否需要服务")), QStringLiteral("是"));
    QVERIFY(massage.money(QStringLiteral("提成金额")) > Money());

    QCOMPARE(count(db, QStringLiteral("会员类型")), 2);
    Rows gold = db.query(QStringLiteral("select * from 会员类型 where 类型名称 = ?"),
                         {QStringLiteral("金卡")});
    QVERIFY(gold.next());
    QCOMPARE(gold.number(QStringLiteral("打折率")), *Money::parse(u"0.8"));
    QCOMPARE(gold.number(QStringLiteral("初始积分")), Money());
    QCOMPARE(count(db, QStringLiteral("会员管理")), 0);

    QVERIFY(count(db, QStringLiteral("员工管理")) >= 3);
    QCOMPARE(count(db, QStringLiteral("员工管理"),
                   QStringLiteral("员工等级 not in (select 等级名称 from 员工等级)")),
             0);
    Rows employee = db.query(QStringLiteral("select * from 员工管理 where 员工编号 = ?"),
                             {QStringLiteral("001")});
    QVERIFY(employee.next());
    QVERIFY(!employee.text(QStringLiteral("员工姓名")).isEmpty());
    QVERIFY(employee.text(QStringLiteral("性别")) == u"男" ||
            employee.text(QStringLiteral("性别")) == u"女");
    Rows grade = db.query(QStringLiteral("select 工资 from 员工等级 where 等级名称 = ?"),
                          {employee.text(QStringLiteral("员工等级"))});
    QVERIFY(grade.next());
    QVERIFY(grade.money(QStringLiteral("工资")) > Money::fromUnits(1000));
}

void TestSchema::prepareCreatesOnlyWhenNoAdministrators()
{
    TestDatabase empty;
    Database& db = empty.database();
    Schema::prepare(db, true);
    QVERIFY(!db.inTransaction());
    QCOMPARE(Schema::storedVersion(db), Schema::currentVersion());
    QCOMPARE(count(db, QStringLiteral("管理员")), 1);
    const qint64 tags = count(db, QStringLiteral("手牌管理"));
    QVERIFY(tags > 0);

    // Run again, as at every start: the venue's changes stay, nothing is seeded twice.
    db.exec(QStringLiteral("delete from 手牌管理 where 手牌号码 = ?"), {QStringLiteral("A01")});
    db.exec(QStringLiteral("update 单据号 set 单据号 = ?"), {QStringLiteral("41")});
    Schema::prepare(db, false);
    Schema::prepare(db, true);
    QCOMPARE(count(db, QStringLiteral("手牌管理")), tags - 1);
    QCOMPARE(count(db, QStringLiteral("单据号")), 1);
    QCOMPARE(db.scalar(QStringLiteral("select 单据号 from 单据号")).toString(),
             QStringLiteral("41"));
    QCOMPARE(count(db, QStringLiteral("管理员")), 1);

    // A reachable database that simply holds no tables yet is prepared too.
    TestDatabase second;
    Schema::prepare(second.database(), false);
    QCOMPARE(count(second.database(), QStringLiteral("管理员")), 1);
}

void TestSchema::prepareLeavesExistingDatabaseAlone()
{
    TestDatabase old;
    Database& db = old.database();
    // An older database: its administrators predate the goods permissions, and
    // the flags are plain integers.
    QStringList columns = {q(db, QStringLiteral("用户名")) + QStringLiteral(" text"),
                           q(db, QStringLiteral("密码")) + QStringLiteral(" text")};
    for (const QString& flag : Schema::permissionColumns()) {
        if (flag != u"商品管理" && flag != u"商品类型")
            columns << q(db, flag) + QStringLiteral(" integer");
    }
    db.exec(QStringLiteral("create table %1 (%2)")
                .arg(q(db, QStringLiteral("管理员")), columns.join(QStringLiteral(", "))));
    db.exec(QStringLiteral("insert into 管理员 (用户名, 密码) values (?, ?)"),
            {QStringLiteral("老板"), QStringLiteral("9")});
    const QStringList before = db.columns(QStringLiteral("管理员"));
    QCOMPARE(before.size(), 23);

    Schema::prepare(db, false);
    Schema::prepare(db, true);

    QCOMPARE(db.columns(QStringLiteral("管理员")), before);
    QCOMPARE(count(db, QStringLiteral("管理员")), 1);
    Rows admin = db.query(QStringLiteral("select * from 管理员"));
    QVERIFY(admin.next());
    QCOMPARE(admin.text(QStringLiteral("用户名")), QStringLiteral("老板"));
    QCOMPARE(admin.text(QStringLiteral("密码")), QStringLiteral("9"));
    for (const TableDefinition& table : Schema::tables()) {
        if (table.name != u"管理员")
            QVERIFY2(!db.tableExists(table.name), qPrintable(table.name));
    }
    QVERIFY(!db.tableExists(Schema::versionTable()));
    QCOMPARE(Schema::storedVersion(db), 0);
}

void TestSchema::prepareIsAllOrNothing()
{
    // A leftover table that clashes with the last table created makes the
    // preparation fail; everything created before it must go again.
    TestDatabase broken;
    Database& db = broken.database();
    db.exec(QStringLiteral("create table sysinfo (x integer)"));
    QVERIFY(throwsDatabaseError([&] { Schema::prepare(db, false); }));
    QVERIFY(!db.inTransaction());
    QVERIFY(!db.tableExists(QStringLiteral("手牌管理")));
    QVERIFY(!db.tableExists(QStringLiteral("管理员")));
    QVERIFY(!db.tableExists(Schema::versionTable()));
    QCOMPARE(db.columns(QStringLiteral("sysinfo")), QStringList{QStringLiteral("x")});

    // Once the clash is gone the same database is prepared normally.
    db.exec(QStringLiteral("drop table sysinfo"));
    Schema::prepare(db, false);
    QCOMPARE(count(db, QStringLiteral("sysinfo")), 1);
    QCOMPARE(count(db, QStringLiteral("管理员")), 1);
}

void TestSchema::emptySumReadsZero()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    Rows none = db.query(QStringLiteral("select sum(合计)as 金额 from 手牌消费 where 手牌号码 = ?"),
                         {QStringLiteral("A01")});
    QVERIFY(none.next());
    QVERIFY(none.isNull(QStringLiteral("金额")));
    QCOMPARE(none.money(QStringLiteral("金额")), Money());
    QCOMPARE(none.money(QStringLiteral("金额")).toString(), QStringLiteral("0"));

    const QStringList columns = {QStringLiteral("手牌号码"), QStringLiteral("主手牌号"),
                                 QStringLiteral("商品名"),   QStringLiteral("单价"),
                                 QStringLiteral("实际单价"), QStringLiteral("数量"),
                                 QStringLiteral("合计")};
    insert(db, QStringLiteral("手牌消费"), columns,
           {QStringLiteral("A01"), QStringLiteral("A01"), QStringLiteral("可乐"),
            QVariant::fromValue(*Money::parse(u"6.5")), QVariant::fromValue(*Money::parse(u"6.5")),
            3, QVariant::fromValue(*Money::parse(u"19.5"))});
    insert(db, QStringLiteral("手牌消费"), columns,
           {QStringLiteral("A02"), QStringLiteral("A01"), QStringLiteral("可乐"),
            QVariant::fromValue(*Money::parse(u"6.5")), QVariant::fromValue(*Money::parse(u"6.5")),
            -1, QVariant::fromValue(*Money::parse(u"-6.5"))});
    Rows group = db.query(QStringLiteral("select sum(合计)as 应收, sum(数量*实际单价)as 大合计 "
                                         "from 手牌消费 where 主手牌号 = ?"),
                          {QStringLiteral("A01")});
    QVERIFY(group.next());
    QCOMPARE(group.money(QStringLiteral("应收")), Money::fromUnits(13));
    QCOMPARE(group.money(QStringLiteral("大合计")), Money::fromUnits(13));
}

void TestSchema::unpaidCommissionLines()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    const QStringList columns = {QStringLiteral("单据号"), QStringLiteral("员工编号"),
                                 QStringLiteral("提成金额"), QStringLiteral("tcyf")};
    const QList<QVariantList> lines = {
        {QStringLiteral("1"), QStringLiteral("001"), QVariant::fromValue(Money::fromUnits(30)),
         QStringLiteral("0")},
        {QStringLiteral("1"), QStringLiteral("002"), QVariant::fromValue(Money::fromUnits(10)),
         QStringLiteral("1")},
        {QStringLiteral("2"), QStringLiteral("001"), QVariant::fromValue(Money::fromUnits(50)),
         QStringLiteral("0")},
        {QStringLiteral("3"), QStringLiteral("001"), QVariant::fromValue(Money::fromUnits(5)),
         QStringLiteral("1")},
        {QStringLiteral("3"), QStringLiteral("001"), QVariant::fromValue(Money::fromUnits(7)),
         QStringLiteral("10")},
    };
    for (const QVariantList& line : lines)
        insert(db, QStringLiteral("结帐明细"), columns, line);
    QCOMPARE(
        count(db, QStringLiteral("结帐明细"), QStringLiteral("tcyf = ?"), {QStringLiteral("0")}),
        2);
    Rows unpaid = db.query(QStringLiteral("select sum(提成金额)as 提成 from 结帐明细 where "
                                          "员工编号 = ? and tcyf = ?"),
                           {QStringLiteral("001"), QStringLiteral("0")});
    QVERIFY(unpaid.next());
    QCOMPARE(unpaid.money(QStringLiteral("提成")), Money::fromUnits(80));
}

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
