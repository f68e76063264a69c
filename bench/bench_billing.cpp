// Billing speed: posting a large group against a bare program doing the same
// writes, loading the checkout screen, adding a line and searching the goods.

#include "app/Session.h"
#include "billing/AddConsumeUt.h"
#include "billing/CheckOutUt.h"
#include "billing/CheckoutGroup.h"
#include "billing/CheckoutPosting.h"
#include "billing/ConsumptionLine.h"
#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "common/TagBoard.h"
#include "platform/Schema.h"
#include "support/BareQuery.h"
#include "support/BenchReport.h"
#include "support/HistoryVenue.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <algorithm>
#include <functional>

using namespace shoupai;
using bench::medianMs;

namespace {

constexpr int GroupTags = 20;
constexpr int GroupLines = 1000;
constexpr int CatalogueSize = 5000;

class Board final : public TagBoard
{
public:
    QString tag;
    QString selectedTag() const override { return tag; }
    QString shownTag() const override { return tag; }
    QString activeRoomType() const override { return QStringLiteral("大厅"); }
    void ReloadTags() override {}
    void RefreshSelection() override {}
};

// Without the shared history, a smaller one of our own: stored bills and a
// catalogue of the size a busy venue has.
void generateSmallHistory(Database& db)
{
    Transaction t(db);
    const QString now =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    for (int bill = 1; bill <= 20000; ++bill) {
        const QString number = QString::number(bill);
        db.exec(
            QStringLiteral("insert into 结帐管理 (单据号, 手牌号码, 消费金额, 实收金额, 卡内扣除, "
                           "结帐方式, 会员卡号, 状态, 结帐时间, 营业员) values (?, ?, ?, ?, ?, ?, "
                           "?, ?, ?, ?)"),
            {number, QStringLiteral("A01"), QVariant::fromValue(Money::fromUnits(100)),
             QVariant::fromValue(Money::fromUnits(100)), QVariant::fromValue(Money()), CashPayment,
             NonMember, SettledState, now, QStringLiteral("bench")});
        for (int line = 0; line < 5; ++line)
            db.exec(
                QStringLiteral("insert into 结帐明细 (单据号, 手牌号码, 商品名, 单价, 数量, 合计, "
                               "消费时间, tcyf, 状态) values (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                {number, QStringLiteral("A01"), QStringLiteral("可乐"),
                 QVariant::fromValue(Money::fromUnits(20)), QVariant::fromValue<qlonglong>(1),
                 QVariant::fromValue(Money::fromUnits(20)), now, QStringLiteral("0"),
                 SettledState});
    }
    db.exec(QStringLiteral("update 单据号 set 单据号 = ?"), {QStringLiteral("20000")});
    t.commit();
}

void fillCatalogue(Database& db)
{
    const qint64 present = db.scalar(QStringLiteral("select count(*) from 商品库")).toLongLong();
    Transaction t(db);
    for (qint64 i = present; i < CatalogueSize; ++i)
        db.exec(QStringLiteral(
                    "insert into 商品库 (编号, 商品名, 拼音, 单价, 提成金额, 商品类型, 库存, "
                    "是否需要服务) values (?, ?, ?, ?, ?, ?, ?, ?)"),
                {QStringLiteral("B%1").arg(i, 5, 10, QChar(u'0')), QStringLiteral("商品%1").arg(i),
                 QStringLiteral("SP%1").arg(i), QVariant::fromValue(Money::fromUnits(10 + i % 90)),
                 QVariant::fromValue(Money()), QStringLiteral("饮料"),
                 QVariant::fromValue<qlonglong>(1000), QStringLiteral("否")});
    t.commit();
}

void addBenchTags(Database& db)
{
    Transaction t(db);
    for (int i = 1; i <= GroupTags * 2; ++i)
        db.exec(
            QStringLiteral(
                "insert into 手牌管理 (手牌号码, 所属包厢, 手牌状态, number) values (?, ?, ?, ?)"),
            {QStringLiteral("BZ%1").arg(i, 3, 10, QChar(u'0')), QStringLiteral("大厅"),
             QStringLiteral("可用"), QVariant::fromValue<qlonglong>(100000 + i)});
    t.commit();
}

// An open group of 20 tags with 1,000 lines, written directly.
QString openLargeGroup(Database& db, int set)
{
    const QString mainTag = QStringLiteral("BZ%1").arg(set * GroupTags + 1, 3, 10, QChar(u'0'));
    const QString now =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    Transaction t(db);
    for (int i = 0; i < GroupTags; ++i) {
        const QString tag = QStringLiteral("BZ%1").arg(set * GroupTags + 1 + i, 3, 10, QChar(u'0'));
        db.exec(QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ?"),
                {QStringLiteral("占用"), tag});
        db.exec(
            QStringLiteral(
                "insert into 手牌开单 (手牌号码, 包厢类型, 顾客姓名, 押金金额, 合计金额, 进店时间, "
                "主手牌号) values (?, ?, ?, ?, ?, ?, ?)"),
            {tag, QStringLiteral("大厅"), QStringLiteral("散客"), QVariant::fromValue(Money()),
             QVariant::fromValue(Money()), now, mainTag});
        for (int l = 0; l < GroupLines / GroupTags; ++l)
            db.exec(
                QStringLiteral(
                    "insert into 手牌消费 (手牌号码, 商品名, 商品类型, 单价, 实际单价, 数量, 合计, "
                    "消费时间, 是否计时, 状态, 员工编号, 员工姓名, 提成金额, 营业员, 主手牌号, "
                    "参与打折) "
                    "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                {tag, QStringLiteral("可乐"), QStringLiteral("饮料"),
                 QVariant::fromValue(Money::fromUnits(6)), QVariant::fromValue(Money::fromUnits(6)),
                 QVariant::fromValue<qlonglong>(2), QVariant::fromValue(Money::fromUnits(12)), now,
                 QVariant::fromValue<qlonglong>(0), QStringLiteral("消费完毕"), QStringLiteral("n"),
                 QStringLiteral("n"), QVariant::fromValue(Money()), QStringLiteral("bench"),
                 mainTag, QStringLiteral("y")});
    }
    t.commit();
    return mainTag;
}

CheckoutPost postFor(Database& db, const QString& mainTag)
{
    const checkoutgroup::GroupTotals totals = checkoutgroup::totals(db, mainTag);
    CheckoutPost post;
    post.tag = mainTag;
    post.mainTag = mainTag;
    post.groupTags = checkoutgroup::tags(db, mainTag);
    post.lineCount = totals.lines;
    post.linesTotal = totals.linesTotal;
    post.receivable = totals.linesTotal;
    post.received = totals.linesTotal;
    post.guestName = QStringLiteral("散客");
    post.operatorName = QStringLiteral("bench");
    post.postedAt = QDateTime::currentDateTime();
    return post;
}

// The floor: the same writes, nothing else, straight through the driver.
void barePosting(QSqlDatabase& raw, const QString& mainTag)
{
    const QString now =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QSqlQuery q(raw);
    q.exec(QStringLiteral("BEGIN IMMEDIATE"));
    q.exec(QStringLiteral(
        "update 单据号 set 单据号 = cast(cast(单据号 as bigint) + 1 as varchar(20))"));
    q.prepare(QStringLiteral(
        "insert into 结帐管理 (单据号, 手牌号码, 离店时间, 卡内扣除, 实收金额, 消费金额, "
        "结帐方式, 会员卡号, 状态, 结帐时间, 顾客姓名, 营业员) "
        "values ('x', ?, ?, 0, 0, 0, '现金支付', '非会员', '已结', ?, '散客', 'bench')"));
    q.addBindValue(mainTag);
    q.addBindValue(now);
    q.addBindValue(now);
    q.exec();
    q.prepare(QStringLiteral(
        "insert into 结帐明细 (单据号, 手牌号码, 会员卡号, 顾客姓名, 商品名, 商品类型, 单价, "
        "数量, 合计, 消费时间, 是否计时, 员工编号, 员工姓名, 提成金额, tcyf, 营业员, 状态) "
        "select 'x', ?, '非会员', '散客', 商品名, 商品类型, 实际单价, 数量, 合计, 消费时间, "
        "是否计时, 员工编号, 员工姓名, 提成金额, '0', 'bench', '已结' from 手牌消费 "
        "where 主手牌号 = ?"));
    q.addBindValue(mainTag);
    q.addBindValue(mainTag);
    q.exec();
    q.prepare(QStringLiteral("delete from 手牌消费 where 主手牌号 = ?"));
    q.addBindValue(mainTag);
    q.exec();
    QStringList tags;
    q.prepare(QStringLiteral("select 手牌号码 from 手牌开单 where 主手牌号 = ?"));
    q.addBindValue(mainTag);
    q.exec();
    while (q.next())
        tags << q.value(0).toString();
    q.prepare(QStringLiteral("delete from 手牌开单 where 主手牌号 = ?"));
    q.addBindValue(mainTag);
    q.exec();
    for (const QString& tag : tags) {
        q.prepare(QStringLiteral("update 手牌管理 set 手牌状态 = '可用' where 手牌号码 = ?"));
        q.addBindValue(tag);
        q.exec();
    }
    q.exec(QStringLiteral("COMMIT"));
}

// The checkout screen's statements for a group, bare: the counter, the open
// bill, the group's tags, the totals reset to list price, the totals and every
// line of the group.
void bareCheckoutLoad(bench::BareConnection& bare, const QString& mainTag)
{
    bare.readToEnd(QStringLiteral("select 单据号 from 单据号"));
    bare.readToEnd(QStringLiteral("select * from 手牌开单 where 手牌号码 = ?"), {mainTag});
    bare.readToEnd(
        QStringLiteral("select 手牌号码 from 手牌开单 where 主手牌号 = ? order by 手牌号码"),
        {mainTag});
    bare.exec(QStringLiteral("update 手牌消费 set 合计 = 单价 * 数量 where 主手牌号 = ?"),
              {mainTag});
    bare.readToEnd(QStringLiteral("select count(*), sum(数量 * 实际单价), sum(合计) from 手牌消费 "
                                  "where 主手牌号 = ?"),
                   {mainTag});
    if (bare.readToEnd(QStringLiteral("select 商品名, 实际单价, 数量, 参与打折, 合计, 手牌号码, "
                                      "员工编号, 营业员, 主手牌号 from 手牌消费 where 主手牌号 = ? "
                                      "order by ID"),
                       {mainTag}) != GroupLines)
        qFatal("the floor read another number of lines");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ConsolePrompter prompter;

    bench::HistoryVenue venue(
        bench::VenueSetup().as(QStringLiteral("bench")).notUpgraded().orNewDatabase());
    if (!venue.ready())
        return 1;
    Session& session = venue.session();
    Database& db = venue.database();
    const QString path = venue.dataPath();
    if (!venue.hasHistory())
        generateSmallHistory(db);
    fillCatalogue(db);
    addBenchTags(db);

    // Posting a group of 20 tags and 1,000 lines, in turns with the bare floor.
    QSqlDatabase raw =
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("floor"));
    raw.setDatabaseName(path);
    raw.open();
    QString mainTag;
    const bench::Timings post = bench::alternatingMediansMs(
        5, [&] { mainTag = openLargeGroup(db, 0); },
        [&] {
            if (postCheckout(db, postFor(db, mainTag)).outcome != PostingResult::Outcome::Posted)
                qFatal("posting refused");
        },
        [&] { mainTag = openLargeGroup(db, 1); }, [&] { barePosting(raw, mainTag); });
    bench::reportAgainstFloor(QStringLiteral("post_1000_lines_ms"), post.figure, post.floor);

    // Loading the checkout screen for the group.
    Board board;
    mainTag = openLargeGroup(db, 0);
    bench::BareConnection bare(path);
    // The floor: what the screen reads and resets, bare, every line read to the end.
    const bench::Timings load = bench::alternatingMediansMs(
        7, [] {},
        [&] {
            TCheckOutFm screen(session, board, mainTag);
            screen.load();
        },
        [] {}, [&] { bareCheckoutLoad(bare, mainTag); });
    bench::reportAgainstFloor(QStringLiteral("checkout_load_1000_ms"), load.figure, load.floor);

    // Adding one line with the full catalogue, and searching it.
    board.tag = mainTag;
    TAddConsumeFm consume(session, board);
    consume.load();
    consume.search(QStringLiteral("商品4321"));
    if (!consume.goodsGrid()->hasCurrentRecord())
        consume.filterByType(QStringLiteral("全部"));
    // What one durable SQLite commit of a single row costs on this file system:
    // the part of adding a line that no program can avoid.
    const bench::Timings add = bench::alternatingMediansMs(
        21, [] {},
        [&] {
            if (!consume.ZengJiaHs())
                qFatal("line refused");
        },
        [] {},
        [&] {
            QSqlQuery q(raw);
            q.exec(QStringLiteral("BEGIN IMMEDIATE"));
            q.prepare(QStringLiteral(
                "insert into 手牌消费 (手牌号码, 商品名, 主手牌号) values (?, ?, ?)"));
            q.addBindValue(QStringLiteral("floor"));
            q.addBindValue(QStringLiteral("floor"));
            q.addBindValue(QStringLiteral("floor"));
            q.exec();
            q.exec(QStringLiteral("COMMIT"));
        });
    bench::reportAgainstFloor(QStringLiteral("add_line_ms"), add.figure, add.floor);
    const double search = medianMs(
        21, [] {}, [&] { consume.search(QStringLiteral("SP49")); });
    bench::report(QStringLiteral("goods_search_ms"), search, QStringLiteral("ms"));
    raw.close();
    raw = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("floor"));
    return 0;
}
