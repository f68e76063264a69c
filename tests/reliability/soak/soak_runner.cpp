// Several workstations on one PostgreSQL database, then one alone, for the
// throughput ratio.   soak_runner [WORKSTATIONS] [SECONDS] [THINK_MS]
// The server is the one SHOUPAI_TEST_PG names (see ./dev soak). Exits 1 when an
// invariant broke or a workstation met an error.
#include "SoakRun.h"

#include "common/Prompter.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

using namespace shoupai;
using namespace shoupai::test;

namespace {

void say(const QString& line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

bool report(const QString& prefix, const SoakFigures& figures)
{
    const SoakCounts& c = figures.counts;
    say(QStringLiteral("SOAK %1ops %2").arg(prefix).arg(c.ops));
    say(QStringLiteral("SOAK %1refusals %2").arg(prefix).arg(c.refusals));
    say(QStringLiteral("SOAK %1errors %2").arg(prefix).arg(c.errors));
    say(QStringLiteral("SOAK %1violations %2").arg(prefix).arg(figures.violations.size()));
    say(QStringLiteral("SOAK %1postings %2").arg(prefix).arg(c.postings));
    say(QStringLiteral("SOAK %1postings_per_s %2")
            .arg(prefix)
            .arg(figures.postingsPerSecond(), 0, 'f', 2));
    for (auto it = c.done.cbegin(); it != c.done.cend(); ++it)
        std::fprintf(stderr, "  %s%s: %lld done, %lld refused\n", qPrintable(prefix),
                     qPrintable(it.key()), it.value(), c.refused.value(it.key()));
    for (const QString& violation : figures.violations)
        std::fprintf(stderr, "  violation: %s\n", qPrintable(violation));
    for (const QString& problem : figures.problems)
        std::fprintf(stderr, "  %s\n", qPrintable(problem));
    return figures.violations.isEmpty() && c.errors == 0 && figures.problems.isEmpty();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ConsolePrompter prompter;
    if (qEnvironmentVariable("SHOUPAI_TEST_PG").isEmpty()) {
        std::fputs("soak_runner: SHOUPAI_TEST_PG must name the PostgreSQL server\n", stderr);
        return 2;
    }
    qputenv("SHOUPAI_TEST_BACKEND", "postgres");
    const QStringList args = QCoreApplication::arguments();
    SoakSettings settings;
    settings.workerProgram =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("soak_worker"));
    settings.workstations = args.size() > 1 ? args.at(1).toInt() : 8;
    settings.seconds = args.size() > 2 ? args.at(2).toInt() : 60;
    if (args.size() > 3)
        settings.thinkMs = args.at(3).toInt();
    if (settings.workstations < 1 || settings.seconds < 1 || settings.thinkMs < 0) {
        std::fputs("usage: soak_runner [WORKSTATIONS] [SECONDS] [THINK_MS]\n", stderr);
        return 2;
    }
    try {
        const SoakFigures several = runSoak(settings);
        bool clean = report(QString(), several);
        settings.workstations = 1;
        const SoakFigures single = runSoak(settings);
        clean = report(QStringLiteral("single "), single) && clean;
        const double ratio = single.postingsPerSecond() > 0
                                 ? several.postingsPerSecond() / single.postingsPerSecond()
                                 : 0.0;
        say(QStringLiteral("SOAK ratio %1").arg(ratio, 0, 'f', 2));
        return clean ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "soak_runner: %s\n", error.what());
        return 2;
    }
}
