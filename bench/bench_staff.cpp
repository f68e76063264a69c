// Commissions and wages on the synthetic history: the statistics over a month
// and over all time beside their bare statements, and the pay screen's opening
// and payment for one employee.

#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "platform/Database.h"
#include "staff/CommissionQueries.h"
#include "staff/FwsTcTjUt.h"
#include "staff/WagePayment.h"
#include "support/BenchReport.h"
#include "support/HistoryVenue.h"

#include <QApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QTextStream>

using namespace shoupai;

namespace {

void readAll(const Database& db, const StaffStatement& statement)
{
    Rows rows = db.query(statement.sql, statement.parameters);
    while (rows.next()) {
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ConsolePrompter prompter;

    bench::HistoryVenue venue(bench::VenueSetup().withoutPermissions());
    if (!venue.ready())
        return 1;
    Session& session = venue.session();
    Database& db = venue.database();

    const QDate lastDay =
        stored::toDateTime(db.scalar(QStringLiteral("select max(消费时间) from 结帐明细"))).date();
    const QDate monthStart = QDate(lastDay.year(), lastDay.month(), 1).addMonths(-1);
    const DayPeriod month = *DayPeriod::of(monthStart, monthStart.addMonths(1).addDays(-1));

    // "查询" over one month.
    {
        TFwsTcTjFm form(session);
        form.fromDate()->setDate(month.start().date());
        form.toDate()->setDate(month.end().date().addDays(-1));
        const StaffStatement bare = staffqueries::commissionTotals(month);
        const double floorMs = bench::medianMs(7, [&] { readAll(db, bare); });
        const double ms = bench::medianMs(7, [&] { form.Query(); });
        bench::reportAgainstFloor(QStringLiteral("commission_month_ms"), ms, floorMs);
    }

    // The opening over all time.
    {
        const StaffStatement bare = staffqueries::commissionTotals();
        const double floorMs = bench::medianMs(3, [&] { readAll(db, bare); });
        const double ms = bench::medianMs(3, [&] { TFwsTcTjFm opened(session); });
        bench::report(QStringLiteral("commission_open_ms"), ms, QStringLiteral("ms"));
        bench::reportRatio(QStringLiteral("commission_open_ratio"), ms, floorMs);
    }

    // The pay screen's figures and one payment of the first employee who served
    // (E01: tens of thousands of paid lines and the last month's unpaid ones).
    {
        QString code, grade;
        {
            // The sample venue's own employees come first by code and served
            // nothing: take the first employee who has served lines.
            Rows first = db.query(QStringLiteral(
                "select 员工编号, 员工等级 from 员工管理 e where exists (select 1 from 结帐明细 "
                "where 员工编号 = e.员工编号) order by 员工编号 limit 1"));
            if (first.next()) {
                code = first.text(QStringLiteral("员工编号"));
                grade = first.text(QStringLiteral("员工等级"));
            }
        }
        const auto linesOf = [&](const char* paid) {
            return db
                .scalar(QStringLiteral("select count(*) from 结帐明细 where 员工编号 = ? and "
                                       "tcyf = ?"),
                        {code, QString::fromLatin1(paid)})
                .toLongLong();
        };
        QTextStream(stderr) << "paying " << code << ": " << linesOf("1") << " paid and "
                            << linesOf("0") << " unpaid lines\n";
        WagePayment payment(db, {code, code, grade});
        PayFigures figures;
        bench::report(QStringLiteral("pay_open_ms"),
                      bench::medianMs(7, [&] { figures = payment.figures(); }),
                      QStringLiteral("ms"));
        PayRequest request;
        request.wage = figures.wage;
        request.commission = figures.commission;
        request.operatorName = session.operatorName;
        request.paidAt = QDateTime::currentDateTime();
        QElapsedTimer timer;
        timer.start();
        const PayOutcome outcome = payment.pay(request);
        bench::report(QStringLiteral("pay_commit_ms"), bench::elapsedMs(timer),
                      QStringLiteral("ms"));
        if (outcome.status != PayOutcome::Status::Paid)
            QTextStream(stderr) << "payment not made: " << outcome.message << "\n";
    }
    return 0;
}
