// Time from process start to the login window on screen: on a new (empty) venue
// and on a venue with a million stored bills. Nothing proportional to the
// history may run before the login. The floor is a bare Qt program showing one
// window, started the same way.

#include "support/BenchReport.h"
#include "support/SyntheticHistory.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <utility>
#include <vector>

using namespace shoupai;

namespace {

void writeIni(const QString& home, const QString& dataSource)
{
    QFile ini(home + QStringLiteral("/system.ini"));
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    ini.write(QStringLiteral("[part1]\nabc=a\ncsaccess=Provider=SQLite;Data Source=%1\n"
                             "[QV582]\nsoftname=手牌管理系统\n")
                  .arg(dataSource)
                  .toUtf8());
}

// Milliseconds until the program reports `shown` on its output; -1 on failure.
double startOnce(const QString& program, const QString& home,
                 const QByteArray& shown = QByteArrayLiteral("login-shown"))
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("SHOUPAI_HOME"), home);
    environment.insert(QStringLiteral("SHOUPAI_EXIT_WHEN_SHOWN"), QStringLiteral("1"));
    environment.insert(QStringLiteral("SHOUPAI_NONINTERACTIVE"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    process.start(program, {});
    QByteArray out;
    while (!out.contains(shown)) {
        if (!process.waitForReadyRead(30000))
            break;
        out += process.readAllStandardOutput();
    }
    const double elapsed = double(timer.nsecsElapsed()) / 1e6;
    process.waitForFinished(30000);
    if (!out.contains(shown)) {
        std::fprintf(stderr, "%s did not report %s: %s\n", qPrintable(program), shown.constData(),
                     process.readAllStandardError().constData());
        return -1;
    }
    return elapsed;
}

double median(const QString& program, const QString& home, int runs,
              const QByteArray& shown = QByteArrayLiteral("login-shown"))
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(startOnce(program, home, shown));
    return bench::median(std::move(times));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/../shoupai");

    QTemporaryDir emptyHome;
    writeIni(emptyHome.path(), QStringLiteral("data.db"));
    // The first start creates and seeds the database; the figure is the start after it.
    bench::report(QStringLiteral("startup_first_ms"), startOnce(program, emptyHome.path()),
                  QStringLiteral("ms"));
    const QString bare = QCoreApplication::applicationDirPath() + QStringLiteral("/bare_qt_window");
    // The two alternate, so that a busy neighbour weighs on both alike.
    std::vector<double> starts, floors;
    for (int round = 0; round < 9; ++round) {
        starts.push_back(startOnce(program, emptyHome.path()));
        floors.push_back(startOnce(bare, emptyHome.path(), QByteArrayLiteral("window-shown")));
    }
    const double floor = bench::median(floors);
    bench::reportAgainstFloor(QStringLiteral("startup_empty_ms"), bench::median(starts), floor);

    QTemporaryDir historyHome;
    writeIni(historyHome.path(), bench::syntheticHistorySqlite());
    // Nothing of the history may run before the login: the same floor holds.
    bench::reportAgainstFloor(QStringLiteral("startup_1m_ms"),
                              median(program, historyHome.path(), 7), floor);
    return 0;
}
