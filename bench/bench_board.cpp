// The board's two hot paths: rebuilding a tab of 1,000 tiles, and one timer
// tick against the server (state counts and the selected tile).
//
// board_tick_pg_ms needs a PostgreSQL server: SHOUPAI_TEST_PG="host=..;port=..;user=.."
// (without it the figure is skipped and said so on standard error).

#include "app/Session.h"
#include "common/Prompter.h"
#include "floor/MainUt.h"
#include "platform/Schema.h"
#include "support/BareQuery.h"
#include "support/BenchReport.h"
#include "support/ScratchServer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <vector>

using namespace shoupai;

namespace {

constexpr int TagCount = 1000;

// The first room type gets 1,000 tags in every state; the others keep theirs.
void fillBigRoom(Database& db)
{
    Transaction transaction(db);
    const QString room = db.scalar(QStringLiteral("select 包厢类型 from 包厢类型")).toString();
    db.exec(QStringLiteral("delete from 手牌管理 where 所属包厢 = ?"), {room});
    const QString states[] = {QStringLiteral("可用"), QStringLiteral("可用"),
                              QStringLiteral("占用"), QStringLiteral("预定"),
                              QStringLiteral("停用")};
    for (int i = 0; i < TagCount; ++i) {
        db.exec(QStringLiteral("insert into 手牌管理 (手牌号码, 所属包厢, 手牌状态, number) "
                               "values (?, ?, ?, ?)"),
                {QStringLiteral("B%1").arg(i, 4, 10, QChar(u'0')), room, states[i % 5],
                 QVariant::fromValue<qlonglong>(1000 + i)});
    }
    transaction.commit();
}

void writeIni(const QString& folder, const QString& backend, const QString& connection)
{
    QFile file(QDir(folder).filePath(QStringLiteral("system.ini")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    const QString key = backend == u"s" ? QStringLiteral("cs") : QStringLiteral("csaccess");
    file.write(QStringLiteral("[part1]\nabc=%1\n%2=%3\n[QV582]\nsoftname=bench\n")
                   .arg(backend, key, connection)
                   .toUtf8());
}

void benchReload(const QString& folder)
{
    const QString connection = QStringLiteral("Provider=SQLite;Data Source=bench.db");
    {
        Database db;
        db.open(ConnectionDescription::parse(connection), folder);
        Schema::create(db);
        Schema::seed(db);
        fillBigRoom(db);
    }
    writeIni(folder, QStringLiteral("a"), connection);
    Session session;
    session.start(folder);
    session.permissions = Permissions::all();
    TMainFm main(session);
    main.resize(1280, 800);
    main.show();
    QApplication::processEvents();
    if (main.tileList()->count() != TagCount) {
        std::fprintf(stderr, "expected %d tiles, got %d\n", TagCount, main.tileList()->count());
        return;
    }
    std::vector<double> samples, rebuilds;
    for (int run = 0; run < 25; ++run) {
        QElapsedTimer timer;
        timer.start();
        main.ReloadTags();
        rebuilds.push_back(bench::elapsedMs(timer));
        // The tiles are laid out and painted, as the operator sees them.
        QApplication::processEvents();
        main.tileList()->viewport()->repaint();
        samples.push_back(bench::elapsedMs(timer));
    }
    // Where the time goes: the statement and the tiles built, then layout and paint.
    std::fprintf(stderr,
                 "board reload: statement and tiles %.3f ms, laid out and painted %.3f ms\n",
                 bench::median(rebuilds), bench::median(samples) - bench::median(rebuilds));
    // The floor: the tab's rows read bare, to the end.
    bench::BareConnection bare(QDir(folder).filePath(QStringLiteral("bench.db")));
    const QString room = main.activeRoomType();
    const double floor = bench::medianMs(25, [&] {
        if (bare.readToEnd(QStringLiteral("select 手牌号码, 手牌状态 from 手牌管理 where "
                                          "所属包厢 = ? order by number, 手牌号码"),
                           {room}) != TagCount)
            qFatal("the floor read another number of tags");
    });
    bench::reportAgainstFloor(QStringLiteral("board_reload_1000_ms"), bench::median(samples),
                              floor);
}

void benchServerTick(const QString& folder)
{
    const bench::ScratchServer server(QStringLiteral("bench_board"), folder);
    if (!server.ready()) {
        std::fprintf(stderr, "board_tick_pg_ms skipped: %s\n", qPrintable(server.skipped()));
        return;
    }
    const QString connection = server.connection();
    {
        Database db;
        db.open(ConnectionDescription::parse(connection), folder);
        Schema::create(db);
        Schema::seed(db);
        fillBigRoom(db);
    }
    writeIni(folder, QStringLiteral("s"), connection);
    {
        Session session;
        session.start(folder);
        session.permissions = Permissions::all();
        TMainFm main(session);
        main.clockTimer()->stop();
        main.selectTile(QStringLiteral("B0002"));
        bench::report(QStringLiteral("board_tick_pg_ms"), bench::medianMs(50, [&] { main.tick(); }),
                      QStringLiteral("ms"));
        session.database().close();
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    ConsolePrompter prompter;
    QTemporaryDir reloadFolder;
    QTemporaryDir tickFolder;
    try {
        benchReload(reloadFolder.path());
        benchServerTick(tickFolder.path());
    } catch (const DatabaseError& error) {
        std::fprintf(stderr, "bench_board: %s\n", qPrintable(error.text()));
        return 1;
    }
    return 0;
}
