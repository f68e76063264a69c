// Whole-history actions on a million bills: printing every record to PDF
// (peak memory) and grouping the bill records grid by bill number, against a
// bare `group by` of the same rows read through QtSql.

#include "billing/CxJzJlUt.h"
#include "common/DataGrid.h"
#include "common/GridColumn.h"
#include "common/Prompter.h"
#include "common/ReportRenderer.h"
#include "platform/Database.h"
#include "platform/Schema.h"
#include "support/BenchReport.h"
#include "support/HistoryVenue.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>

#include <sys/resource.h>

#include <vector>

using namespace shoupai;

namespace {

// Peak resident memory of the process so far, in megabytes.
double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ScriptedPrompter prompter;

    const bench::HistoryCopy copy;
    if (!copy.copied())
        return 1;
    const QString dataPath = copy.dataPath();
    Database db;
    if (!db.open(ConnectionDescription::parse(
                     QStringLiteral("Provider=SQLite;Data Source=%1").arg(dataPath)),
                 copy.folder()))
        return 1;

    // Grouping by bill number: one `group by`, refused beyond the limit
    // without holding the groups.
    {
        std::vector<double> grouped;
        std::vector<double> floor;
        for (int run = 0; run < 3; ++run) {
            DataGrid grid(db);
            grid.setKindTable(QStringLiteral("结帐管理"));
            grid.setKeyColumns({QStringLiteral("id")});
            grid.setColumns(
                {GridColumn::plain(QStringLiteral("id")),
                 GridColumn::plain(QStringLiteral("单据号")),
                 GridColumn::money(QStringLiteral("实收金额")).withGroupSummary(GridSummary::Sum),
                 GridColumn::money(QStringLiteral("消费金额")).withGroupSummary(GridSummary::Sum)});
            grid.setQuery(QStringLiteral("select * from 结帐管理"));
            QElapsedTimer timer;
            timer.start();
            bool refused = false;
            try {
                grid.groupBy(QStringLiteral("单据号"));
            } catch (const GroupingRefused&) {
                refused = true;
            }
            grouped.push_back(bench::elapsedMs(timer));
            if (!refused)
                return 1;

            timer.restart();
            QSqlQuery bare(db.connection());
            bare.setForwardOnly(true);
            if (!bare.exec(QStringLiteral("select 单据号, count(*), sum(实收金额), sum(消费金额) "
                                          "from 结帐管理 group by 单据号")))
                return 1;
            qint64 groups = 0;
            while (bare.next())
                ++groups;
            floor.push_back(bench::elapsedMs(timer));
            if (groups <= QueryTableModel::MaxGroups)
                return 1;
        }
        bench::reportAgainstFloor(QStringLiteral("group_by_bill_1m_ms"), bench::median(grouped),
                                  bench::median(floor));
    }

    // "打印全部记录" of the whole history into a PDF file, page by page.
    {
        const double before = peakMegabytes();
        ReportRenderer renderer(db);
        const QString pdf = QDir(copy.folder()).filePath(QStringLiteral("all.pdf"));
        QElapsedTimer timer;
        timer.start();
        if (!renderer.renderToPdf(TCxJzJlFm::recordsReport(),
                                  QStringLiteral("select * from 结帐管理 order by 结帐时间, id"),
                                  {}, pdf))
            return 1;
        bench::report(QStringLiteral("report_1m_s"), timer.nsecsElapsed() / 1e9,
                      QStringLiteral("s"));
        bench::report(QStringLiteral("report_1m_peak_mb"), peakMegabytes(), QStringLiteral("MB"));
        bench::report(QStringLiteral("report_1m_before_mb"), before, QStringLiteral("MB"));
        QFile::remove(pdf);
    }
    return 0;
}
