#include "TestDatabase.h"
#include "common/Prompter.h"
#include "common/ReportPreview.h"
#include "common/ReportRenderer.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace shoupai;
using namespace shoupai::test;

namespace {

const QDateTime PrintedAt(QDate(2026, 3, 5), QTime(14, 7, 9));

QString pdfText(const QString& path, bool layout = true)
{
    QProcess process;
    QStringList arguments;
    if (layout)
        arguments << QStringLiteral("-layout");
    arguments << path << QStringLiteral("-");
    process.start(QStringLiteral("pdftotext"), arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString pdfInfo(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {path});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Consumption lines of tag T01: goods 洗发水01.., price i + 0.25, quantity 1..3.
Money addLines(Database& db, int count, qint64* quantities = nullptr)
{
    Money total;
    qint64 quantity = 0;
    for (int i = 1; i <= count; ++i) {
        const Money price = Money::fromTicks(i * Money::Scale + 2500);
        const int n = i % 3 + 1;
        db.exec(QStringLiteral("insert into 手牌消费 (手牌号码, 商品名, 单价, 数量, 折扣, 合计, "
                               "消费时间, 员工姓名, 营业员, 主手牌号) "
                               "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                {QStringLiteral("T01"), QStringLiteral("洗发水%1").arg(i, 2, 10, QChar(u'0')),
                 QVariant::fromValue(price), n, 1, QVariant::fromValue(price.times(n)),
                 QDateTime(QDate(2026, 3, 5), QTime(9, 0)), QStringLiteral("小王"),
                 QStringLiteral("管理员"), QStringLiteral("T01")});
        total += price.times(n);
        quantity += n;
    }
    if (quantities)
        *quantities = quantity;
    return total;
}

// The board's print layout: eight columns, quantity and amount summed.
ReportLayout boardLayout()
{
    ReportLayout layout;
    layout.name = QStringLiteral("手牌消费");
    layout.table = QStringLiteral("手牌消费");
    layout.titles << QStringLiteral("消费明细    [DATE]");
    layout.headings << QStringLiteral("手牌号: T01");
    layout.columns = {
        ReportColumn::of(QStringLiteral("手牌号码"), QStringLiteral("手牌号码"), 18),
        ReportColumn::of(QStringLiteral("商品名"), QStringLiteral("商品名")),
        ReportColumn::of(QStringLiteral("单价"), QStringLiteral("单价"), 18),
        ReportColumn::of(QStringLiteral("数量"), QStringLiteral("数量"), 12),
        ReportColumn::of(QStringLiteral("折扣"), QStringLiteral("折"), 10),
        ReportColumn::of(QStringLiteral("合计"), QStringLiteral("合计"), 20),
        ReportColumn::of(QStringLiteral("员工姓名"), QStringLiteral("服务生"), 18),
        ReportColumn::of(QStringLiteral("营业员"), QStringLiteral("营业员"), 18),
    };
    layout.summary << ReportLine{
        ReportItem::count(QStringLiteral("笔数:")),
        ReportItem::sum(QStringLiteral("数量:"), QStringLiteral("数量")),
        ReportItem::sum(QStringLiteral("合计:"), QStringLiteral("合计"), QStringLiteral("元"))};
    layout.summary << ReportLine(QStringLiteral("打印时间:[DATE] [TIME]"));
    layout.footers << QStringLiteral("打印日期:[DATE]");
    return layout;
}

const QString LinesOfT01 =
    QStringLiteral("select * from 手牌消费 where 主手牌号 = ? order by 商品名");

} // namespace

class TestReport : public QObject
{
    Q_OBJECT
private slots:
    void chineseFontIsInstalled();
    void everyBandReadsBackFromPdf();
    void customPageSizeAndEmptyStatement();
    void failuresLeaveNoFile();
    void previewShowsPagesAndReportsFailures();
    void longReportsAreCountedAskedAndStreamed();
    void computedColumnsNeedTheirKind();
};

void TestReport::chineseFontIsInstalled()
{
    // Without a font that has Chinese glyphs every Chinese text is silently
    // dropped from printed pages.
    const auto family = ReportRenderer::chineseFontFamily();
    QVERIFY2(family.has_value(), "no font with Simplified Chinese is installed");
    if (QFontDatabase::families().contains(QStringLiteral("WenQuanYi Micro Hei")))
        QCOMPARE(*family, QStringLiteral("WenQuanYi Micro Hei"));
    QVERIFY(QFontDatabase::writingSystems(*family).contains(QFontDatabase::SimplifiedChinese));
    QCOMPARE(ReportRenderer::substitute(QStringLiteral("打印日期:[DATE] [TIME] [DATE]"), PrintedAt),
             QStringLiteral("打印日期:2026-03-05 14:07:09 2026-03-05"));
}

void TestReport::everyBandReadsBackFromPdf()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    qint64 quantity = 0;
    const Money total = addLines(db, 75, &quantity);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("lines.pdf"));
    ReportRenderer renderer(db);
    renderer.setPrintedAt(PrintedAt);
    QVERIFY(renderer.renderToPdf(boardLayout(), LinesOfT01, {QStringLiteral("T01")}, path));

    const QString text = pdfText(path);
    QVERIFY(!text.isEmpty());
    // Chinese must survive into the PDF as text, not vanish.
    QVERIFY2(text.contains(QStringLiteral("消费明细")), qPrintable(text.left(400)));
    QVERIFY2(text.contains(QRegularExpression(QStringLiteral("消费明细 +2026-03-05"))),
             qPrintable(text.left(800)));

    const QStringList pages = text.split(u'\f', Qt::SkipEmptyParts);
    int printedPages = 0;
    for (const QString& page : pages) {
        if (page.trimmed().isEmpty())
            continue;
        ++printedPages;
        // Headings and column headings on every page, the footer at every foot.
        QVERIFY(page.contains(QStringLiteral("手牌号: T01")));
        QVERIFY(
            page.contains(QRegularExpression(QStringLiteral("手牌号码\\s+商品名\\s+单价\\s+数量\\s+"
                                                            "折\\s+合计\\s+服务生\\s+营业员"))));
        QVERIFY(page.contains(QStringLiteral("打印日期:2026-03-05")));
    }
    QVERIFY2(printedPages >= 2, "75 lines should not fit on one A4 page");
    QCOMPARE(text.count(QStringLiteral("消费明细")), 1); // the title only on the first page

    // Every row once, in order, amounts in shortest form from the stored ticks.
    qsizetype position = 0;
    for (int i = 1; i <= 75; ++i) {
        const Money price = Money::fromTicks(i * Money::Scale + 2500);
        const int n = i % 3 + 1;
        const QRegularExpression line(
            QStringLiteral("T01\\s+洗发水%1\\s+%2\\s+%3\\s+1\\s+%4\\s+小王\\s+管理员")
                .arg(i, 2, 10, QChar(u'0'))
                .arg(QRegularExpression::escape(price.toString()))
                .arg(n)
                .arg(QRegularExpression::escape(price.times(n).toString())));
        const QRegularExpressionMatch match = line.match(text, position);
        QVERIFY2(match.hasMatch(), qPrintable(QStringLiteral("row %1").arg(i)));
        position = match.capturedEnd();
    }
    QCOMPARE(text.count(QStringLiteral("洗发水")), 75);

    // The summary: count, quantity and amount added up exactly.
    QVERIFY2(
        text.contains(QRegularExpression(QStringLiteral("笔数:75 +数量:%1 +合计:%2元")
                                             .arg(quantity)
                                             .arg(QRegularExpression::escape(total.toString())))),
        qPrintable(text.right(600)));
    QVERIFY(text.contains(QStringLiteral("打印时间:2026-03-05 14:07:09")));
    QVERIFY(text.indexOf(QStringLiteral("合计:")) > text.lastIndexOf(QStringLiteral("洗发水75")));
}

void TestReport::customPageSizeAndEmptyStatement()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    addLines(db, 12);

    // The receipt's page: 88 mm by 160 mm, narrow columns, a multi-line footer.
    ReportLayout receipt;
    receipt.name = QStringLiteral("结帐单");
    receipt.table = QStringLiteral("手牌消费");
    receipt.pageSizeMm = QSizeF(88, 160);
    receipt.marginsMm = QMarginsF(3, 3, 3, 3);
    receipt.fontPoints = 8;
    receipt.titles << QStringLiteral("测试店") << QStringLiteral("进店时间:2026-03-05 09:00:00");
    receipt.columns = {ReportColumn::of(QStringLiteral("商品名"), QStringLiteral("名称")),
                       ReportColumn::of(QStringLiteral("数量"), QStringLiteral("数量"), 10),
                       ReportColumn::of(QStringLiteral("合计"), QStringLiteral("金额"), 16)};
    receipt.summary << ReportLine{ReportItem::sum(QStringLiteral("小计:"), QStringLiteral("合计"))};
    receipt.footers << QStringLiteral("顾客签字:\n\n        谢谢光临")
                    << QStringLiteral("打印时间:[DATE]/[TIME]");
    receipt.footerAlignment = Qt::AlignLeft;

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("receipt.pdf"));
    ReportRenderer renderer(db);
    renderer.setPrintedAt(PrintedAt);
    QVERIFY(renderer.renderToPdf(receipt, LinesOfT01, {QStringLiteral("T01")}, path));
    const QString info = pdfInfo(path);
    // 88 mm x 160 mm in points.
    QVERIFY2(info.contains(QRegularExpression(
                 QStringLiteral("Page size:\\s+249(\\.\\d+)? x 45[34](\\.\\d+)? pts"))),
             qPrintable(info));
    const QString text = pdfText(path);
    QCOMPARE(text.count(QStringLiteral("洗发水")), 12);
    QCOMPARE(text.count(QStringLiteral("打印时间:2026-03-05/14:07:09")),
             text.split(u'\f', Qt::SkipEmptyParts)
                 .filter(QRegularExpression(QStringLiteral("\\S")))
                 .size());
    QVERIFY(text.contains(QStringLiteral("谢谢光临")));
    QVERIFY(text.contains(QStringLiteral("小计:")));

    // No rows: the headings and a summary of zero.
    const QString empty = folder.filePath(QStringLiteral("empty.pdf"));
    QVERIFY(renderer.renderToPdf(boardLayout(), LinesOfT01, {QStringLiteral("none")}, empty));
    const QString emptyText = pdfText(empty);
    QVERIFY(emptyText.contains(QRegularExpression(QStringLiteral("笔数:0 +数量:0 +合计:0元"))));
    QVERIFY(emptyText.contains(QStringLiteral("服务生")));
    QVERIFY(!emptyText.contains(QStringLiteral("洗发水")));

    // A NULL amount prints empty and adds nothing; decimals can be fixed.
    db.exec(QStringLiteral("insert into 手牌消费 (手牌号码, 商品名, 主手牌号) values (?, ?, ?)"),
            {QStringLiteral("T02"), QStringLiteral("赠品"), QStringLiteral("T02")});
    db.exec(QStringLiteral(
                "insert into 手牌消费 (手牌号码, 商品名, 合计, 主手牌号) values (?, ?, ?, ?)"),
            {QStringLiteral("T02"), QStringLiteral("茶水"),
             QVariant::fromValue(Money::fromTicks(35000)), QStringLiteral("T02")});
    ReportLayout fixed = boardLayout();
    fixed.table.clear(); // amounts are known by their column names as well
    fixed.columns[5].decimals = 2;
    const QString withNull = folder.filePath(QStringLiteral("null.pdf"));
    QVERIFY(renderer.renderToPdf(fixed, LinesOfT01, {QStringLiteral("T02")}, withNull));
    const QString nullText = pdfText(withNull);
    QVERIFY2(nullText.contains(QRegularExpression(QStringLiteral("笔数:2 +数量:0 +合计:3\\.50元"))),
             qPrintable(nullText));
    QVERIFY(nullText.contains(QRegularExpression(QStringLiteral("茶水\\s+3\\.50"))));
}

void TestReport::failuresLeaveNoFile()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    addLines(db, 3);
    QTemporaryDir folder;
    ReportRenderer renderer(db);

    const QString broken = folder.filePath(QStringLiteral("broken.pdf"));
    QVERIFY_THROWS_EXCEPTION(
        DatabaseError, renderer.renderToPdf(
                           boardLayout(), QStringLiteral("select * from 没有这个表"), {}, broken));
    QVERIFY(!QFile::exists(broken));

    // A field the statement does not return is a fault, not an empty column.
    ReportLayout misspelt = boardLayout();
    misspelt.columns[1].field = QStringLiteral("商品名称");
    QVERIFY_THROWS_EXCEPTION(
        DatabaseError, renderer.renderToPdf(misspelt, LinesOfT01, {QStringLiteral("T01")}, broken));
    QVERIFY(!QFile::exists(broken));

    const QString unwritable = folder.filePath(QStringLiteral("no/such/folder/x.pdf"));
    QVERIFY(!renderer.renderToPdf(boardLayout(), LinesOfT01, {QStringLiteral("T01")}, unwritable));
    QVERIFY(!QFile::exists(unwritable));
}

void TestReport::previewShowsPagesAndReportsFailures()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    addLines(db, 75);
    ScriptedPrompter prompter;

    int pageCount = -1;
    bool hasSaveAction = false;
    QString title;
    QTimer inspect;
    inspect.setSingleShot(true);
    connect(&inspect, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        title = dialog->windowTitle();
        if (auto* preview = dialog->findChild<QPrintPreviewWidget*>())
            pageCount = preview->pageCount();
        hasSaveAction = dialog->findChild<QAction*>(QStringLiteral("savePdfAction")) != nullptr;
        dialog->reject();
    });
    inspect.start(0);
    ShowReportPreview(db, boardLayout(), LinesOfT01, {QStringLiteral("T01")});
    QCOMPARE(title, QStringLiteral("打印预览 - 手牌消费"));
    QVERIFY2(pageCount >= 2, qPrintable(QString::number(pageCount)));
    QVERIFY(hasSaveAction);
    QVERIFY(prompter.shown().isEmpty());

    // A failing statement closes the window by itself and shows the database's text.
    bool stillOpen = false;
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [&] {
        if (auto* dialog = QApplication::activeModalWidget()) {
            stillOpen = true;
            dialog->close();
        }
    });
    guard.start(2000);
    ShowReportPreview(db, boardLayout(), QStringLiteral("select * from 没有这个表"), {});
    QVERIFY(!stillOpen);
    QCOMPARE(prompter.shown().size(), 1);
    QCOMPARE(prompter.shown().first().kind, Prompter::Kind::Error);
    QVERIFY(prompter.shown().first().text.contains(QStringLiteral("没有这个表")));
}

void TestReport::longReportsAreCountedAskedAndStreamed()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    addLines(db, 60);
    QTemporaryDir folder;
    ReportRenderer renderer(db);
    renderer.setPrintedAt(PrintedAt);

    // A short page: a few rows each, so that some rows make many pages.
    ReportLayout small = boardLayout();
    small.pageSizeMm = QSizeF(120, 45);
    small.marginsMm = QMarginsF(3, 3, 3, 3);
    small.summary.clear();
    // The count from the layout's measures agrees with what is drawn.
    for (int rows : {0, 1, 7, 60}) {
        const QString path = folder.filePath(QStringLiteral("r%1.pdf").arg(rows));
        QPdfWriter writer(path);
        writer.setResolution(600);
        const int drawn = renderer.render(small, LinesOfT01 + QStringLiteral(" limit %1").arg(rows),
                                          {QStringLiteral("T01")}, writer);
        QPdfWriter measured(folder.filePath(QStringLiteral("m.pdf")));
        measured.setResolution(600);
        QCOMPARE(ReportRenderer::pageCount(small, rows, measured), drawn);
    }
    QPdfWriter probe(folder.filePath(QStringLiteral("p.pdf")));
    probe.setResolution(600);
    const int pages = ReportRenderer::pageCount(small, 60, probe);
    QVERIFY2(pages >= 6, qPrintable(QString::number(pages)));

    // Progress after each page; stopping leaves no PDF behind.
    QList<int> reported;
    renderer.setProgress([&](int done) {
        reported << done;
        return done < 2;
    });
    const QString stopped = folder.filePath(QStringLiteral("stopped.pdf"));
    QVERIFY(!renderer.renderToPdf(small, LinesOfT01, {QStringLiteral("T01")}, stopped));
    QCOMPARE(reported, (QList<int>{1, 2}));
    QVERIFY(!QFile::exists(stopped));

    // The progress dialog's cancel button stops printing.
    bool sawDialog = false;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qApp->findChild<QProgressDialog*>(QStringLiteral("reportProgress"))) {
            sawDialog = true;
            dialog->cancel();
        }
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == u"reportProgress") {
                sawDialog = true;
                static_cast<QProgressDialog*>(widget)->cancel();
            }
        }
    });
    QPdfWriter cancelled(folder.filePath(QStringLiteral("cancelled.pdf")));
    QCOMPARE(RenderWithProgress(db, small, LinesOfT01, {QStringLiteral("T01")}, cancelled, pages,
                                nullptr),
             0);
    QVERIFY(sawDialog);
    QPdfWriter whole(folder.filePath(QStringLiteral("whole.pdf")));
    QCOMPARE(
        RenderWithProgress(db, small, LinesOfT01, {QStringLiteral("T01")}, whole, pages, nullptr),
        pages);

    // Beyond the preview's limit the operator is asked first, and the report
    // goes to the printer without preview; within it, the preview shows it.
    ScriptedPrompter prompter;
    ScriptedReportPreviewer previewer;
    small.pageSizeMm = QSizeF(120, 28);
    addLines(db, 600);
    QPrinter printer(QPrinter::HighResolution);
    const int many = ReportRenderer::pageCount(small, 660, printer);
    QVERIFY2(many > PreviewPageLimit, qPrintable(QString::number(many)));
    ShowReportPreview(db, small, LinesOfT01, {QStringLiteral("T01")});
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("共%1页,确定要打印吗?").arg(many)});
    QVERIFY(previewer.shown().isEmpty());
    prompter.clear();
    prompter.queueAnswer(true);
    ShowReportPreview(db, small, LinesOfT01, {QStringLiteral("T01")});
    QCOMPARE(previewer.shown().size(), 1);
    QCOMPARE(previewer.shown().first().pages, many);
    ShowReportPreview(db, boardLayout(), LinesOfT01, {QStringLiteral("T01")});
    QCOMPARE(previewer.shown().size(), 2);
    QCOMPARE(previewer.shown().last().pages, 0);
    QCOMPARE(prompter.shown().size(), 1);
}

void TestReport::computedColumnsNeedTheirKind()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    const Money total = addLines(db, 5);
    QTemporaryDir folder;
    ReportRenderer renderer(db);
    const QString perTag =
        QStringLiteral("select 手牌号码, sum(合计) as 金额 from 手牌消费 group by 手牌号码");
    ReportLayout layout;
    layout.name = QStringLiteral("金额");
    layout.columns = {
        ReportColumn::of(QStringLiteral("手牌号码"), QStringLiteral("手牌号码"), 30,
                         GridFormat::Text),
        ReportColumn::of(QStringLiteral("金额"), QStringLiteral("金额"), 30, GridFormat::Money)};
    layout.summary << ReportLine{ReportItem::sum(QStringLiteral("总计:"), QStringLiteral("金额"))};
    const QString path = folder.filePath(QStringLiteral("computed.pdf"));
    QVERIFY(renderer.renderToPdf(layout, perTag, {}, path));
    const QString text = pdfText(path);
    QVERIFY2(text.contains(total.toString()), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("总计:") + total.toString()), qPrintable(text));
    QVERIFY(!text.contains(QString::number(total.ticks())));

    // Undeclared: a mistake of the screen, caught before anything is written.
    layout.columns.last().format = GridFormat::Auto;
    const QString undeclared = folder.filePath(QStringLiteral("undeclared.pdf"));
    QVERIFY_THROWS_EXCEPTION(std::logic_error,
                             renderer.renderToPdf(layout, perTag, {}, undeclared));
    QVERIFY(!QFile::exists(undeclared));
}

QTEST_MAIN(TestReport)
#include "tst_report.moc"
