// Shared components under load: the spreadsheet export of 100,000 rows, the
// grid opening a million rows with footer sums, a 10,000-row report as PDF.
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
#include <QTableView>
#include <QTemporaryDir>

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

    // Export: 100,000 rows x 13 columns into a workbook.
    {
        ScriptedSpreadsheetDesktop desktop(folder.path());
        SpreadsheetExportOptions options;
        options.name = QStringLiteral("帐单记录");
        options.table = QStringLiteral("结帐管理");
        resetPeak();
        const double cpu = cpuSeconds();
        QElapsedTimer timer;
        timer.start();
        const auto result = ExportQueryToSpreadsheet(
            db,
            QStringLiteral("select %1 from 结帐管理 where id <= ? order by id").arg(RecordColumns),
            {100000}, options);
        const double seconds = timer.nsecsElapsed() / 1e9;
        if (!result.written)
            return 1;
        bench::report(QStringLiteral("export_100k_s"), seconds, QStringLiteral("s"));
        bench::report(QStringLiteral("export_100k_cpu_s"), cpuSeconds() - cpu, QStringLiteral("s"));
        bench::report(QStringLiteral("export_100k_peak_mb"), peakMegabytes(), QStringLiteral("MB"));
        QFile::remove(result.path);
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
        const double cpu = cpuSeconds();
        QElapsedTimer timer;
        timer.start();
        grid.setQuery(QStringLiteral("select %1 from 结帐管理").arg(RecordColumns));
        grid.view()->viewport()->repaint();
        grid.repaint();
        const double ms = timer.nsecsElapsed() / 1e6;
        const double cpuMs = (cpuSeconds() - cpu) * 1000;
        // The footer sums follow once the rows are on the screen.
        while (grid.model()->footersPending())
            QApplication::processEvents();
        grid.repaint();
        const double footersMs = timer.nsecsElapsed() / 1e6;
        if (grid.recordCount() != BillCount ||
            grid.footerText(QStringLiteral("实收金额")).isEmpty())
            return 1;
        bench::report(QStringLiteral("grid_open_1m_ms"), ms, QStringLiteral("ms"));
        bench::report(QStringLiteral("grid_open_1m_cpu_ms"), cpuMs, QStringLiteral("ms"));
        bench::report(QStringLiteral("grid_footers_1m_ms"), footersMs, QStringLiteral("ms"));

        // Dragging the scroll bar to the end: the last rows are read by offset.
        timer.restart();
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
