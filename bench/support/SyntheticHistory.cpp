#include "SyntheticHistory.h"

#include "platform/Database.h"
#include "platform/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

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
    database.exec(
        QStringLiteral(
            "insert into 会员管理 (会员卡号, 会员姓名, 密码, 当前状态, 卡内金额, 当前积分, "
            "会员性别, 会员类型, 联系电话, 备注) "
            "select 'M' || %1, '会员' || %2, '2863', '正常', (i %% 2000) * %3, i %% 500, "
            "case when i %% 2 = 0 then '男' else '女' end, "
            "(select 类型名称 from 会员类型 order by id limit 1), "
            "'139' || %1, '无' from %4")
            .arg(pgSafeLpad(database, QStringLiteral("i"), 8), text(database, QStringLiteral("i")))
            .arg(unit)
            .arg(series(database, size.members))
            .replace(QStringLiteral("%%"), QStringLiteral("%")));

    step("goods");
    database.exec(
        QStringLiteral("insert into 商品库 (编号, 商品名, 拼音, 单价, 提成金额, 商品类型, 库存, "
                       "是否需要服务, 计费方式, 是否启动计时) "
                       "select 'G' || %1, '合成商品' || %2, 'HCSP' || %2, (5 + i %% 200) * %3, "
                       "(i %% 10) * %3, (select 名称 from 商品类型 order by 名称 limit 1), 1000, "
                       "'n', '按次计费', 0 from %4")
            .arg(pgSafeLpad(database, QStringLiteral("i"), 5), text(database, QStringLiteral("i")))
            .arg(unit)
            .arg(series(database, size.goods))
            .replace(QStringLiteral("%%"), QStringLiteral("%")));

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
    database.exec(
        QStringLiteral(
            "insert into 结帐明细 (单据号, 手牌号码, 会员卡号, 顾客姓名, 商品名, 商品类型, 单价, "
            "数量, "
            "合计, 消费时间, 是否计时, 员工编号, 员工姓名, 提成金额, tcyf, 营业员, 状态) "
            "select %1, 'H' || %2, '非会员', '散客', '合成商品' || %3, "
            "(select 名称 from 商品类型 order by 名称 limit 1), (10 + %4) * %5, 1, (10 + %4) * %5, "
            "%6, 0, 'n', '', 0, '0', '超级管理员', '已结' from %7")
            .arg(text(database, bill),
                 pgSafeLpad(database, QStringLiteral("1 + %1 % %2").arg(bill).arg(size.tags), 4),
                 text(database, QStringLiteral("1 + i % %1").arg(size.goods)), line)
            .arg(unit)
            .arg(momentAfterStart(database, QStringLiteral("%1 - 1").arg(bill)))
            .arg(series(database, size.bills * perBill)));

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
    database.exec(QStringLiteral("update 单据号 set 单据号 = ?"), {QString::number(size.bills)});
    transaction.commit();
}

QString syntheticHistorySqlite()
{
    const QString folder = QDir::tempPath() + QStringLiteral("/shoupai-bench");
    const QString path = folder + QStringLiteral("/history.db");
    // Bump when the generated content changes, so an old file is not reused.
    const QString marker = folder + QStringLiteral("/history.v1");
    if (QFileInfo::exists(path) && QFileInfo::exists(marker))
        return path;

    QDir().mkpath(folder);
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
