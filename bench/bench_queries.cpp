// Queries and statistics on the synthetic history: a month's revenue, a year's
// and the whole history's sales per item, a year's revenue chart per month and
// the member query's opening. Each figure is set beside its floor: the bare
// statement read to the end in the same run.

#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "platform/Database.h"
#include "queries/CountProfitUt.h"
#include "queries/HYConsumeCxUt.h"
#include "queries/ItemCountUt.h"
#include "queries/SalesChartData.h"
#include "queries/SalesFigures.h"
#include "support/BenchReport.h"
#include "support/HistoryVenue.h"

#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QTextStream>

using namespace shoupai;

namespace {

// The bare statement read to its last row.
void readAll(const Database& db, const BoundStatement& statement)
{
    Rows rows = db.query(statement.sql, statement.parameters);
    while (rows.next()) {
    }
}

void reportPair(const QString& name, double ms, double floorMs, bool withFloor = true)
{
    bench::report(name + QStringLiteral("_ms"), ms, QStringLiteral("ms"));
    if (withFloor)
        bench::report(name + QStringLiteral("_floor_ms"), floorMs, QStringLiteral("ms"));
    bench::reportRatio(name + QStringLiteral("_ratio"), ms, floorMs);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ConsolePrompter prompter;

    bench::HistoryVenue venue(bench::VenueSetup().withoutPermissions().notUpgraded());
    if (!venue.ready())
        return 1;
    Session& session = venue.session();
    Database& db = venue.database();

    const QDateTime last = stored::toDateTime(
        db.scalar(QStringLiteral("select 结帐时间 from 结帐管理 order by 结帐时间 desc limit 1")));
    const QDate lastDay = last.date();
    const QDate monthStart = QDate(lastDay.year(), lastDay.month(), 1).addMonths(-1);
    const DayPeriod month = *DayPeriod::of(monthStart, monthStart.addMonths(1).addDays(-1));
    const DayPeriod year = *DayPeriod::of(lastDay.addYears(-1).addDays(1), lastDay);
    QTextStream(stderr) << "queries bench up to " << lastDay.toString(Qt::ISODate) << "\n";

    // A month's revenue: first rows, footers and the revenue figure.
    {
        TCountProfitFm form(session);
        form.fromDate()->setDate(month.start().date());
        form.toDate()->setDate(month.end().date().addDays(-1));
        const double ms = bench::medianMs(7, [&] {
            form.FreshDate();
            form.grid()->footerText(QStringLiteral("实收金额"));
            form.grid()->value(0, QStringLiteral("单据号"));
        });
        const BoundStatement floor{
            QStringLiteral("select count(*), sum(实收金额) from 结帐管理 where 状态 = ? and ") +
                month.condition(QStringLiteral("结帐时间")),
            QVariantList{sales::paidState()} + month.parameters()};
        reportPair(QStringLiteral("revenue_month"), ms,
                   bench::medianMs(7, [&] { readAll(db, floor); }));
    }

    // A year of sales per item, and the opening over the whole history.
    {
        const BoundStatement yearItems = sales::itemTotals(year, {});
        const double floorYear = bench::medianMs(3, [&] { readAll(db, yearItems); });
        TItemCountFm form(session);
        form.fromDate()->setDate(year.start().date());
        form.toDate()->setDate(lastDay);
        reportPair(QStringLiteral("items_year"), bench::medianMs(3, [&] { form.FreshDate(); }),
                   floorYear);

        const BoundStatement all =
            sales::itemTotals(*DayPeriod::of(QDate(2000, 1, 1), QDate::currentDate()), {});
        const double floorAll = bench::medianMs(3, [&] { readAll(db, all); });
        const double open = bench::medianMs(3, [&] { TItemCountFm opened(session); });
        reportPair(QStringLiteral("items_open"), open, floorAll, false);
    }

    // A year's revenue chart, per month.
    {
        const QString key = db.dialect().dateKey(QStringLiteral("结帐时间"), DateKey::Month);
        const BoundStatement floor{
            QStringLiteral(
                "select %1, sum(实收金额) from 结帐管理 where 状态 = ? and %2 group by %1")
                .arg(key, year.condition(QStringLiteral("结帐时间"))),
            QVariantList{sales::paidState()} + year.parameters()};
        const double floorMs = bench::medianMs(3, [&] { readAll(db, floor); });
        const double ms = bench::medianMs(3, [&] { salescharts::revenueBars(db, year); });
        reportPair(QStringLiteral("chart_year"), ms, floorMs, false);
    }

    // The member query's opening: every bill, first rows and footers.
    {
        const double ms = bench::medianMs(5, [&] {
            THYConsumeCXFm form(session);
            form.grid()->footerText(QStringLiteral("消费金额"));
            form.grid()->value(0, QStringLiteral("单据号"));
        });
        bench::report(QStringLiteral("member_query_open_ms"), ms, QStringLiteral("ms"));
    }
    return 0;
}
