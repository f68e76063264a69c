#include "TestDatabase.h"
#include "common/DataGrid.h"
#include "common/GridOutput.h"
#include "common/Prompter.h"
#include "common/QueryTableModel.h"
#include "common/SpreadsheetExport.h"
#include "platform/Schema.h"

#include <QDir>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace shoupai;
using namespace shoupai::test;

namespace {

// One cell of the sheet as written: its type attribute, value, formula and format.
struct Cell
{
    QString type;
    QString value;
    QString formula;
    QString format; // number format code, empty for General
};

QByteArray unzipped(const QString& path, const QString& member)
{
    QProcess process;
    process.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, member});
    process.waitForFinished(60000);
    return process.readAllStandardOutput();
}

QStringList zipMembers(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("unzip"), {QStringLiteral("-Z1"), path});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

// The cells of the first worksheet by reference ("A1"), strings resolved.
QHash<QString, Cell> readSheet(const QString& path)
{
    QStringList shared;
    {
        QXmlStreamReader xml(unzipped(path, QStringLiteral("xl/sharedStrings.xml")));
        QString current;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == u"si")
                current.clear();
            else if (xml.isStartElement() && xml.name() == u"t")
                current += xml.readElementText();
            else if (xml.isEndElement() && xml.name() == u"si")
                shared << current;
        }
    }
    QHash<int, QString> numberFormats{{14, QStringLiteral("m/d/yyyy")}};
    QList<QString> cellFormats;
    {
        QXmlStreamReader xml(unzipped(path, QStringLiteral("xl/styles.xml")));
        bool inCellXfs = false;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == u"numFmt")
                numberFormats.insert(
                    xml.attributes().value(QStringLiteral("numFmtId")).toInt(),
                    xml.attributes().value(QStringLiteral("formatCode")).toString());
            else if (xml.isStartElement() && xml.name() == u"cellXfs")
                inCellXfs = true;
            else if (xml.isEndElement() && xml.name() == u"cellXfs")
                inCellXfs = false;
            else if (inCellXfs && xml.isStartElement() && xml.name() == u"xf")
                cellFormats << numberFormats.value(
                    xml.attributes().value(QStringLiteral("numFmtId")).toInt());
        }
    }
    QHash<QString, Cell> cells;
    QXmlStreamReader xml(unzipped(path, QStringLiteral("xl/worksheets/sheet1.xml")));
    QString reference;
    Cell cell;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"c") {
            reference = xml.attributes().value(QStringLiteral("r")).toString();
            cell = Cell();
            cell.type = xml.attributes().value(QStringLiteral("t")).toString();
            cell.format = cellFormats.value(xml.attributes().value(QStringLiteral("s")).toInt());
        } else if (xml.isStartElement() && xml.name() == u"v") {
            cell.value = xml.readElementText();
        } else if (xml.isStartElement() && xml.name() == u"f") {
            cell.formula = xml.readElementText();
        } else if (xml.isStartElement() && xml.name() == u"t") {
            cell.value += xml.readElementText(); // inline strings
        } else if (xml.isEndElement() && xml.name() == u"c") {
            if (cell.type == u"s")
                cell.value = shared.value(cell.value.toInt());
            cells.insert(reference, cell);
        }
    }
    return cells;
}

bool isText(const Cell& cell)
{
    return cell.type == u"s" || cell.type == u"inlineStr" || cell.type == u"str";
}

QStringList workbooksIn(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.xlsx")}, QDir::Files | QDir::Hidden);
}

double serial(const QDateTime& moment)
{
    return QDate(1899, 12, 30).daysTo(moment.date()) +
           moment.time().msecsSinceStartOfDay() / 86400000.0;
}

void addRows(Database& db)
{
    Schema::create(db);
    const QString insert = QStringLiteral(
        "insert into 结帐管理 (单据号, 进店时间, 实收金额, 消费金额, 状态, 营业员, 备注) "
        "values (?, ?, ?, ?, ?, ?, ?)");
    db.exec(insert,
            {QStringLiteral("0001"), QDateTime(QDate(2026, 3, 5), QTime(9, 30, 15)),
             QVariant::fromValue(*Money::parse(QStringLiteral("12.3456"))),
             QVariant::fromValue(*Money::parse(QStringLiteral("100"))), QStringLiteral("已结"),
             QStringLiteral("张三"), QStringLiteral("=SUM(A1:A9)")});
    db.exec(insert, {QStringLiteral("0002"), QDateTime(QDate(2026, 3, 6), QTime(0, 0)), QVariant(),
                     QVariant::fromValue(*Money::parse(QStringLiteral("0.5"))),
                     QStringLiteral("免单"), QVariant(), QStringLiteral("@备注 <b>&amp;")});
}

const QString Columns = QStringLiteral("select id, 单据号, 进店时间, 实收金额, 消费金额, 状态, "
                                       "营业员, 备注 from 结帐管理 order by id");

} // namespace

class TestSpreadsheetExport : public QObject
{
    Q_OBJECT
private slots:
    void writesTypedCellsAndOpensWorkbook();
    void columnRangeAndEmptyQuery();
    void noSpreadsheetProgramSaysWhereTheFileIs();
    void failureWhileWritingRemovesFile();
    void computedColumnsNeedTheirKind();
    void gridExportTakesTheGridsKindsAndOrder();
};

void TestSpreadsheetExport::writesTypedCellsAndOpensWorkbook()
{
    TestDatabase database;
    addRows(database.database());
    QTemporaryDir folder;
    ScriptedSpreadsheetDesktop desktop(folder.path());
    ScriptedPrompter prompter;

    SpreadsheetExportOptions options;
    options.name = QStringLiteral("帐单记录");
    options.table = QStringLiteral("结帐管理");
    const auto result = ExportQueryToSpreadsheet(database.database(), Columns, {}, options);
    QVERIFY(result.written);
    QVERIFY(result.opened);
    QCOMPARE(desktop.opened(), QStringList{result.path});
    QVERIFY(prompter.shown().isEmpty());
    // Named after the screen with date and time; no scratch file left beside it.
    QVERIFY(QFileInfo(result.path)
                .fileName()
                .contains(QRegularExpression(QStringLiteral("^帐单记录_\\d{8}_\\d{6}\\.xlsx$"))));
    QCOMPARE(workbooksIn(folder.path()), QStringList{QFileInfo(result.path).fileName()});
    QVERIFY(zipMembers(result.path).contains(QStringLiteral("xl/worksheets/sheet1.xml")));

    const auto cells = readSheet(result.path);
    // Row 1: the column names.
    const QStringList titles{QStringLiteral("id"),       QStringLiteral("单据号"),
                             QStringLiteral("进店时间"), QStringLiteral("实收金额"),
                             QStringLiteral("消费金额"), QStringLiteral("状态"),
                             QStringLiteral("营业员"),   QStringLiteral("备注")};
    for (int c = 0; c < titles.size(); ++c) {
        const QString reference = QChar(u'A' + c) + QStringLiteral("1");
        QVERIFY2(cells.contains(reference), qPrintable(reference));
        QCOMPARE(cells.value(reference).value.compare(titles.at(c), Qt::CaseInsensitive), 0);
        QVERIFY(isText(cells.value(reference)));
    }
    QVERIFY(!cells.contains(QStringLiteral("I1")));
    QVERIFY(!cells.contains(QStringLiteral("A4")));

    // Numbers stay numbers; a text that looks like a number stays text.
    QVERIFY(cells.value(QStringLiteral("A2")).type.isEmpty() ||
            cells.value(QStringLiteral("A2")).type == u"n");
    QVERIFY(isText(cells.value(QStringLiteral("B2"))));
    QCOMPARE(cells.value(QStringLiteral("B2")).value, QStringLiteral("0001"));
    // Date-times as spreadsheet dates; a date without time of day as a date.
    const Cell entered = cells.value(QStringLiteral("C2"));
    QVERIFY(!isText(entered));
    QCOMPARE(entered.value.toDouble(), serial(QDateTime(QDate(2026, 3, 5), QTime(9, 30, 15))));
    QCOMPARE(entered.format, QStringLiteral("yyyy-mm-dd hh:mm:ss"));
    QCOMPARE(cells.value(QStringLiteral("C3")).value.toDouble(),
             serial(QDate(2026, 3, 6).startOfDay()));
    QCOMPARE(cells.value(QStringLiteral("C3")).format, QStringLiteral("yyyy-mm-dd"));
    // Amounts from their stored ten-thousandths, with two to four decimals shown.
    QCOMPARE(cells.value(QStringLiteral("D2")).value.toDouble(), 12.3456);
    QCOMPARE(cells.value(QStringLiteral("D2")).format, QStringLiteral("0.00##"));
    QCOMPARE(cells.value(QStringLiteral("E3")).value.toDouble(), 0.5);
    QCOMPARE(cells.value(QStringLiteral("E3")).format, QStringLiteral("0.00##"));
    // NULL leaves the cell empty.
    QVERIFY(!cells.contains(QStringLiteral("D3")));
    QVERIFY(!cells.contains(QStringLiteral("G3")));
    // Text that starts like a formula is text, never a formula.
    const Cell formulaLike = cells.value(QStringLiteral("H2"));
    QVERIFY(isText(formulaLike));
    QVERIFY(formulaLike.formula.isEmpty());
    QCOMPARE(formulaLike.value, QStringLiteral("=SUM(A1:A9)"));
    QCOMPARE(cells.value(QStringLiteral("H3")).value, QStringLiteral("@备注 <b>&amp;"));
    QCOMPARE(cells.value(QStringLiteral("F3")).value, QStringLiteral("免单"));
    for (const Cell& cell : cells)
        QVERIFY(cell.formula.isEmpty());

    // Columns fitted: the date-time column is wider than the default.
    const QByteArray sheet = unzipped(result.path, QStringLiteral("xl/worksheets/sheet1.xml"));
    QVERIFY(sheet.contains("<cols>"));
    QRegularExpression dateColumn(QStringLiteral("<col min=\"3\" max=\"3\" width=\"([0-9.]+)\""));
    const auto match = dateColumn.match(QString::fromUtf8(sheet));
    QVERIFY(match.hasMatch());
    QVERIFY(match.captured(1).toDouble() >= 19);

    // A second export in the same second does not overwrite the first.
    const auto again = ExportQueryToSpreadsheet(database.database(), Columns, {}, options);
    QVERIFY(again.written);
    QVERIFY(again.path != result.path);
    QVERIFY(QFileInfo::exists(result.path));
}

void TestSpreadsheetExport::columnRangeAndEmptyQuery()
{
    TestDatabase database;
    addRows(database.database());
    QTemporaryDir folder;
    ScriptedSpreadsheetDesktop desktop(folder.path());
    ScriptedPrompter prompter;

    // Three columns and two rows fill A1 to C3; the query ends after its last row.
    Rows rows = database.database().query(Columns);
    const auto result = ExportQueryToSpreadsheet(rows, 1, 3);
    QVERIFY(result.written);
    QVERIFY(!rows.next());
    auto cells = readSheet(result.path);
    QCOMPARE(cells.size(), 8); // C3 is NULL
    QVERIFY(!cells.contains(QStringLiteral("C3")));
    QCOMPARE(cells.value(QStringLiteral("A1")).value, QStringLiteral("单据号"));
    QCOMPARE(cells.value(QStringLiteral("C1")).value, QStringLiteral("实收金额"));
    QCOMPARE(cells.value(QStringLiteral("A3")).value, QStringLiteral("0002"));
    // Without the table named, an amount is still known by its column name and
    // not written in stored ten-thousandths.
    QCOMPARE(cells.value(QStringLiteral("C2")).value.toDouble(), 12.3456);
    QCOMPARE(cells.value(QStringLiteral("C2")).format, QStringLiteral("0.00##"));
    QVERIFY(QFileInfo(result.path).fileName().startsWith(QStringLiteral("导出_")));

    // No rows: only the title row.
    Rows none = database.database().query(Columns + QStringLiteral(" limit 0"));
    const auto empty = ExportQueryToSpreadsheet(none, 0, 7);
    QVERIFY(empty.written);
    cells = readSheet(empty.path);
    QCOMPARE(cells.size(), 8);
    QVERIFY(cells.contains(QStringLiteral("H1")));
    QVERIFY(prompter.shown().isEmpty());
}

void TestSpreadsheetExport::noSpreadsheetProgramSaysWhereTheFileIs()
{
    TestDatabase database;
    addRows(database.database());
    QTemporaryDir folder;
    ScriptedSpreadsheetDesktop desktop(folder.path(), false);
    ScriptedPrompter prompter;

    const auto result = ExportQueryToSpreadsheet(database.database(), Columns, {});
    QVERIFY(result.written);
    QVERIFY(!result.opened);
    QCOMPARE(desktop.opened().size(), 1);
    QVERIFY(prompter.shown().size() >= 1);
    QCOMPARE(prompter.shown().first().kind, Prompter::Kind::Error);
    QCOMPARE(prompter.shown().first().text, QStringLiteral("系统没excel，不能导出Excel！"));
    QCOMPARE(prompter.shown().first().caption, QStringLiteral("错误"));
    // The operator learns where the workbook is, and it is there, complete.
    QVERIFY(prompter.texts().join(u'\n').contains(QDir::toNativeSeparators(result.path)));
    QVERIFY(QFileInfo::exists(result.path));
    QCOMPARE(readSheet(result.path).value(QStringLiteral("B3")).value, QStringLiteral("0002"));

    // A failing statement: its error, no file, nothing opened.
    prompter.clear();
    const auto failed =
        ExportQueryToSpreadsheet(database.database(), QStringLiteral("select * from 无此表"), {});
    QVERIFY(!failed.written);
    QCOMPARE(prompter.shown().size(), 1);
    QCOMPARE(prompter.shown().first().caption, QStringLiteral("错误"));
    QVERIFY(prompter.lastText().contains(QStringLiteral("无此表")));
    QCOMPARE(desktop.opened().size(), 1);
}

void TestSpreadsheetExport::failureWhileWritingRemovesFile()
{
    TestDatabase database;
    Database& db = database.database();
    addRows(db);
    for (int i = 0; i < 300; ++i)
        db.exec(QStringLiteral("insert into 结帐管理 (单据号, 营业员) values (?, ?)"),
                {QString::number(i), QStringLiteral("张三")});
    QTemporaryDir folder;
    ScriptedSpreadsheetDesktop desktop(folder.path());
    ScriptedPrompter prompter;

    // The statement fails part way through its rows (an overflow on one row),
    // after the first rows have been written.
    const QString failing =
        testBackend() == Backend::Sqlite
            ? QStringLiteral("select 单据号, case when id = 250 then abs(-9223372036854775807 - 1) "
                             "else id end as n from 结帐管理 order by id")
            : QStringLiteral("select 单据号, 1 / (id - 250) as n from 结帐管理 order by id");
    SpreadsheetExportOptions computed;
    computed.kinds.insert(QStringLiteral("n"), ColumnKind::Integer);
    const auto result = ExportQueryToSpreadsheet(db, failing, {}, computed);
    QVERIFY(!result.written);
    QVERIFY(!result.opened);
    QVERIFY(desktop.opened().isEmpty());
    QCOMPARE(prompter.shown().size(), 1);
    QCOMPARE(prompter.shown().first().kind, Prompter::Kind::Error);
    QCOMPARE(prompter.shown().first().caption, QStringLiteral("错误"));
    QVERIFY(prompter.lastText().startsWith(QStringLiteral("导出Excel失败:")));
    QVERIFY2(workbooksIn(folder.path()).isEmpty(),
             qPrintable(workbooksIn(folder.path()).join(u',')));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());

    // A folder that cannot be made: the error, and nothing written anywhere.
    prompter.clear();
    QFile blocker(folder.filePath(QStringLiteral("blocker")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ScriptedSpreadsheetDesktop blocked(folder.filePath(QStringLiteral("blocker/sub")));
    const auto nowhere = ExportQueryToSpreadsheet(db, Columns, {});
    QVERIFY(!nowhere.written);
    QCOMPARE(prompter.shown().size(), 1);
    QVERIFY(prompter.lastText().startsWith(QStringLiteral("导出Excel失败:")));
}

void TestSpreadsheetExport::computedColumnsNeedTheirKind()
{
    TestDatabase database;
    addRows(database.database());
    QTemporaryDir folder;
    ScriptedSpreadsheetDesktop desktop(folder.path());
    ScriptedPrompter prompter;
    const QString perState = QStringLiteral(
        "select 状态, sum(消费金额) as 金额, count(*) as 单数 from 结帐管理 group by 状态 "
        "order by 状态");

    SpreadsheetExportOptions options;
    options.kinds.insert(QStringLiteral("金额"), ColumnKind::Money);
    options.kinds.insert(QStringLiteral("单数"), ColumnKind::Integer);
    const auto result = ExportQueryToSpreadsheet(database.database(), perState, {}, options);
    QVERIFY(result.written);
    const auto cells = readSheet(result.path);
    // Ordered by state: 免单 (0.5) sorts before 已结 (100) by code point on both engines.
    QCOMPARE(cells.value(QStringLiteral("B2")).value.toDouble(), 0.5);
    QCOMPARE(cells.value(QStringLiteral("B3")).value.toDouble(), 100.0);
    QCOMPARE(cells.value(QStringLiteral("C2")).value, QStringLiteral("1"));

    // Undeclared: the screen's mistake, caught before a workbook is left behind.
    const QStringList before = workbooksIn(folder.path());
    options.kinds.remove(QStringLiteral("金额"));
    QVERIFY_THROWS_EXCEPTION(std::logic_error,
                             ExportQueryToSpreadsheet(database.database(), perState, {}, options));
    QCOMPARE(workbooksIn(folder.path()), before);
}

void TestSpreadsheetExport::gridExportTakesTheGridsKindsAndOrder()
{
    TestDatabase database;
    addRows(database.database());
    QTemporaryDir folder;
    ScriptedSpreadsheetDesktop desktop(folder.path());
    ScriptedPrompter prompter;
    DataGrid grid(database.database());
    // Nothing listed yet: no statement, no workbook.
    ExportGrid(database.database(), grid, {});
    QVERIFY(workbooksIn(folder.path()).isEmpty());

    // The computed amount is declared once, on the grid.
    grid.setColumns({GridColumn::plain(QStringLiteral("状态")),
                     GridColumn::money(QStringLiteral("金额")),
                     GridColumn::plain(QStringLiteral("单数")).as(GridFormat::Integer)});
    grid.setQuery(QStringLiteral("select 状态, sum(消费金额) as 金额, count(*) as 单数 "
                                 "from 结帐管理 group by 状态"));
    QVERIFY(grid.sortBy(QStringLiteral("金额"), Qt::DescendingOrder));
    ExportGrid(database.database(), grid, {});
    const QStringList written = workbooksIn(folder.path());
    QCOMPARE(written.size(), 1);
    const auto cells = readSheet(folder.filePath(written.first()));
    // In the grid's order (largest first), amounts as money, not ten-thousandths.
    QCOMPARE(cells.value(QStringLiteral("A2")).value, QStringLiteral("已结"));
    QCOMPARE(cells.value(QStringLiteral("B2")).value.toDouble(), 100.0);
    QCOMPARE(cells.value(QStringLiteral("B3")).value.toDouble(), 0.5);
    QCOMPARE(cells.value(QStringLiteral("C3")).value, QStringLiteral("1"));
}

QTEST_MAIN(TestSpreadsheetExport)
#include "tst_spreadsheetexport.moc"
