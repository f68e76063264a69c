// Administration: emptying the business records of the synthetic history
// (1M bills, 5M lines) beside the same two deletes done bare on a second copy,
// one password hash at the program's cost, and saving a new administrator
// beside that hash (the save is one hash and a few small statements).

#include "admin/Administrators.h"
#include "admin/DataClearing.h"
#include "common/Prompter.h"
#include "platform/Database.h"
#include "platform/PasswordHash.h"
#include "support/BareQuery.h"
#include "support/BenchReport.h"
#include "support/HistoryVenue.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>

using namespace shoupai;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ConsolePrompter prompter;

    // Two copies, made before anything is timed: one for the floor, one for the program.
    bench::HistoryCopy floorCopy;
    if (!floorCopy.copied()) {
        QTextStream(stderr) << floorCopy.failure() << "\n";
        return 1;
    }
    bench::HistoryVenue venue(bench::VenueSetup()
                                  .as(administrators::SuperAdministrator)
                                  .withoutPermissions()
                                  .notUpgraded());
    if (!venue.ready())
        return 1;
    Session& session = venue.session();
    Database& db = venue.database();

    // One hash at the program's cost, and a new administrator saved (its hash included).
    {
        int next = 0;
        const bench::Timings save = bench::alternatingMediansMs(
            7, [] {},
            [&] {
                administrators::Fields fields;
                fields.name = QStringLiteral("收银员%1").arg(++next);
                fields.flags.insert(QStringLiteral("收银结算"), true);
                fields.flags.insert(QStringLiteral("消费管理"), true);
                const administrators::Outcome outcome =
                    administrators::add(db, fields, session.operatorName);
                if (!outcome.done)
                    qFatal("administrator not saved: %s", qPrintable(outcome.message));
            },
            [] {}, [] { passwordhash::hash(QStringLiteral("2863")); });
        bench::report(QStringLiteral("password_hash_ms"), save.floor, QStringLiteral("ms"));
        bench::report(QStringLiteral("admin_save_ms"), save.figure, QStringLiteral("ms"));
        bench::reportRatio(QStringLiteral("admin_save_ratio"), save.figure, save.floor);
    }

    // "删除营业记录": the headers and lines of every posted bill.
    {
        const qint64 bills =
            db.scalar(QStringLiteral("select count(*) from 结帐管理")).toLongLong();
        const qint64 lines =
            db.scalar(QStringLiteral("select count(*) from 结帐明细")).toLongLong();
        QTextStream(stderr) << "clearing " << bills << " bills and " << lines << " lines\n";

        double floorMs = 0;
        {
            bench::BareConnection bare(floorCopy.dataPath());
            QElapsedTimer timer;
            timer.start();
            if (!bare.database().transaction())
                qFatal("no transaction");
            bare.exec(QStringLiteral("delete from 结帐管理"));
            bare.exec(QStringLiteral("delete from 结帐明细"));
            if (!bare.database().commit())
                qFatal("floor not committed");
            floorMs = bench::elapsedMs(timer);
        }

        dataclearing::Selection business;
        business.business = true;
        QElapsedTimer timer;
        timer.start();
        const auto deleted = dataclearing::clear(db, business, session.operatorName);
        const double ms = bench::elapsedMs(timer);
        if (deleted.size() != 2 || deleted.at(0).second != bills || deleted.at(1).second != lines)
            qFatal("the clearing deleted another number of rows");
        bench::report(QStringLiteral("clear_business_1m_ms"), ms, QStringLiteral("ms"));
        bench::report(QStringLiteral("clear_business_floor_ms"), floorMs, QStringLiteral("ms"));
        bench::reportRatio(QStringLiteral("clear_business_ratio"), ms, floorMs);
    }
    return 0;
}
