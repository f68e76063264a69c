// Bill records on a long history: opening the screen, one month's date range,
// reversing a 100-line bill, and building a 100-line receipt.

#include "app/Session.h"
#include "billing/BillReversal.h"
#include "billing/CxJzJlUt.h"
#include "billing/Receipt.h"
#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "platform/Database.h"
#include "platform/Schema.h"
#include "support/BenchReport.h"
#include "support/SyntheticHistory.h"

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

using namespace shoupai;

namespace {

constexpr qint64 HistoryBills = 1000000;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

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

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ConsolePrompter prompter;

    QTemporaryDir home;
    // Keeps the generated history for a look at its query plans afterwards.
    if (qEnvironmentVariableIsSet("SHOUPAI_BENCH_KEEP")) {
        home.setAutoRemove(false);
        QTextStream(stderr) << "history kept in " << home.path() << "\n";
    }
    const QString dataPath = QDir(home.path()).filePath(QStringLiteral("data.db"));
    const QString shared = bench::syntheticHistorySqlite();
    QString origin = QStringLiteral("shared synthetic history");
    if (!shared.isEmpty())
        QFile::copy(shared, dataPath);
    {
        QFile ini(QDir(home.path()).filePath(QStringLiteral("system.ini")));
        if (!ini.open(QIODevice::WriteOnly))
            return 1;
        ini.write("[part1]\nabc=a\ncsaccess=Provider=SQLite;Data Source=data.db\n"
                  "[PosPrt]\nCheckOutPrtPreview=0\nport=/dev/null\n");
    }
    Session session;
    session.start(home.path());
    session.operatorName = QStringLiteral("超级管理员");
    Database& db = session.database();
    if (!db.isOpen())
        return 1;
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
    std::vector<double> opens;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        TCxJzJlFm form(session, nullptr);
        const QString footer = form.grid()->footerText(QStringLiteral("消费金额"));
        const QVariant first = form.grid()->value(0, QStringLiteral("单据号"));
        opens.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (footer.isEmpty() || !first.isValid())
            return 2;
    }
    bench::report(QStringLiteral("records_open_1m_ms"), median(opens), QStringLiteral("ms"));
    {
        TCxJzJlFm shown(session, nullptr);
        std::vector<double> lists;
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer timer;
            timer.start();
            shown.ShowAll();
            lists.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        QElapsedTimer timer;
        timer.start();
        db.scalar(QStringLiteral("select sum(消费金额) from 结帐管理"));
        QTextStream(stderr) << "listing alone " << median(lists) << " ms, one plain sum "
                            << double(timer.nsecsElapsed()) / 1e6 << " ms\n";
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
    std::vector<double> months;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer timer;
        timer.start();
        form.DateRange();
        months.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    if (form.grid()->recordCount() == 0)
        return 3;
    bench::report(QStringLiteral("records_month_ms"), median(months), QStringLiteral("ms"));

    // Reversing a bill of 100 lines on a free tag.
    QStringList freeTags;
    {
        Rows tags = db.query(QStringLiteral("select 手牌号码 from 手牌管理 where 手牌状态 = ? "
                                            "order by number limit 5"),
                             {QStringLiteral("可用")});
        while (tags.next())
            freeTags << tags.text(QStringLiteral("手牌号码"));
    }
    if (freeTags.size() < 5)
        return 6;
    std::vector<double> reversals;
    for (int run = 0; run < 5; ++run) {
        const QString tag = freeTags.at(run);
        const QString number = QStringLiteral("R%1").arg(run);
        qint64 id = 0;
        {
            Transaction transaction(db);
            id = db.insertReturningKey(
                QStringLiteral(
                    "insert into 结帐管理 (单据号, 手牌号码, 消费金额, 实收金额, 卡内扣除, "
                    "结帐方式, 会员卡号, 状态, 结帐时间, 营业员) values (?, ?, ?, ?, ?, "
                    "?, ?, ?, ?, ?)"),
                {number, tag, QVariant::fromValue(Money::fromUnits(1000)),
                 QVariant::fromValue(Money::fromUnits(1000)), QVariant::fromValue(Money()),
                 QStringLiteral("现金支付"), QStringLiteral("非会员"), QStringLiteral("已结"),
                 QDateTime::currentDateTime(), QStringLiteral("超级管理员")},
                QStringLiteral("id"));
            for (int i = 0; i < 100; ++i)
                db.exec(QStringLiteral(
                            "insert into 结帐明细 (单据号, 手牌号码, 商品名, 商品类型, 单价, "
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
        }
        QElapsedTimer timer;
        timer.start();
        const BillReversal::Outcome outcome = BillReversal(db).reverse(id);
        reversals.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (outcome.status != BillReversal::Status::Reversed)
            return 4;
    }
    bench::report(QStringLiteral("reversal_100_ms"), median(reversals), QStringLiteral("ms"));

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
    std::vector<double> receipts;
    qsizetype size = 0;
    for (int run = 0; run < 201; ++run) {
        QElapsedTimer timer;
        timer.start();
        size += CheckoutReceiptBytes(receipt).size();
        receipts.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    if (size == 0)
        return 5;
    bench::report(QStringLiteral("receipt_100_lines_ms"), median(receipts), QStringLiteral("ms"));
    return 0;
}
