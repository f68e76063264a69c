#pragma once

#include "SoakWorker.h"

#include <QString>
#include <QStringList>

namespace shoupai::test {

struct SoakSettings
{
    QString workerProgram; // the soak_worker executable
    int workstations = 8;
    int seconds = 60;
    qint64 maxOps = 1000000; // per workstation
    int thinkMs = 20;        // an operator's pause between commands, on average
    quint32 seed = 1;
};

struct SoakFigures
{
    SoakCounts counts;      // all workstations added up
    QStringList violations; // broken invariants after the run
    QStringList problems;   // workers that failed, and their error texts
    double postingsPerSecond() const
    {
        return counts.millis > 0 ? double(counts.postings) * 1000.0 / double(counts.millis) : 0.0;
    }
};

// Prepares a fresh database of the test backend with the soak venue, records
// its starting figures, runs the workstations as separate processes at once,
// waits for them and checks the database against the starting figures.
SoakFigures runSoak(const SoakSettings& settings);

} // namespace shoupai::test
