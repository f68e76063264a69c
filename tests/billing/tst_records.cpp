#include "StoredBillFixture.h"
#include "TestDatabase.h"
#include "TestHome.h"
#include "app/Session.h"
#include "billing/BillOpening.h"
#include "billing/CheckoutPosting.h"
#include "billing/CxJzJlUt.h"
#include "billing/Receipt.h"
#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "common/ReportPreview.h"
#include "common/ReportRenderer.h"
#include "common/SpreadsheetExport.h"
#include "common/TagBoard.h"
#include "platform/DayPeriod.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

namespace {

class CountingBoard final : public TagBoard
{
public:
    QString selectedTag() const override { return {}; }
    QString shownTag() const override { return {}; }
    QString activeRoomType() const override { return QStringLiteral("大厅"); }
    void ReloadTags() override { ++reloads; }
    void RefreshSelection() override { ++refreshes; }
    int reloads = 0;
    int refreshes = 0;
};

struct Venue
{
    SeededDatabase db;
    Session session;
    Venue()
    {
        session.start(writeSystemIni(db));
        session.operatorName = QStringLiteral("超级管理员");
    }
    Database& d() { return db.database(); }
};

QDateTime at(int day, int hour, int minute = 0, int second = 0)
{
    return QDateTime(QDate(2026, 11, day), QTime(hour, minute, second));
}

StoredBill billAt(const QString& number, const QString& tag, const QDateTime& checkout,
                  qint64 amount, const QString& state = QStringLiteral("已结"))
{
    StoredBill bill;
    bill.number = number;
    bill.tag = tag;
    bill.entry = checkout.addSecs(-3600);
    bill.checkout = checkout;
    bill.consumption = bill.received = units(amount);
    bill.state = state;
    bill.lines = {line(QStringLiteral("搓背"), QStringLiteral("洗浴"), amount, 1, amount)};
    return bill;
}

QStringList listedNumbers(const DataGrid* grid)
{
    QStringList numbers;
    for (int row = 0; row < grid->rowCount(); ++row) {
        if (!grid->isGroupRow(row))
            numbers << grid->value(row, QStringLiteral("单据号")).toString();
    }
    return numbers;
}

template <typename T> T* find(QWidget* form, const QString& accessibleName)
{
    const QList<T*> all = form->findChildren<T*>();
    for (T* widget : all) {
        if (widget->accessibleName() == accessibleName)
            return widget;
    }
    return nullptr;
}

} // namespace

class TestRecords : public QObject
{
    Q_OBJECT
private slots:
    void opensWithEveryBillColumnsAndFooters();
    void searchChecksTheColumnAndBindsTheText();
    void dateRangeBoundsAndStateFilter();
    void reprintExportAndReport();
    void reversalFromTheScreen();
    void wholeHistoryPrintsAfterAskingAndPagesByKey();
    void freeBillsAddNoTakingsToTheFooters();
};

void TestRecords::opensWithEveryBillColumnsAndFooters()
{
    Venue venue;
    insertStoredBill(venue.d(), billAt(QStringLiteral("3"), QStringLiteral("A03"), at(20, 9), 30));
    insertStoredBill(venue.d(), billAt(QStringLiteral("1"), QStringLiteral("A01"), at(18, 9), 100));
    StoredBill card = billAt(QStringLiteral("2"), QStringLiteral("A10"), at(19, 9), 110);
    card.received = Money::parse(u"12.5").value();
    card.cardDeduction = Money::parse(u"97.5").value();
    card.mode = QStringLiteral("卡内扣除");
    insertStoredBill(venue.d(), card);

    TCxJzJlFm form(venue.session, nullptr);
    QCOMPARE(form.windowTitle(), QStringLiteral("历史账单查询"));
    QVERIFY(form.windowState() & Qt::WindowMaximized);

    // Ordered by checkout time.
    QCOMPARE(listedNumbers(form.grid()), QStringList({"1", "2", "3"}));
    QStringList shown;
    const QueryTableModel* model = form.grid()->model();
    for (int column = 0; column < model->columnCount(); ++column) {
        if (model->isShown(column))
            shown << model->columnName(column);
    }
    QCOMPARE(shown, QStringList({"id", "单据号", "手牌号码", "进店时间", "实收金额", "卡内扣除",
                                 "消费金额", "结帐方式", "状态", "结帐时间", "顾客姓名", "营业员",
                                 "备注"}));
    // The view shows those 13 only; the other columns stay in the rows for
    // searching and export.
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const auto visible = [&] {
        QStringList names;
        for (int column = 0; column < model->columnCount(); ++column) {
            if (!form.grid()->view()->isColumnHidden(column))
                names << model->columnName(column);
        }
        return names;
    };
    QCOMPARE(visible(), shown);
    QCOMPARE(model->columnCount(), 17);
    QCOMPARE(form.grid()->currentValue(QStringLiteral("会员卡号")).toString(),
             QStringLiteral("非会员"));
    QCOMPARE(form.grid()->footerText(QStringLiteral("id")), QStringLiteral("3"));
    QCOMPARE(form.grid()->footerText(QStringLiteral("实收金额")), QStringLiteral("142.50"));
    QCOMPARE(form.grid()->footerText(QStringLiteral("卡内扣除")), QStringLiteral("97.50"));
    QCOMPARE(form.grid()->footerText(QStringLiteral("消费金额")), QStringLiteral("240.00"));

    // Grouped by payment mode, each group shows its sums.
    QVERIFY(form.grid()->groupBy(QStringLiteral("结帐方式")));
    QCOMPARE(model->groupCount(), 2);
    const int cardGroup = model->groupRow(0); // "卡内扣除" sorts before "现金支付"
    const int received = model->columnOf(QStringLiteral("实收金额"));
    QCOMPARE(model->data(model->index(cardGroup, received)).toString(),
             QStringLiteral("(SUM=12.50)"));
    const int consumption = model->columnOf(QStringLiteral("消费金额"));
    QCOMPARE(model->data(model->index(model->groupRow(1), consumption)).toString(),
             QStringLiteral("(SUM=130.00)"));
    form.grid()->ungroup();
    QCOMPARE(visible(), shown);
    // A sort by a title does not bring the others back.
    form.grid()->view()->horizontalHeader()->sectionClicked(
        model->columnOf(QStringLiteral("消费金额")));
    QCOMPARE(model->sortColumn(), QStringLiteral("消费金额"));
    QCOMPARE(visible(), shown);

    // The search controls start as the operator expects them.
    QCOMPARE(form.columnField()->currentText(), QStringLiteral("顾客姓名"));
    QStringList choices;
    for (int i = 0; i < form.columnField()->count(); ++i)
        choices << form.columnField()->itemText(i);
    QCOMPARE(choices, QStringList({"单据号", "手牌号码", "备注", "会员姓名", "营业员", "状态"}));
    QVERIFY(form.columnField()->isEditable());
    QVERIFY(form.textField()->text().isEmpty());
    const QDate today = QDate::currentDate();
    QCOMPARE(form.fromDate()->date(), QDate(today.year(), today.month(), 1));
    QCOMPARE(form.toDate()->date(), today.addDays(1));
    QCOMPARE(form.stateField()->currentText(), QStringLiteral("全部"));
    for (const QString& caption :
         {QStringLiteral("查询"), QStringLiteral("日期统计"), QStringLiteral("打印当前账单"),
          QStringLiteral("打印全部记录"), QStringLiteral("Excel"), QStringLiteral("退出")})
        QVERIFY2(find<QPushButton>(&form, caption), qPrintable(caption));
    QVERIFY(form.gridMenu()->actions().first()->text() == QStringLiteral("撤销结帐"));

    // A search in a column the grid hides finds its rows; the hidden stay hidden.
    form.columnField()->setCurrentText(QStringLiteral("会员卡号"));
    form.textField()->setText(QStringLiteral("非会员"));
    form.Search();
    QCOMPARE(visible(), shown);
    QCOMPARE(form.grid()->recordCount(), 3);
    form.ShowAll();
    QCOMPARE(visible(), shown);
}

void TestRecords::searchChecksTheColumnAndBindsTheText()
{
    Venue venue;
    insertStoredBill(venue.d(), billAt(QStringLiteral("1"), QStringLiteral("A01"), at(18, 9), 100));
    insertStoredBill(venue.d(), billAt(QStringLiteral("2"), QStringLiteral("V10"), at(19, 9), 50));
    StoredBill quoted = billAt(QStringLiteral("3"), QStringLiteral("S03"), at(20, 9), 20);
    quoted.guest = QStringLiteral("O'Neil 先生");
    quoted.remark = QStringLiteral("VIP客人");
    insertStoredBill(venue.d(), quoted);

    TCxJzJlFm form(venue.session, nullptr);
    ScriptedPrompter prompter;
    auto* search = find<QPushButton>(&form, QStringLiteral("查询"));

    form.columnField()->setCurrentText(QStringLiteral("手牌号码"));
    form.textField()->setText(QStringLiteral("0"));
    search->click();
    QCOMPARE(listedNumbers(form.grid()), QStringList({"1", "2", "3"}));
    form.textField()->setText(QStringLiteral("1"));
    search->click();
    QCOMPARE(listedNumbers(form.grid()), QStringList({"1", "2"}));

    // A quote in the text is just a character; case is ignored as the venue's data always was.
    form.columnField()->setCurrentText(QStringLiteral("顾客姓名"));
    form.textField()->setText(QStringLiteral("o'neil"));
    form.Search();
    QCOMPARE(listedNumbers(form.grid()), QStringList({"3"}));
    form.columnField()->setCurrentText(QStringLiteral("备注"));
    form.textField()->setText(QStringLiteral("vip"));
    form.Search();
    QCOMPARE(listedNumbers(form.grid()), QStringList({"3"}));
    // A date-time column is searched by day, an amount by its value.
    form.columnField()->setCurrentText(QStringLiteral("结帐时间"));
    form.textField()->setText(QStringLiteral("2026-11-19"));
    form.Search();
    QCOMPARE(listedNumbers(form.grid()), QStringList({"2"}));
    form.columnField()->setCurrentText(QStringLiteral("实收金额"));
    form.textField()->setText(QStringLiteral("20"));
    form.Search();
    QCOMPARE(listedNumbers(form.grid()), QStringList({"3"}));
    QVERIFY(prompter.shown().isEmpty());
    // A value the column cannot hold is refused and runs nothing.
    form.textField()->setText(QStringLiteral("二十"));
    const QString amountBefore = form.grid()->statement();
    form.Search();
    QCOMPARE(prompter.lastText(), QStringLiteral("\"二十\"不是正确的金额,请重新输入!"));
    QCOMPARE(form.grid()->statement(), amountBefore);
    prompter.clear();
    form.columnField()->setCurrentText(QStringLiteral("结帐时间"));
    form.textField()->setText(QStringLiteral("2026-11-19"));
    form.Search();
    QCOMPARE(listedNumbers(form.grid()), QStringList({"2"}));

    // A typed text that is no column is refused and runs nothing.
    const QString statementBefore = form.grid()->statement();
    form.columnField()->setCurrentText(QStringLiteral("状态=状态 or 1"));
    form.textField()->setText(QStringLiteral("x"));
    form.Search();
    QCOMPARE(prompter.shown().size(), 1);
    QCOMPARE(prompter.lastText(),
             QStringLiteral("\"状态=状态 or 1\"不是结帐记录的列名,请重新选择要查询的列!"));
    QCOMPARE(form.grid()->statement(), statementBefore);
    QCOMPARE(listedNumbers(form.grid()), QStringList({"2"}));

    // An empty column or text does nothing at all.
    prompter.clear();
    form.columnField()->setCurrentText(QString());
    form.Search();
    form.columnField()->setCurrentText(QStringLiteral("手牌号码"));
    form.textField()->clear();
    form.Search();
    QVERIFY(prompter.shown().isEmpty());
    QCOMPARE(listedNumbers(form.grid()), QStringList({"2"}));

    // The column nobody writes finds nothing.
    form.columnField()->setCurrentText(QStringLiteral("会员姓名"));
    form.textField()->setText(QStringLiteral("王"));
    form.Search();
    QVERIFY(listedNumbers(form.grid()).isEmpty());
    QCOMPARE(form.grid()->footerText(QStringLiteral("实收金额")), QStringLiteral("0.00"));
}

void TestRecords::dateRangeBoundsAndStateFilter()
{
    Venue venue;
    insertStoredBill(venue.d(),
                     billAt(QStringLiteral("1"), QStringLiteral("A01"), at(9, 23, 59, 59),
                            1)); // before "从"
    insertStoredBill(venue.d(), billAt(QStringLiteral("2"), QStringLiteral("A01"), at(10, 0), 2));
    insertStoredBill(venue.d(),
                     billAt(QStringLiteral("3"), QStringLiteral("A01"), at(20, 23, 59, 59), 3));
    insertStoredBill(venue.d(), billAt(QStringLiteral("4"), QStringLiteral("A01"), at(21, 0), 4,
                                       QStringLiteral("免单")));
    insertStoredBill(venue.d(),
                     billAt(QStringLiteral("5"), QStringLiteral("A01"), at(21, 0, 0, 1), 5));
    insertStoredBill(venue.d(), billAt(QStringLiteral("6"), QStringLiteral("A01"), at(15, 12), 6,
                                       QStringLiteral("免单")));

    TCxJzJlFm form(venue.session, nullptr);
    form.fromDate()->setDate(QDate(2026, 11, 10));
    form.toDate()->setDate(QDate(2026, 11, 20));
    find<QPushButton>(&form, QStringLiteral("日期统计"))->click();
    // 00:00:00 of "从" and 23:59:59 of "到" are in; the midnight that ends "到"
    // belongs to the next day only.
    QCOMPARE(listedNumbers(form.grid()), QStringList({"2", "6", "3"}));
    QCOMPARE(form.grid()->footerText(QStringLiteral("消费金额")), QStringLiteral("11.00"));
    // The same bills as the period itself finds.
    const DayPeriod period = *DayPeriod::of(QDate(2026, 11, 10), QDate(2026, 11, 20));
    QCOMPARE(venue.d()
                 .scalar(QStringLiteral("select count(*) from 结帐管理 where ") +
                             period.condition(QStringLiteral("结帐时间")),
                         period.parameters())
                 .toLongLong(),
             form.grid()->recordCount());

    form.stateField()->setCurrentText(QStringLiteral("免单"));
    form.DateRange();
    QCOMPARE(listedNumbers(form.grid()), QStringList({"6"}));
    form.stateField()->setCurrentText(QStringLiteral("已结"));
    form.DateRange();
    QCOMPARE(listedNumbers(form.grid()), QStringList({"2", "3"}));

    // One day.
    form.stateField()->setCurrentText(QStringLiteral("全部"));
    form.fromDate()->setDate(QDate(2026, 11, 15));
    form.toDate()->setDate(QDate(2026, 11, 15));
    form.DateRange();
    QCOMPARE(listedNumbers(form.grid()), QStringList({"6"}));
    // The next day starts at its midnight.
    form.fromDate()->setDate(QDate(2026, 11, 21));
    form.toDate()->setDate(QDate(2026, 11, 21));
    form.DateRange();
    QCOMPARE(listedNumbers(form.grid()), QStringList({"4", "5"}));

    // "从" after "到" is refused and the list stays.
    ScriptedPrompter prompter;
    const QString before = form.grid()->statement();
    form.fromDate()->setDate(QDate(2026, 11, 22));
    form.DateRange();
    QCOMPARE(prompter.shown().size(), 1);
    QCOMPARE(prompter.lastText(), QStringLiteral("起始日期不能大于终止日期,请重新选择!"));
    QCOMPARE(form.grid()->statement(), before);
    QCOMPARE(listedNumbers(form.grid()), QStringList({"4", "5"}));
}

void TestRecords::reprintExportAndReport()
{
    Venue venue;
    const qint64 first = insertStoredBill(
        venue.d(), billAt(QStringLiteral("1"), QStringLiteral("A01"), at(18, 9), 100));
    insertStoredBill(venue.d(), billAt(QStringLiteral("2"), QStringLiteral("A02"), at(19, 9), 50));
    QTemporaryDir folder;
    venue.session.port = folder.filePath(QStringLiteral("pos.out"));
    ScriptedPrompter prompter;

    TCxJzJlFm form(venue.session, nullptr);
    QCOMPARE(form.grid()->currentValue(QStringLiteral("id")).toLongLong(), first);
    find<QPushButton>(&form, QStringLiteral("打印当前账单"))->click();
    QFile printed(venue.session.port);
    QVERIFY(printed.open(QIODevice::ReadOnly));
    const QByteArray bytes = printed.readAll();
    std::optional<ReprintReceipt> receipt = LoadReprintReceipt(venue.session, first);
    QVERIFY(receipt);
    const QByteArray expected = ReprintReceiptBytes(*receipt);
    const qsizetype sameUntil = expected.indexOf("\r\n", expected.indexOf("0571-86651234"));
    QCOMPARE(bytes.left(sameUntil), expected.left(sameUntil));
    QVERIFY(prompter.shown().isEmpty());

    // An unwritable port: the system's reason, nothing else changes.
    venue.session.port = folder.filePath(QStringLiteral("missing/pos.out"));
    form.BuDaHs();
    QCOMPARE(prompter.shown().size(), 1);
    QVERIFY(prompter.lastText().startsWith(QStringLiteral("无法打开打印端口")));
    QCOMPARE(count(venue.d(), QStringLiteral("结帐管理")), 2);

    // Excel: every column of the listed rows.
    ScriptedSpreadsheetDesktop desktop(folder.path());
    form.ExportToExcel();
    QCOMPARE(desktop.opened().size(), 1);
    QVERIFY(QFile::exists(desktop.opened().first()));
    QVERIFY(
        QFileInfo(desktop.opened().first()).fileName().startsWith(QStringLiteral("历史账单查询")));

    // The records report of "打印全部记录".
    const ReportLayout report = TCxJzJlFm::recordsReport();
    QVERIFY(report.pageSizeMm.isEmpty()); // A4
    QStringList captions;
    QStringList fields;
    for (const ReportColumn& column : report.columns) {
        captions << column.caption;
        fields << column.field;
    }
    QCOMPARE(captions, QStringList({"ID编号", "单据号", "会员卡号", "顾客姓名", "消费金额",
                                    "实收金额", "营业员"}));
    QCOMPARE(fields, QStringList({"id", "单据号", "会员卡号", "顾客姓名", "消费金额", "实收金额",
                                  "营业员"}));
    QCOMPARE(report.summary.size(), 1);
    const QList<ReportItem>& closing = report.summary.first().items;
    QCOMPARE(closing.size(), 4);
    QCOMPARE(closing.at(0).text, QStringLiteral("[DATE]"));
    QCOMPARE(closing.at(1).text, QStringLiteral("[TIME]"));
    QCOMPARE(closing.at(2).kind, ReportItem::Kind::Sum);
    QCOMPARE(closing.at(2).text, QStringLiteral("消费金额:"));
    QCOMPARE(closing.at(2).field, QStringLiteral("消费金额"));
    QCOMPARE(closing.at(3).text, QStringLiteral("实收金额:"));
    QCOMPARE(closing.at(3).field, QStringLiteral("实收金额"));

    // Rendered over the listed bills, the closing sums read as amounts.
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext is not installed");
    const QString pdf = folder.filePath(QStringLiteral("records.pdf"));
    ReportRenderer renderer(venue.d());
    if (!renderer.renderToPdf(report, form.grid()->orderedStatement(), form.grid()->parameters(),
                              pdf))
        QSKIP("the report renderer cannot write PDF files in this build");
    QProcess process;
    process.start(pdftotext, {pdf, QStringLiteral("-")});
    QVERIFY(process.waitForFinished());
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    for (const QString& expected : {QStringLiteral("ID编号"), QStringLiteral("会员卡号"),
                                    QStringLiteral("消费金额:150"), QStringLiteral("实收金额:150")})
        QVERIFY2(text.contains(expected), qPrintable(expected + u'\n' + text));
}

void TestRecords::reversalFromTheScreen()
{
    Venue venue;
    addTag(venue.d(), QStringLiteral("08"));
    StoredBill bill = billAt(QStringLiteral("7"), QStringLiteral("08"), at(18, 9), 80);
    bill.lines = {line(QStringLiteral("可乐"), QStringLiteral("饮料"), 15, 2, 30),
                  line(QStringLiteral("搓背"), QStringLiteral("洗浴"), 50, 1, 50)};
    insertStoredBill(venue.d(), bill);
    insertStoredBill(venue.d(), billAt(QStringLiteral("8"), QStringLiteral("A01"), at(19, 9), 10));
    addTag(venue.d(), QStringLiteral("09"), QStringLiteral("占用"));
    insertStoredBill(venue.d(), billAt(QStringLiteral("9"), QStringLiteral("09"), at(20, 9), 10));

    CountingBoard board;
    TCxJzJlFm form(venue.session, &board);
    ScriptedPrompter prompter;

    // No: nothing changes.
    const QStringList before = snapshotBilling(venue.d());
    prompter.queueAnswer(false);
    form.CheXiaoHs();
    QCOMPARE(prompter.lastText(), QStringLiteral("您是否要撤销这笔结帐呢?"));
    QCOMPARE(snapshotBilling(venue.d()), before);
    QCOMPARE(board.reloads, 0);

    // Yes, through the grid's pop-up menu.
    prompter.clear();
    prompter.queueAnswer(true);
    form.gridMenu()->actions().first()->trigger();
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("您是否要撤销这笔结帐呢?")});
    QCOMPARE(tagState(venue.d(), QStringLiteral("08")), QStringLiteral("占用"));
    QCOMPARE(venue.d()
                 .scalar(QStringLiteral("select count(*) from 手牌消费 where 主手牌号 = ?"),
                         {QStringLiteral("08")})
                 .toLongLong(),
             2);
    QCOMPARE(listedNumbers(form.grid()), QStringList({"8", "9"}));
    QCOMPARE(board.reloads, 1);
    QCOMPARE(board.refreshes, 1);

    // An occupied tag: refused with the tag named, nothing changed, the board left alone.
    form.grid()->setCurrentRow(1);
    QCOMPARE(form.grid()->currentValue(QStringLiteral("单据号")).toString(), QStringLiteral("9"));
    prompter.clear();
    prompter.queueAnswer(true);
    const QStringList beforeRefusal = snapshotBilling(venue.d());
    form.CheXiaoHs();
    QCOMPARE(prompter.lastText(),
             QStringLiteral("牌号 09 当前状态不是可用状态,故无法完成撤销操作!"));
    QCOMPARE(snapshotBilling(venue.d()), beforeRefusal);
    QCOMPARE(board.reloads, 1);

    // Without a board (as in a test) the reversal still works.
    TCxJzJlFm boardless(venue.session, nullptr);
    QCOMPARE(listedNumbers(boardless.grid()), QStringList({"8", "9"}));
    prompter.queueAnswer(true);
    boardless.CheXiaoHs();
    QCOMPARE(tagState(venue.d(), QStringLiteral("A01")), QStringLiteral("占用"));
    QCOMPARE(listedNumbers(boardless.grid()), QStringList({"9"}));
}

void TestRecords::wholeHistoryPrintsAfterAskingAndPagesByKey()
{
    Venue venue;
    // 30,000 bills, a thousand to each checkout second: far more than the
    // preview's 500 A4 pages, and ties on the grid's order.
    venue.d().exec(
        QStringLiteral(
            "insert into 结帐管理 (单据号, 手牌号码, 消费金额, 实收金额, 卡内扣除, 状态, "
            "结帐时间, 营业员) with recursive n(i) as (select 1 union all select i + 1 "
            "from n where i < 30000) select cast(i as varchar(10)), 'A01', 10000, "
            "10000, 0, '已结', ?, '超级管理员' from n"),
        {at(18, 9)});
    ScriptedPrompter prompter;
    ScriptedReportPreviewer previewer;
    TCxJzJlFm form(venue.session, nullptr);
    DataGrid* grid = form.grid();
    QCOMPARE(grid->recordCount(), qint64(30000));
    // Equal checkout times are paged by the key: ascending ids, none twice.
    grid->model()->setPageSize(64);
    qint64 previous = 0;
    for (int row = 0; row < 300; ++row) {
        const qint64 id = grid->value(row, QStringLiteral("id")).toLongLong();
        QVERIFY(id > previous);
        previous = id;
    }
    QVERIFY(grid->orderedStatement().endsWith(QStringLiteral(", 1")));

    form.PrintAll();
    QCOMPARE(prompter.shown().size(), 1);
    QVERIFY2(prompter.lastText().startsWith(QStringLiteral("共")) &&
                 prompter.lastText().endsWith(QStringLiteral("页,确定要打印吗?")),
             qPrintable(prompter.lastText()));
    QVERIFY(previewer.shown().isEmpty());
    prompter.queueAnswer(true);
    form.PrintAll();
    QCOMPARE(previewer.shown().size(), 1);
    QVERIFY(previewer.shown().first().pages > 500);
    QCOMPARE(previewer.shown().first().statement, grid->orderedStatement());
}

namespace {

// A one-tag bill with a ticket of `ticket`, posted as the checkout screen
// would with the amounts it showed.
void postOneTagBill(Database& db, const QString& tag, qint64 ticket, const QString& state,
                    Money cardDeduction, Money received)
{
    BillOpening opening;
    opening.mainTag = tag;
    opening.tags = {tag};
    opening.roomType = QStringLiteral("大厅");
    opening.ticketPrice = units(ticket);
    opening.guestName = QStringLiteral("散客");
    opening.remark = QStringLiteral("无");
    opening.operatorName = QStringLiteral("超级管理员");
    opening.openedAt = QDateTime::currentDateTime();
    QCOMPARE(openBill(db, opening), QString());
    CheckoutPost post;
    post.tag = post.mainTag = tag;
    post.groupTags = {tag};
    post.lineCount = 1;
    post.linesTotal = post.receivable = units(ticket);
    post.guestName = QStringLiteral("散客");
    post.paymentMode = cardDeduction > Money() ? CardPayment : CashPayment;
    post.cardDeduction = cardDeduction;
    post.received = received;
    post.operatorName = QStringLiteral("超级管理员");
    post.state = state;
    post.postedAt = QDateTime::currentDateTime();
    QCOMPARE(postCheckout(db, post).outcome, PostingResult::Outcome::Posted);
}

} // namespace

void TestRecords::freeBillsAddNoTakingsToTheFooters()
{
    Venue venue;
    // The free bill's screen showed 60 from the card and 50 in cash; none of it was taken.
    postOneTagBill(venue.d(), QStringLiteral("A01"), 110, QStringLiteral("免单"), units(60),
                   units(50));
    postOneTagBill(venue.d(), QStringLiteral("A02"), 30, QStringLiteral("已结"), Money(),
                   units(30));

    TCxJzJlFm form(venue.session, nullptr);
    QCOMPARE(form.grid()->recordCount(), 2);
    QCOMPARE(form.grid()->footerText(QStringLiteral("实收金额")), QStringLiteral("30.00"));
    QCOMPARE(form.grid()->footerText(QStringLiteral("卡内扣除")), QStringLiteral("0.00"));
    QCOMPARE(form.grid()->footerText(QStringLiteral("消费金额")), QStringLiteral("140.00"));
}

QTEST_MAIN(TestRecords)
#include "tst_records.moc"
