// Queries and statistics on the synthetic history: a month's revenue, a year's
// and the whole history's sales per item, a year's revenue chart per month and
// the member query's opening. Each figure is set beside its floor: the bare
// statement read to the end in the same run.

#include "app/Session.h"
#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "platform/Database.h"
#include "queries/CountProfitUt.h"
#include "queries/HYConsumeCxUt.h"
#include "queries/ItemCountUt.h"
#include "queries/SalesChartData.h"
#include "queries/SalesFigures.h"
#include "support/BenchReport.h"
#include "support/SyntheticHistory.h"

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <vector>

using namespace shoupai;

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

double timed(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

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
    bench::report(name + QStringLiteral("_ratio"), ms / std::max(floorMs, 0.001),
                  QStringLiteral("x"));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ConsolePrompter prompter;

    QTemporaryDir home;
    const QString shared = bench::syntheticHistorySqlite();
    if (shared.isEmpty()) {
        QTextStream(stderr) << "no synthetic history\n";
        return 1;
    }
    QFile::copy(shared, QDir(home.path()).filePath(QStringLiteral("data.db")));
    {
        QFile ini(QDir(home.path()).filePath(QStringLiteral("system.ini")));
        if (!ini.open(QIODevice::WriteOnly))
            return 1;
        ini.write("[part1]\nabc=a\ncsaccess=Provider=SQLite;Data Source=data.db\n");
    }
    Session session;
    session.start(home.path());
    session.operatorName = QStringLiteral("超级管理员");
    Database& db = session.database();
    if (!db.isOpen())
        return 1;

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
        const double ms = timed(7, [&] {
            form.FreshDate();
            form.grid()->footerText(QStringLiteral("实收金额"));
            form.grid()->value(0, QStringLiteral("单据号"));
        });
        const BoundStatement floor{
            QStringLiteral("select count(*), sum(实收金额) from 结帐管理 where 状态 = ? and ") +
                month.condition(QStringLiteral("结帐时间")),
            QVariantList{sales::paidState()} + month.parameters()};
        reportPair(QStringLiteral("revenue_month"), ms, timed(7, [&] { readAll(db, floor); }));
    }

    // A year of sales per item, and the opening over the whole history.
    {
        const BoundStatement yearItems = sales::itemTotals(year, {});
        const double floorYear = timed(3, [&] { readAll(db, yearItems); });
        TItemCountFm form(session);
        form.fromDate()->setDate(year.start().date());
        form.toDate()->setDate(lastDay);
        reportPair(QStringLiteral("items_year"), timed(3, [&] { form.FreshDate(); }), floorYear);

        const BoundStatement all =
            sales::itemTotals(*DayPeriod::of(QDate(2000, 1, 1), QDate::currentDate()), {});
        const double floorAll = timed(3, [&] { readAll(db, all); });
        const double open = timed(3, [&] { TItemCountFm opened(session); });
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
        const double floorMs = timed(3, [&] { readAll(db, floor); });
        const double ms = timed(3, [&] { salescharts::revenueBars(db, year); });
        reportPair(QStringLiteral("chart_year"), ms, floorMs, false);
    }

    // The member query's opening: every bill, first rows and footers.
    {
        const double ms = timed(5, [&] {
            THYConsumeCXFm form(session);
            form.grid()->footerText(QStringLiteral("消费金额"));
            form.grid()->value(0, QStringLiteral("单据号"));
        });
        bench::report(QStringLiteral("member_query_open_ms"), ms, QStringLiteral("ms"));
    }
    return 0;
}
