// Commissions and wages on the synthetic history: the statistics over a month
// and over all time beside their bare statements, and the pay screen's opening
// and payment for one employee.

#include "app/Session.h"
#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "platform/Database.h"
#include "platform/Schema.h"
#include "platform/SchemaUpgrades.h"
#include "staff/CommissionQueries.h"
#include "staff/FwsTcTjUt.h"
#include "staff/WagePayment.h"
#include "support/BenchReport.h"
#include "support/SyntheticHistory.h"

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
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

    // A history file made before the schema kept its version is left alone at
    // start-up; give it the indexes the upgrade steps add (each step is repeatable).
    if (Schema::storedVersion(db) < Schema::currentVersion()) {
        Transaction transaction(db);
        for (const UpgradeStep& step : upgradeSteps())
            step.apply(db);
        transaction.commit();
    }

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
        bench::report(QStringLiteral("commission_open_ratio"), ms / std::max(floorMs, 0.001),
                      QStringLiteral("x"));
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
        bench::report(QStringLiteral("pay_commit_ms"), double(timer.nsecsElapsed()) / 1e6,
                      QStringLiteral("ms"));
        if (outcome.status != PayOutcome::Status::Paid)
            QTextStream(stderr) << "payment not made: " << outcome.message << "\n";
    }
    return 0;
}
