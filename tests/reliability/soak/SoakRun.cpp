#include "SoakRun.h"

#include "Invariants.h"
#include "SoakVenue.h"
#include "TestDatabase.h"
#include "TestHome.h"

#include <QProcess>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace shoupai::test {

SoakFigures runSoak(const SoakSettings& settings)
{
    SoakFigures figures;
    TestDatabase db(QStringLiteral("soak"));
    const SoakVenue venue = prepareSoakVenue(db.database(), settings.workstations);
    const QString home = writeSystemIni(db);
    const Baseline baseline = takeBaseline(db.database());

    // Each worker is a desktop program without a desktop.
    QTemporaryDir runtime;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    std::vector<std::unique_ptr<QProcess>> workers;
    for (int i = 0; i < settings.workstations; ++i) {
        auto worker = std::make_unique<QProcess>();
        worker->setProcessEnvironment(environment);
        worker->start(settings.workerProgram,
                      {QStringLiteral("work"), home, venue.operators.at(i),
                       QString::number(settings.seed * 1000 + quint32(i)),
                       QString::number(settings.seconds), QString::number(settings.maxOps),
                       QString::number(settings.thinkMs)});
        workers.push_back(std::move(worker));
    }
    // Start-up, login and the last command may take a while on a loaded machine.
    const int patience = (settings.seconds + 120) * 1000;
    for (std::size_t i = 0; i < workers.size(); ++i) {
        QProcess& worker = *workers[i];
        const QString name = venue.operators.at(int(i));
        if (!worker.waitForStarted(30000)) {
            figures.problems
                << QStringLiteral("%1: did not start: %2").arg(name, worker.errorString());
            continue;
        }
        if (!worker.waitForFinished(patience)) {
            worker.kill();
            worker.waitForFinished(5000);
            figures.problems << QStringLiteral("%1: did not finish in time").arg(name);
        } else if (worker.exitStatus() != QProcess::NormalExit || worker.exitCode() != 0) {
            figures.problems << QStringLiteral("%1: ended with status %2")
                                    .arg(name)
                                    .arg(worker.exitStatus() == QProcess::NormalExit
                                             ? worker.exitCode()
                                             : -1);
        }
        const QStringList lines =
            QString::fromUtf8(worker.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        for (const QString& line : lines)
            figures.counts.addLine(line);
        const QString said = QString::fromUtf8(worker.readAllStandardError()).trimmed();
        if (!said.isEmpty())
            figures.problems << said.split(u'\n');
    }
    figures.violations = checkInvariants(db.database(), baseline);
    return figures;
}

} // namespace shoupai::test
