// Bill records on a long history: opening the screen, one month's date range,
// reversing a 100-line bill, and building a 100-line receipt.

#include "billing/BillReversal.h"
#include "billing/CxJzJlUt.h"
#include "billing/Receipt.h"
#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "platform/Database.h"
#include "platform/Schema.h"
#include "support/BareQuery.h"
#include "support/BenchReport.h"
#include "support/HistoryVenue.h"

#include <QApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextStream>

#include <vector>

using namespace shoupai;

namespace {

constexpr qint64 HistoryBills = 1000000;

// A history of bills over the past three years, written by one statement per
// table so that a million rows take seconds. Used when the shared generator
// gives none.
void fillHistory(Database& db, qint64 bills)
{
    Transaction transaction(db);
    db.exec(QStringLiteral(
                "insert into 结帐管理 (单据号, 手牌号码, 进店时间, 离店时间, 消费金额, 实收金额, "
                "卡内扣除, 结帐方式, 会员卡号, 状态, 结帐时间, 顾客姓名, 备注, 营业员) "
                "with recursive n(i) as (select 1 union all select i + 1 from n where i < ?) "
                "select i, 'A' || (i % 15 + 1), t, t, (i % 50 + 1) * 100000, "
                "(i % 50 + 1) * 100000, 0, '现金支付', '非会员', "
                "case when i % 97 = 0 then '免单' else '已结' end, t, '散客', '无', '超级管理员' "
                "from (select i, datetime('2024-01-01', '+' || ((i * 3) / 2) || ' minutes') as t "
                "from n)"),
            {QVariant::fromValue<qlonglong>(bills)});
    db.exec(QStringLiteral("update 单据号 set 单据号 = ?"), {QString::number(bills)});
    transaction.commit();
}

qint64 billCount(const Database& db)
{
    return db.scalar(QStringLiteral("select count(*) from 结帐管理")).toLongLong();
}

// The screen's list: bills in checkout order, one page of them.
constexpr int PageRows = 256;
constexpr int ReversalRuns = 9;

// Stores a settled bill of 100 service lines on a free tag; returns its key.
qint64 storeBill(Database& db, const QString& tag, const QString& number)
{
    Transaction transaction(db);
    const qint64 id = db.insertReturningKey(
        QStringLiteral("insert into 结帐管理 (单据号, 手牌号码, 消费金额, 实收金额, 卡内扣除, "
                       "结帐方式, 会员卡号, 状态, 结帐时间, 营业员) values (?, ?, ?, ?, ?, "
                       "?, ?, ?, ?, ?)"),
        {number, tag, QVariant::fromValue(Money::fromUnits(1000)),
         QVariant::fromValue(Money::fromUnits(1000)), QVariant::fromValue(Money()),
         QStringLiteral("现金支付"), QStringLiteral("非会员"), QStringLiteral("已结"),
         QDateTime::currentDateTime(), QStringLiteral("超级管理员")},
        QStringLiteral("id"));
    for (int i = 0; i < 100; ++i)
        db.exec(QStringLiteral("insert into 结帐明细 (单据号, 手牌号码, 商品名, 商品类型, 单价, "
                               "数量, 合计, 消费时间, 是否计时, 员工编号, 员工姓名, 提成金额, "
                               "tcyf, 营业员, 状态) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                               "?, ?, ?, ?)"),
                {number, tag, QStringLiteral("搓背"), QStringLiteral("洗浴"),
                 QVariant::fromValue(Money::fromUnits(10)), 1,
                 QVariant::fromValue(Money::fromUnits(10)), QDateTime::currentDateTime(), 0,
                 QStringLiteral("001"), QStringLiteral("李师傅"),
                 QVariant::fromValue(Money::fromUnits(2)), QStringLiteral("0"),
                 QStringLiteral("超级管理员"), QStringLiteral("已结")});
    transaction.commit();
    return id;
}

QSqlQuery bareRun(QSqlDatabase& raw, const QString& sql, const QVariantList& parameters = {})
{
    QSqlQuery query(raw);
    query.setForwardOnly(true);
    query.prepare(sql);
    for (const QVariant& value : parameters)
        query.addBindValue(value);
    if (!query.exec())
        qFatal("bare reversal: %s", qPrintable(query.lastError().text()));
    return query;
}

// The reversal's reads and writes in one bare transaction: the bill, the tag,
// the paid commission check, the tag occupied, the bill reopened with its
// lines, the stored bill removed.
void bareReversal(QSqlDatabase& raw, qint64 id)
{
    bareRun(raw, QStringLiteral("BEGIN IMMEDIATE"));
    QSqlQuery header = bareRun(raw, QStringLiteral("select * from 结帐管理 where id = ?"), {id});
    if (!header.next())
        qFatal("bare reversal: no bill");
    const QString tag = header.value(QStringLiteral("手牌号码")).toString();
    const QString number = header.value(QStringLiteral("单据号")).toString();
    header.finish();
    bareRun(raw, QStringLiteral("select 手牌状态 from 手牌管理 where 手牌号码 = ?"), {tag}).next();
    bareRun(raw,
            QStringLiteral("select count(*) from 结帐明细 where 单据号 = ? and 手牌号码 = ? and "
                           "tcyf = ?"),
            {number, tag, QStringLiteral("1")})
        .next();
    bareRun(raw,
            QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ? and 手牌状态 = ?"),
            {QStringLiteral("占用"), tag, QStringLiteral("可用")});
    bareRun(raw,
            QStringLiteral("insert into 手牌开单(手牌号码, 顾客姓名, 押金金额, 合计金额, 进店时间, "
                           "主手牌号) values(?, ?, 0, 0, ?, ?)"),
            {tag, QStringLiteral("散客"),
             QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), tag});
    QList<QVariantList> lines;
    {
        QSqlQuery details = bareRun(raw,
                                    QStringLiteral("select * from 结帐明细 where 单据号 = ? and "
                                                   "手牌号码 = ? order by ID"),
                                    {number, tag});
        const QSqlRecord r = details.record();
        const int name = r.indexOf(QStringLiteral("商品名")),
                  type = r.indexOf(QStringLiteral("商品类型")),
                  price = r.indexOf(QStringLiteral("单价")),
                  count = r.indexOf(QStringLiteral("数量")),
                  total = r.indexOf(QStringLiteral("合计")),
                  at = r.indexOf(QStringLiteral("消费时间")),
                  timed = r.indexOf(QStringLiteral("是否计时")),
                  staff = r.indexOf(QStringLiteral("员工编号")),
                  staffName = r.indexOf(QStringLiteral("员工姓名")),
                  commission = r.indexOf(QStringLiteral("提成金额")),
                  cashier = r.indexOf(QStringLiteral("营业员"));
        while (details.next())
            lines.append({tag, details.value(name), details.value(type), details.value(price),
                          details.value(price), details.value(count), details.value(total),
                          details.value(at), details.value(timed), QStringLiteral("消费完毕"),
                          details.value(staff), details.value(staffName), details.value(commission),
                          details.value(cashier), tag, QString()});
    }
    QString flag;
    {
        QSqlQuery types =
            bareRun(raw, QStringLiteral("select 参与打折 from 商品类型 where 名称 = ?"),
                    {QStringLiteral("洗浴")});
        flag = types.next() ? types.value(0).toString() : QStringLiteral("y");
    }
    QSqlQuery insert(raw);
    insert.prepare(QStringLiteral(
        "insert into 手牌消费(手牌号码, 商品名, 商品类型, 单价, 实际单价, 数量, 合计, 消费时间, "
        "是否计时, 状态, 员工编号, 员工姓名, 提成金额, 营业员, 主手牌号, 参与打折) "
        "values(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (QVariantList& line : lines) {
        line[15] = flag;
        for (int i = 0; i < line.size(); ++i)
            insert.bindValue(i, line.at(i));
        if (!insert.exec())
            qFatal("bare reversal: %s", qPrintable(insert.lastError().text()));
    }
    bareRun(raw, QStringLiteral("delete from 结帐管理 where id = ?"), {id});
    bareRun(raw, QStringLiteral("delete from 结帐明细 where 单据号 = ? and 手牌号码 = ?"),
            {number, tag});
    bareRun(raw, QStringLiteral("COMMIT"));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ConsolePrompter prompter;

    bench::HistoryVenue venue(
        bench::VenueSetup().withoutPermissions().notUpgraded().orNewDatabase().withIni(
            "[PosPrt]\nCheckOutPrtPreview=0\nport=/dev/null\n"));
    // Keeps the generated history for a look at its query plans afterwards.
    if (qEnvironmentVariableIsSet("SHOUPAI_BENCH_KEEP"))
        venue.keep();
    if (!venue.ready())
        return 1;
    Session& session = venue.session();
    Database& db = venue.database();
    QString origin = QStringLiteral("shared synthetic history");
    if (billCount(db) == 0) {
        origin = QStringLiteral("history generated here");
        QElapsedTimer fill;
        fill.start();
        fillHistory(db, HistoryBills);
        QTextStream(stderr) << "generated " << HistoryBills << " bills in " << fill.elapsed()
                            << " ms\n";
    }
    const qint64 bills = billCount(db);
    QTextStream(stderr) << "records bench on " << bills << " bills (" << origin << ")\n";

    // Opening the screen: first rows and every footer.
    bool opened = true;
    const double openMs = bench::medianMs(5, [&] {
        TCxJzJlFm form(session, nullptr);
        const QString footer = form.grid()->footerText(QStringLiteral("消费金额"));
        const QVariant first = form.grid()->value(0, QStringLiteral("单据号"));
        opened = opened && !footer.isEmpty() && first.isValid();
    });
    if (!opened)
        return 2;
    // The floor: the first page in checkout order, the count and the footer sums.
    bench::BareConnection bare(venue.dataPath());
    const auto page = [](const QString& condition) {
        return QStringLiteral("select * from 结帐管理") + condition +
               QStringLiteral(" order by 结帐时间, id limit ") + QString::number(PageRows);
    };
    const double openFloor = bench::medianMs(5, [&] {
        bare.readToEnd(page(QString()));
        bare.readToEnd(QStringLiteral(
            "select count(*), sum(实收金额), sum(卡内扣除), sum(消费金额) from 结帐管理"));
    });
    bench::reportAgainstFloor(QStringLiteral("records_open_1m_ms"), openMs, openFloor);
    {
        TCxJzJlFm shown(session, nullptr);
        const double listMs = bench::medianMs(5, [&] { shown.ShowAll(); });
        QElapsedTimer timer;
        timer.start();
        db.scalar(QStringLiteral("select sum(消费金额) from 结帐管理"));
        QTextStream(stderr) << "listing alone " << listMs << " ms, one plain sum "
                            << bench::elapsedMs(timer) << " ms\n";
    }

    // One month's date range.
    // The calendar month in the middle of the history.
    const QDate middle =
        stored::toDateTime(db.scalar(QStringLiteral("select 结帐时间 from 结帐管理 order by "
                                                    "结帐时间 limit 1 offset ?"),
                                     {QVariant::fromValue<qlonglong>(bills / 2)}))
            .date();
    const QDate monthStart(middle.year(), middle.month(), 1);
    TCxJzJlFm form(session, nullptr);
    form.fromDate()->setDate(monthStart);
    form.toDate()->setDate(monthStart.addMonths(1).addDays(-1));
    const double monthMs = bench::medianMs(7, [&] { form.DateRange(); });
    if (form.grid()->recordCount() == 0)
        return 3;
    // The floor: the month's first page and its count, as the screen shows them at once.
    const QVariantList month{
        monthStart.startOfDay().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
        monthStart.addMonths(1).startOfDay().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))};
    const double monthFloor = bench::medianMs(7, [&] {
        bare.readToEnd(page(QStringLiteral(" where 结帐时间 >= ? and 结帐时间 <= ?")), month);
        bare.readToEnd(QStringLiteral("select count(*) from 结帐管理 where 结帐时间 >= ? and "
                                      "结帐时间 <= ?"),
                       month);
    });
    bench::reportAgainstFloor(QStringLiteral("records_month_ms"), monthMs, monthFloor);

    // Reversing a bill of 100 lines on a free tag.
    QStringList freeTags;
    {
        Rows tags = db.query(QStringLiteral("select 手牌号码 from 手牌管理 where 手牌状态 = ? "
                                            "order by number limit ?"),
                             {QStringLiteral("可用"), 2 * ReversalRuns});
        while (tags.next())
            freeTags << tags.text(QStringLiteral("手牌号码"));
    }
    if (freeTags.size() < 2 * ReversalRuns)
        return 6;
    // Figure and floor alternate, so that both meet the same disk: a commit's
    // cost on a shared machine varies more than anything else measured here.
    std::vector<double> reversals;
    std::vector<double> bareReversals;
    for (int run = 0; run < ReversalRuns; ++run) {
        const QString tag = freeTags.at(2 * run);
        const QString bareTag = freeTags.at(2 * run + 1);
        const qint64 id = storeBill(db, tag, QStringLiteral("R%1").arg(2 * run));
        const qint64 bareId = storeBill(db, bareTag, QStringLiteral("R%1").arg(2 * run + 1));
        QElapsedTimer timer;
        timer.start();
        const BillReversal::Outcome outcome = BillReversal(db).reverse(id);
        reversals.push_back(bench::elapsedMs(timer));
        if (outcome.status != BillReversal::Status::Reversed)
            return 4;
        timer.start();
        bareReversal(bare.database(), bareId);
        bareReversals.push_back(bench::elapsedMs(timer));
        if (db.scalar(QStringLiteral("select count(*) from 手牌消费 where 主手牌号 = ?"), {bareTag})
                .toInt() != 100)
            return 7;
    }
    bench::reportAgainstFloor(QStringLiteral("reversal_100_ms"), bench::median(reversals),
                              bench::median(bareReversals));

    // A receipt of 100 lines.
    CheckoutReceipt receipt;
    receipt.shopName = session.shopName;
    receipt.shopAddress = session.shopAddress;
    receipt.shopTel = session.shopTel;
    receipt.tag = receipt.mainTag = QStringLiteral("A01");
    receipt.memberName = QStringLiteral("散客");
    receipt.billNumber = QStringLiteral("1000001");
    receipt.operatorName = session.operatorName;
    receipt.discountRateText = QStringLiteral("1");
    for (int i = 0; i < 100; ++i)
        receipt.items.append({QStringLiteral("足底按摩%1").arg(i), Money::fromUnits(1 + i % 3),
                              Money::parse(u"12.5").value(), Money::fromUnits(25)});
    qsizetype size = 0;
    const double receiptMs =
        bench::medianMs(201, [&] { size += CheckoutReceiptBytes(receipt).size(); });
    if (size == 0)
        return 5;
    bench::report(QStringLiteral("receipt_100_lines_ms"), receiptMs, QStringLiteral("ms"));
    return 0;
}
