#include "BenchReport.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace shoupai::bench {

void report(const QString& name, double value, const QString& unit)
{
    std::printf("BENCH %s %.3f %s\n", name.toUtf8().constData(), value, unit.toUtf8().constData());
    std::fflush(stdout);
}

void reportAgainstFloor(const QString& name, double value, double floor)
{
    const qsizetype cut = name.lastIndexOf(u'_');
    const QString base = cut > 0 ? name.left(cut) : name;
    const QString unit = cut > 0 ? name.mid(cut + 1) : QStringLiteral("ms");
    report(name, value, unit);
    report(base + QStringLiteral("_floor_") + unit, floor, unit);
    // A floor of nothing measurable has no meaningful ratio; 0 says so.
    report(base + QStringLiteral("_ratio"), floor > 0 ? value / floor : 0, QStringLiteral("x"));
}

double medianMs(int runs, const std::function<void()>& prepare, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < std::max(1, runs); ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

Timings alternatingMediansMs(int runs, const std::function<void()>& prepare,
                             const std::function<void()>& work,
                             const std::function<void()>& prepareFloor,
                             const std::function<void()>& floorWork)
{
    std::vector<double> figures, floors;
    for (int i = 0; i < std::max(1, runs); ++i) {
        figures.push_back(medianMs(1, prepare, work));
        floors.push_back(medianMs(1, prepareFloor, floorWork));
    }
    std::sort(figures.begin(), figures.end());
    std::sort(floors.begin(), floors.end());
    return {figures[figures.size() / 2], floors[floors.size() / 2]};
}

double medianMs(int runs, const std::function<void()>& work)
{
    return medianMs(
        runs, [] {}, work);
}

} // namespace shoupai::bench
