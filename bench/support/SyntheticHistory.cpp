#include "SyntheticHistory.h"

#include "platform/Database.h"
#include "platform/PasswordHash.h"
#include "platform/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <initializer_list>
#include <utility>

namespace shoupai::bench {

namespace {

// Row numbers 1..n as a table "n(i)", built by the engine itself so that
// millions of rows never cross the connection one by one.
QString series(const Database& database, qint64 count)
{
    if (database.backend() == Backend::Postgres)
        return QStringLiteral("(select generate_series(1, %1)::bigint as i) n").arg(count);
    return QStringLiteral("(with recursive s(i) as (select 1 union all select i + 1 from s "
                          "where i < %1) select i from s) n")
        .arg(count);
}

// A moment `minutesExpression` minutes after the start of the history.
QString momentAfterStart(const Database& database, const QString& minutesExpression)
{
    if (database.backend() == Backend::Postgres)
        return QStringLiteral("(timestamp '2024-01-01 08:00:00' + (%1) * interval '1 minute')")
            .arg(minutesExpression);
    return QStringLiteral("datetime('2024-01-01 08:00:00', '+' || (%1) || ' minutes')")
        .arg(minutesExpression);
}

QString text(const Database& database, const QString& expression)
{
    Q_UNUSED(database);
    return QStringLiteral("cast(%1 as text)").arg(expression);
}

QString lpad(const QString& expression, int width)
{
    // Both engines know substr and ||; zero-padding keeps the numbers sortable as text.
    return QStringLiteral("substr('0000000000' || cast(%1 as text), -%2)")
        .arg(expression)
        .arg(width);
}

QString pgSafeLpad(const Database& database, const QString& expression, int width)
{
    if (database.backend() == Backend::Postgres)
        return QStringLiteral("lpad(cast(%1 as text), %2, '0')").arg(expression).arg(width);
    return lpad(expression, width);
}

void step(const char* what)
{
    std::fprintf(stderr, "  history: %s\n", what);
}

// Fills "{name}" markers: the statements below use % as modulo, which
// QString::arg would take for its own markers.
QString fill(QString sql, std::initializer_list<std::pair<const char*, QString>> values)
{
    for (const auto& [name, value] : values)
        sql.replace(QLatin1Char('{') + QLatin1String(name) + QLatin1Char('}'), value);
    return sql;
}

// Goods number k belongs to the seeded goods type k mod 6: the first three keep
// stock (香烟 takes no discount), the last three are services served by staff.
QString goodsTypeOf(const QString& k)
{
    return QStringLiteral("case (%1) % 6 when 0 then '饮料' when 1 then '香烟' when 2 then '小吃' "
                          "when 3 then '洗浴' when 4 then '按摩' else '服务类' end")
        .arg(k);
}

QString isServiceGoods(const QString& k)
{
    return QStringLiteral("(%1) % 6 >= 3").arg(k);
}

// Employee e (1..50) has grade e mod 5: the three seeded grades and two more.
QString gradeOf(const QString& e)
{
    return QStringLiteral("case (%1) % 5 when 0 then '服务员' when 1 then '初级技师' "
                          "when 2 then '高级技师' when 3 then '领班' else '经理' end")
        .arg(e);
}

QString gradeWageOf(const QString& e, qint64 unit)
{
    return QStringLiteral("(case (%1) % 5 when 0 then 2200 when 1 then 2800 when 2 then 4000 "
                          "when 3 then 3000 else 6000 end) * %2")
        .arg(e)
        .arg(unit);
}

// The first minute of the calendar month the last bill falls in: service lines
// before it have had their commission paid, those after it not yet.
qint64 lastMonthStartMinute(qint64 bills)
{
    // Whole days and minutes only: the history is naive local time, without zones.
    const QDate first(2024, 1, 1);
    const qint64 startMinute = 8 * 60;
    const QDate last = first.addDays((startMinute + bills - 1) / (24 * 60));
    return first.daysTo(QDate(last.year(), last.month(), 1)) * 24 * 60 - startMinute;
}

} // namespace

void generateHistory(Database& database, const HistorySize& size)
{
    const qint64 unit = Money::Scale;
    Transaction transaction(database);

    step("room types and tags");
    database.exec(
        QStringLiteral("insert into 包厢类型 (包厢类型, 包厢性质, 计费方式, 门票价格, "
                       "容纳人数, 初始费用) values ('合成区', '普通', '按次计费', ?, 100, 0)"),
        {QVariant::fromValue<qlonglong>(30 * unit)});
    database.exec(
        QStringLiteral(
            "insert into 手牌管理 (手牌号码, 所属包厢, 手牌状态, number, 所在位置, 包厢性质) "
            "select 'H' || %1, '合成区', '可用', 10000 + i, '一楼', '普通' from %2")
            .arg(pgSafeLpad(database, QStringLiteral("i"), 4), series(database, size.tags)));

    step("members");
    // Hashing is slow on purpose: a few distinct passwords, hashed once, shared.
    QVariantList passwords;
    for (const char* password : {"2863", "1234", "8888", "6666"})
        passwords << passwordhash::hash(QString::fromLatin1(password));
    database.exec(
        fill(QStringLiteral(
                 "insert into 会员管理 (会员卡号, 会员姓名, 密码, 当前状态, 卡内金额, 当前积分, "
                 "会员性别, 会员类型, 联系电话, 备注, 登记日期) "
                 "select 'M' || {card}, '会员' || {i}, "
                 "case i % 4 when 0 then ? when 1 then ? when 2 then ? else ? end, '正常', "
                 "(i % 2000) * {unit}, i % 500, case when i % 2 = 0 then '男' else '女' end, "
                 "case i % 2 when 0 then '银卡' else '金卡' end, '139' || {card}, '无', {since} "
                 "from {series}"),
             {{"card", pgSafeLpad(database, QStringLiteral("i"), 8)},
              {"i", text(database, QStringLiteral("i"))},
              {"unit", QString::number(unit)},
              {"since", momentAfterStart(database, QStringLiteral("i * 100"))},
              {"series", series(database, size.members)}}),
        passwords);

    step("goods");
    database.exec(fill(
        QStringLiteral("insert into 商品库 (编号, 商品名, 拼音, 单价, 提成金额, 商品类型, 库存, "
                       "是否需要服务, 计费方式, 是否启动计时) "
                       "select 'G' || {code}, '合成商品' || {i}, 'HCSP' || {i}, "
                       "(5 + i % 200) * {unit}, "
                       "case when {service} then (i % 10) * {unit} else 0 end, {type}, "
                       "case when {service} then 0 else 1000 end, "
                       "case when {service} then '是' else '否' end, '按次计费', 0 from {series}"),
        {{"code", pgSafeLpad(database, QStringLiteral("i"), 5)},
         {"i", text(database, QStringLiteral("i"))},
         {"unit", QString::number(unit)},
         {"service", isServiceGoods(QStringLiteral("i"))},
         {"type", goodsTypeOf(QStringLiteral("i"))},
         {"series", series(database, size.goods)}}));

    step("staff");
    database.exec(QStringLiteral("insert into 员工等级 (等级名称, 工资) values (?, ?), (?, ?)"),
                  {QStringLiteral("领班"), QVariant::fromValue<qlonglong>(3000 * unit),
                   QStringLiteral("经理"), QVariant::fromValue<qlonglong>(6000 * unit)});
    database.exec(fill(
        QStringLiteral("insert into 员工管理 (员工编号, 员工姓名, 性别, 员工等级, 联系电话, "
                       "证件号码, 备注, 工资标准, 提成) "
                       "select 'E' || {code}, '员工' || {code}, "
                       "case when i % 3 = 0 then '男' else '女' end, {grade}, '138' || {code}, "
                       "'', '无', {wage}, 0 from {series}"),
        {{"code", pgSafeLpad(database, QStringLiteral("i"), 2)},
         {"grade", gradeOf(QStringLiteral("i"))},
         {"wage", gradeWageOf(QStringLiteral("i"), unit)},
         {"series", series(database, size.employees)}}));

    // One bill a minute from 2024-01-01 on; every line of a bill costs 10 + (line mod 40).
    step("stored bills");
    const QString billTag =
        QStringLiteral("'H' || %1")
            .arg(pgSafeLpad(database, QStringLiteral("1 + i % ") + QString::number(size.tags), 4));
    const qint64 perBill = size.linesPerBill;
    database.exec(
        QStringLiteral(
            "insert into 结帐管理 (单据号, 手牌号码, 进店时间, 离店时间, 消费金额, 实收金额, "
            "卡内扣除, "
            "结帐方式, 会员卡号, 状态, 结帐时间, 顾客姓名, 备注, 营业员, 折扣, 会员姓名) "
            "select %1, %2, %3, %4, %5 * %6, %5 * %6, 0, '现金支付', '非会员', "
            "case when i % 97 = 0 then '免单' else '已结' end, %4, '散客', '无', '超级管理员', %7, "
            "'散客' from %8")
            .arg(text(database, QStringLiteral("i")), billTag,
                 momentAfterStart(database, QStringLiteral("i - 1")),
                 momentAfterStart(database, QStringLiteral("i")))
            .arg(QStringLiteral("(10 * %1 + %2)").arg(perBill).arg(perBill * (perBill - 1) / 2))
            .arg(unit)
            .arg(unit)
            .arg(series(database, size.bills)));

    step("stored bill lines");
    const QString bill = QStringLiteral("(1 + (i - 1) / %1)").arg(perBill);
    const QString line = QStringLiteral("((i - 1) % %1)").arg(perBill);
    const QString goods = QStringLiteral("(1 + i % %1)").arg(size.goods);
    const QString employee =
        pgSafeLpad(database, QStringLiteral("1 + (i / 7) % %1").arg(size.employees), 2);
    database.exec(fill(
        QStringLiteral(
            "insert into 结帐明细 (单据号, 手牌号码, 会员卡号, 顾客姓名, 商品名, 商品类型, 单价, "
            "数量, 合计, 消费时间, 是否计时, 员工编号, 员工姓名, 提成金额, tcyf, 营业员, 状态) "
            "select {bill}, 'H' || {tag}, '非会员', '散客', '合成商品' || {goods}, {type}, "
            "(10 + {line}) * {unit}, 1, (10 + {line}) * {unit}, {moment}, 0, "
            "case when {service} then 'E' || {employee} else 'n' end, "
            "case when {service} then '员工' || {employee} else '' end, "
            "case when {service} then ((i / 3) % 10) * {unit} else 0 end, "
            "case when {service} and {billNumber} - 1 < {lastMonth} then '1' else '0' end, "
            "'超级管理员', '已结' from {series}"),
        {{"bill", text(database, bill)},
         {"tag", pgSafeLpad(database, QStringLiteral("1 + %1 % %2").arg(bill).arg(size.tags), 4)},
         {"goods", text(database, goods)},
         {"type", goodsTypeOf(goods)},
         {"service", isServiceGoods(goods)},
         {"employee", employee},
         {"line", line},
         {"unit", QString::number(unit)},
         {"moment", momentAfterStart(database, QStringLiteral("%1 - 1").arg(bill))},
         {"billNumber", bill},
         {"lastMonth", QString::number(lastMonthStartMinute(size.bills))},
         {"series", series(database, size.bills * perBill)}}));

    step("open bills");
    const QString openTag =
        QStringLiteral("'H' || %1").arg(pgSafeLpad(database, QStringLiteral("i"), 4));
    database.exec(
        QStringLiteral("insert into 手牌开单 (手牌号码, 包厢类型, 包厢性质, 顾客姓名, 押金金额, "
                       "合计金额, 进店时间, 备注, 主手牌号) select %1, '合成区', '无', '散客', "
                       "0, %2, %3, '无', %1 from %4")
            .arg(openTag)
            .arg(30 * unit)
            .arg(momentAfterStart(database, QStringLiteral("1500000 + i")))
            .arg(series(database, size.openBills)));
    database.exec(
        QStringLiteral(
            "insert into 手牌消费 (手牌号码, 商品名, 商品类型, 单价, 实际单价, 数量, 折扣, 合计, "
            "消费时间, 是否计时, 状态, 员工编号, 员工姓名, 提成金额, 营业员, 主手牌号, 参与打折) "
            "select %1, '合成商品' || %2, (select 名称 from 商品类型 order by 名称 limit 1), "
            "%3, %3, 1, 1, %3, %4, 0, '消费完毕', 'n', '', 0, '超级管理员', %1, 'y' "
            "from %5")
            .arg(QStringLiteral("'H' || %1")
                     .arg(pgSafeLpad(database, QStringLiteral("1 + (i - 1) / 3"), 4)),
                 text(database, QStringLiteral("i")))
            .arg(20 * unit)
            .arg(momentAfterStart(database, QStringLiteral("1500000 + i")))
            .arg(series(database, qint64(size.openBills) * 3)));
    database.exec(QStringLiteral("update 手牌管理 set 手牌状态 = '占用' where 手牌号码 in "
                                 "(select 手牌号码 from 手牌开单)"));

    // Recharges, purchases and wages spread evenly over the same span as the bills.
    step("recharges");
    const QString member = QStringLiteral("(1 + (i * 7) % %1)").arg(size.members);
    database.exec(fill(
        QStringLiteral("insert into 会员充值 (会员卡号, 会员姓名, 会员类型, 充值金额, 奖励金额, "
                       "充值日期, 备注, 营业员) "
                       "select 'M' || {card}, '会员' || {member}, "
                       "case {memberNumber} % 2 when 0 then '银卡' else '金卡' end, "
                       "100 * (1 + i % 10) * {unit}, "
                       "case when i % 5 = 0 then 10 * (1 + i % 10) * {unit} else 0 end, "
                       "{moment}, '无', '超级管理员' from {series}"),
        {{"card", pgSafeLpad(database, member, 8)},
         {"member", text(database, member)},
         {"memberNumber", member},
         {"unit", QString::number(unit)},
         {"moment",
          momentAfterStart(database, QStringLiteral("i * %1").arg(size.bills / size.recharges))},
         {"series", series(database, size.recharges)}}));

    step("purchases");
    // Only goods that keep stock are bought in: numbers 6j, 6j + 1 and 6j + 2.
    const QString bought =
        QStringLiteral("(6 * (1 + i % %1) + i % 3)").arg(qMax(1, size.goods / 6 - 1));
    database.exec(fill(
        QStringLiteral("insert into 进货表 (商品名, 拼音, 进货单价, 数量, 总进价, 日期, 备注, "
                       "管理员) "
                       "select '合成商品' || {goods}, 'HCSP' || {goods}, "
                       "(2 + {k} % 50) * {unit}, 1 + i % 50, "
                       "(2 + {k} % 50) * (1 + i % 50) * {unit}, {moment}, '无', '超级管理员' "
                       "from {series}"),
        {{"goods", text(database, bought)},
         {"k", bought},
         {"unit", QString::number(unit)},
         {"moment",
          momentAfterStart(database, QStringLiteral("i * %1").arg(size.bills / size.purchases))},
         {"series", series(database, size.purchases)}}));

    step("wages");
    const QString paidEmployee = QStringLiteral("(1 + (i - 1) % %1)").arg(size.employees);
    const qint64 payRounds = qMax<qint64>(1, size.wages / size.employees);
    database.exec(fill(
        QStringLiteral("insert into 员工工资表 (员工编号, 员工姓名, 员工等级, 日期, 工资, 提成, "
                       "合计, 备注, 登记人) "
                       "select 'E' || {code}, '员工' || {code}, {grade}, {moment}, {wage}, "
                       "(i % 700) * {unit}, {wage} + (i % 700) * {unit}, '无', '超级管理员' "
                       "from {series}"),
        {{"code", pgSafeLpad(database, paidEmployee, 2)},
         {"grade", gradeOf(paidEmployee)},
         {"wage", gradeWageOf(paidEmployee, unit)},
         {"unit", QString::number(unit)},
         {"moment", momentAfterStart(database, QStringLiteral("((i - 1) / %1) * %2")
                                                   .arg(size.employees)
                                                   .arg(size.bills / payRounds))},
         {"series", series(database, size.wages)}}));

    database.exec(QStringLiteral("update 单据号 set 单据号 = ?"), {QString::number(size.bills)});
    transaction.commit();
}

QString syntheticHistorySqlite()
{
    const QString folder = QDir::tempPath() + QStringLiteral("/shoupai-bench");
    const QString path = folder + QStringLiteral("/history.db");
    // Bump when the generated content changes, so an old file is not reused.
    const QString marker = folder + QStringLiteral("/history.v2");
    if (QFileInfo::exists(path) && QFileInfo::exists(marker))
        return path;

    QDir().mkpath(folder);
    QFile::remove(folder + QStringLiteral("/history.v1"));
    QFile::remove(path);
    QFile::remove(marker);
    const QString partial = path + QStringLiteral(".partial");
    QFile::remove(partial);
    std::fprintf(stderr, "generating the synthetic history into %s (once)\n", qPrintable(path));
    {
        Database database;
        ConnectionDescription description =
            ConnectionDescription::parse(QStringLiteral("Provider=SQLite;Data Source=") + partial);
        if (!database.open(description, folder))
            throw DatabaseError(database.lastError());
        Schema::prepare(database, true);
        generateHistory(database);
        database.exec(QStringLiteral("analyze"));
        database.close();
    }
    if (!QFile::rename(partial, path))
        throw DatabaseError(QStringLiteral("cannot move the generated history into place"));
    QFile marking(marker);
    if (!marking.open(QIODevice::WriteOnly))
        std::fprintf(stderr, "cannot mark the history as complete\n");
    return path;
}

} // namespace shoupai::bench
