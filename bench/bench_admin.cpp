// Administration: emptying the business records of the synthetic history
// (1M bills, 5M lines) beside the same two deletes done bare on a second copy,
// one password hash at the program's cost, and saving a new administrator
// beside that hash (the save is one hash and a few small statements).

#include "admin/Administrators.h"
#include "admin/DataClearing.h"
#include "app/Session.h"
#include "common/Prompter.h"
#include "platform/Database.h"
#include "platform/PasswordHash.h"
#include "support/BareQuery.h"
#include "support/BenchReport.h"
#include "support/SyntheticHistory.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

using namespace shoupai;

namespace {

bool writeIni(const QString& folder)
{
    QFile ini(QDir(folder).filePath(QStringLiteral("system.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return false;
    ini.write("[part1]\nabc=a\ncsaccess=Provider=SQLite;Data Source=data.db\n");
    return true;
}

double elapsedMs(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ConsolePrompter prompter;

    const QString shared = bench::syntheticHistorySqlite();
    if (shared.isEmpty()) {
        QTextStream(stderr) << "no synthetic history\n";
        return 1;
    }
    // Two copies, made before anything is timed: one for the program, one for the floor.
    QTemporaryDir home;
    QTemporaryDir floorHome;
    const QString path = QDir(home.path()).filePath(QStringLiteral("data.db"));
    const QString floorPath = QDir(floorHome.path()).filePath(QStringLiteral("data.db"));
    if (!QFile::copy(shared, path) || !QFile::copy(shared, floorPath) || !writeIni(home.path())) {
        QTextStream(stderr) << "cannot copy the synthetic history\n";
        return 1;
    }

    Session session;
    session.start(home.path());
    session.operatorName = administrators::SuperAdministrator;
    Database& db = session.database();
    if (!db.isOpen())
        return 1;

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
        bench::report(QStringLiteral("admin_save_ratio"), save.figure / std::max(save.floor, 0.001),
                      QStringLiteral("x"));
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
            bench::BareConnection bare(floorPath);
            QElapsedTimer timer;
            timer.start();
            if (!bare.database().transaction())
                qFatal("no transaction");
            bare.exec(QStringLiteral("delete from 结帐管理"));
            bare.exec(QStringLiteral("delete from 结帐明细"));
            if (!bare.database().commit())
                qFatal("floor not committed");
            floorMs = elapsedMs(timer);
        }

        dataclearing::Selection business;
        business.business = true;
        QElapsedTimer timer;
        timer.start();
        const auto deleted = dataclearing::clear(db, business, session.operatorName);
        const double ms = elapsedMs(timer);
        if (deleted.size() != 2 || deleted.at(0).second != bills || deleted.at(1).second != lines)
            qFatal("the clearing deleted another number of rows");
        bench::report(QStringLiteral("clear_business_1m_ms"), ms, QStringLiteral("ms"));
        bench::report(QStringLiteral("clear_business_floor_ms"), floorMs, QStringLiteral("ms"));
        bench::report(QStringLiteral("clear_business_ratio"), ms / std::max(floorMs, 0.001),
                      QStringLiteral("x"));
    }
    return 0;
}
