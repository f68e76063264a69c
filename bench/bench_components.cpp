// Shared components under load: the spreadsheet export of 100,000 rows, the
// grid opening a million rows with footer sums, a 10,000-row report as PDF.
#include "support/BareQuery.h"
#include "support/BenchReport.h"

#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "common/ReportRenderer.h"
#include "common/SpreadsheetExport.h"
#include "platform/ConnectionDescription.h"
#include "platform/Database.h"
#include "platform/Schema.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <vector>

#include <cstdio>
#include <ctime>

using namespace shoupai;

namespace {

constexpr qint64 BillCount = 1000000;

// Fills 结帐管理 with `count` bills in one statement: numbers, tags, times,
// amounts in ten-thousandths, and a remark on every tenth bill.
void fillBills(Database& db, qint64 count)
{
    const QString twoDigits = QStringLiteral("substr('0' || (%1), -2)");
    const QString moment =
        QStringLiteral("'2025-' || %1 || '-' || %2 || ' ' || %3 || ':' || %4 || ':00'")
            .arg(twoDigits.arg(QStringLiteral("1 + i % 12")),
                 twoDigits.arg(QStringLiteral("1 + i % 28")),
                 twoDigits.arg(QStringLiteral("i % 24")), twoDigits.arg(QStringLiteral("i % 60")));
    db.exec(QStringLiteral(
                "insert into 结帐管理 (单据号, 手牌号码, 进店时间, 实收金额, 卡内扣除, 消费金额, "
                "结帐方式, 状态, 结帐时间, 顾客姓名, 营业员, 备注) "
                "with recursive n(i) as (select 1 union all select i + 1 from n where i < ?) "
                "select substr('0000000' || i, -8), 'A' || (i % 1000), %1, (i % 5000) * 2500, "
                "case when i % 3 = 0 then (i % 700) * 10000 else 0 end, (i % 5000) * 2500 + 5000, "
                "case when i % 3 = 0 then '会员卡' else '现金' end, '已结', %1, "
                "case when i % 4 = 0 then '散客' else '会员' || (i % 9000) end, "
                "'收银员' || (i % 5), case when i % 10 = 0 then '备注第' || i || '单' end from n")
                .arg(moment),
            {count});
}

// Peak resident memory since the last reset, in megabytes.
double peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

// Processor time of the process in seconds: on a shared machine the wall
// clock also counts what other processes take.
double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + now.tv_nsec / 1e9;
}

void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

const QString RecordColumns = QStringLiteral(
    "id, 单据号, 手牌号码, 进店时间, 实收金额, 卡内扣除, 消费金额, 结帐方式, 状态, 结帐时间, "
    "顾客姓名, 营业员, 备注");

// "yyyy-MM-dd HH:mm:ss" as the workbook's date-time, digit by digit.
lxw_datetime stamp(const QString& text)
{
    const auto number = [&text](int from, int length) {
        int value = 0;
        for (int i = from; i < from + length && i < text.size(); ++i)
            value = value * 10 + (text.at(i).unicode() - u'0');
        return value;
    };
    return lxw_datetime{number(0, 4),  number(5, 2),  number(8, 2),
                        number(11, 2), number(14, 2), double(number(17, 2))};
}

// The export's floor: the same rows written straight into a workbook, each
// column by its kind, with no model, no width measuring and no checks.
double bareExportSeconds(const QString& databaseFile, const QString& folder)
{
    bench::BareConnection bare(databaseFile);
    const QByteArray scratch = QFile::encodeName(folder);
    const QByteArray path = QFile::encodeName(folder + QStringLiteral("/bare.xlsx"));
    QElapsedTimer timer;
    timer.start();
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char*>(scratch.constData());
    options.use_zip64 = LXW_FALSE;
    lxw_workbook* workbook = workbook_new_opt(path.constData(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
    lxw_format* money = workbook_add_format(workbook);
    format_set_num_format(money, "0.00##");
    lxw_format* moment = workbook_add_format(workbook);
    format_set_num_format(moment, "yyyy-mm-dd hh:mm:ss");
    QSqlQuery query(bare.database());
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("select %1 from 结帐管理 where id <= ? order by id").arg(RecordColumns));
    query.addBindValue(100000);
    if (!query.exec())
        qFatal("bare export: the statement failed");
    enum Kind
    {
        Whole,
        Text,
        Amount,
        Moment
    };
    const Kind kinds[] = {Whole, Text, Text,   Moment, Amount, Amount, Amount,
                          Text,  Text, Moment, Text,   Text,   Text};
    const QSqlRecord record = query.record();
    for (int c = 0; c < record.count(); ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), record.fieldName(c).toUtf8().constData(),
                               nullptr);
    lxw_row_t row = 0;
    while (query.next()) {
        ++row;
        for (int c = 0; c < record.count(); ++c) {
            const QVariant value = query.value(c);
            if (value.isNull())
                continue;
            switch (kinds[c]) {
            case Whole:
                worksheet_write_number(sheet, row, lxw_col_t(c), value.toDouble(), nullptr);
                break;
            case Amount:
                worksheet_write_number(sheet, row, lxw_col_t(c),
                                       double(value.toLongLong()) / Money::Scale, money);
                break;
            case Moment: {
                lxw_datetime when = stamp(value.toString());
                worksheet_write_datetime(sheet, row, lxw_col_t(c), &when, moment);
                break;
            }
            case Text:
                worksheet_write_string(sheet, row, lxw_col_t(c),
                                       value.toString().toUtf8().constData(), nullptr);
                break;
            }
        }
    }
    if (workbook_close(workbook) != LXW_NO_ERROR || row != 100000)
        qFatal("bare export: the workbook was not written whole");
    const double seconds = timer.nsecsElapsed() / 1e9;
    QFile::remove(QString::fromLocal8Bit(path));
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ConsolePrompter prompter;

    QTemporaryDir folder;
    Database db;
    const QString file = folder.filePath(QStringLiteral("components.db"));
    if (!db.open(
            ConnectionDescription::parse(QStringLiteral("Provider=SQLite;Data Source=") + file),
            folder.path())) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(db.lastError()));
        return 1;
    }
    Schema::create(db);
    fillBills(db, BillCount);

    // Export: 100,000 rows x 13 columns into a workbook, against the same rows
    // written bare; the two alternate.
    {
        ScriptedSpreadsheetDesktop desktop(folder.path());
        SpreadsheetExportOptions options;
        options.name = QStringLiteral("帐单记录");
        options.table = QStringLiteral("结帐管理");
        std::vector<double> exports, floors;
        double cpuSpent = 0;
        double peak = 0;
        for (int run = 0; run < 3; ++run) {
            resetPeak();
            const double cpu = cpuSeconds();
            QElapsedTimer timer;
            timer.start();
            const auto result = ExportQueryToSpreadsheet(
                db,
                QStringLiteral("select %1 from 结帐管理 where id <= ? order by id")
                    .arg(RecordColumns),
                {100000}, options);
            exports.push_back(timer.nsecsElapsed() / 1e9);
            cpuSpent = cpuSeconds() - cpu;
            peak = peakMegabytes();
            if (!result.written)
                return 1;
            QFile::remove(result.path);
            floors.push_back(bareExportSeconds(file, folder.path()));
        }
        bench::reportAgainstFloor(QStringLiteral("export_100k_s"), bench::median(exports),
                                  bench::median(floors));
        bench::report(QStringLiteral("export_100k_cpu_s"), cpuSpent, QStringLiteral("s"));
        bench::report(QStringLiteral("export_100k_peak_mb"), peak, QStringLiteral("MB"));
    }

    // Grid: a million rows, the count and two sums in the footer, first rows painted.
    {
        DataGrid grid(db);
        grid.setKindTable(QStringLiteral("结帐管理"));
        grid.setColumns({
            GridColumn::plain(QStringLiteral("id")).withFooter(GridSummary::Count),
            GridColumn::plain(QStringLiteral("单据号")),
            GridColumn::plain(QStringLiteral("手牌号码")),
            GridColumn::plain(QStringLiteral("进店时间")),
            GridColumn::money(QStringLiteral("实收金额")).withFooter(GridSummary::Sum),
            GridColumn::plain(QStringLiteral("卡内扣除")),
            GridColumn::money(QStringLiteral("消费金额")).withFooter(GridSummary::Sum),
            GridColumn::plain(QStringLiteral("结帐时间")),
            GridColumn::plain(QStringLiteral("营业员")),
        });
        grid.resize(1200, 700);
        grid.show();
        QApplication::processEvents();
        std::vector<double> opens, opensCpu, footers;
        for (int run = 0; run < 5; ++run) {
            const double cpu = cpuSeconds();
            QElapsedTimer timer;
            timer.start();
            grid.setQuery(QStringLiteral("select %1 from 结帐管理").arg(RecordColumns));
            grid.view()->viewport()->repaint();
            grid.repaint();
            opens.push_back(bench::elapsedMs(timer));
            opensCpu.push_back((cpuSeconds() - cpu) * 1000);
            // The footer sums follow once the rows are on the screen.
            while (grid.model()->footersPending())
                QApplication::processEvents();
            grid.repaint();
            footers.push_back(bench::elapsedMs(timer));
            if (grid.recordCount() != BillCount ||
                grid.footerText(QStringLiteral("实收金额")).isEmpty())
                return 1;
        }
        // The floors: the first rows and the count; then the count and both sums
        // in one pass.
        bench::BareConnection bare(file);
        const QString firstRows =
            QStringLiteral("select %1 from 结帐管理 limit %2").arg(RecordColumns).arg(256);
        const double openFloor = bench::medianMs(5, [&] {
            bare.readToEnd(firstRows);
            bare.readToEnd(QStringLiteral("select count(*) from 结帐管理"));
        });
        const double footersFloor = bench::medianMs(5, [&] {
            bare.readToEnd(firstRows);
            bare.readToEnd(
                QStringLiteral("select count(*), sum(实收金额), sum(消费金额) from 结帐管理"));
        });
        bench::reportAgainstFloor(QStringLiteral("grid_open_1m_ms"), bench::median(opens),
                                  openFloor);
        bench::report(QStringLiteral("grid_open_1m_cpu_ms"), bench::median(opensCpu),
                      QStringLiteral("ms"));
        bench::reportAgainstFloor(QStringLiteral("grid_footers_1m_ms"), bench::median(footers),
                                  footersFloor);

        QElapsedTimer timer;
        // Dragging the scroll bar to the end: the last rows are read by offset.
        timer.start();
        grid.view()->scrollToBottom();
        grid.view()->viewport()->repaint();
        bench::report(QStringLiteral("grid_scroll_end_1m_ms"), timer.nsecsElapsed() / 1e6,
                      QStringLiteral("ms"));
    }

    // Report: 10,000 rows as the bill records report, to a PDF file.
    {
        ReportLayout layout;
        layout.name = QStringLiteral("帐单记录");
        layout.table = QStringLiteral("结帐管理");
        layout.titles << QStringLiteral("帐单记录    [DATE]");
        layout.columns = {
            ReportColumn::of(QStringLiteral("id"), QStringLiteral("ID编号"), 18),
            ReportColumn::of(QStringLiteral("单据号"), QStringLiteral("单据号"), 22),
            ReportColumn::of(QStringLiteral("手牌号码"), QStringLiteral("会员卡号"), 22),
            ReportColumn::of(QStringLiteral("顾客姓名"), QStringLiteral("顾客姓名")),
            ReportColumn::of(QStringLiteral("消费金额"), QStringLiteral("消费金额"), 24),
            ReportColumn::of(QStringLiteral("实收金额"), QStringLiteral("实收金额"), 24),
            ReportColumn::of(QStringLiteral("营业员"), QStringLiteral("营业员"), 22),
        };
        layout.summary << ReportLine{
            ReportItem::label(QStringLiteral("[DATE] [TIME]")),
            ReportItem::sum(QStringLiteral("消费金额:"), QStringLiteral("消费金额")),
            ReportItem::sum(QStringLiteral("实收金额:"), QStringLiteral("实收金额"))};
        layout.footers << QStringLiteral("打印日期:[DATE]");
        ReportRenderer renderer(db);
        const QString pdf = folder.filePath(QStringLiteral("records.pdf"));
        const double cpu = cpuSeconds();
        QElapsedTimer timer;
        timer.start();
        const bool written = renderer.renderToPdf(
            layout,
            QStringLiteral("select %1 from 结帐管理 where id <= ? order by id").arg(RecordColumns),
            {10000}, pdf);
        const double seconds = timer.nsecsElapsed() / 1e9;
        if (!written)
            return 1;
        bench::report(QStringLiteral("report_10k_pdf_s"), seconds, QStringLiteral("s"));
        bench::report(QStringLiteral("report_10k_pdf_cpu_s"), cpuSeconds() - cpu,
                      QStringLiteral("s"));
    }
    return 0;
}
