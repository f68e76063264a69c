#include "BenchReport.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <utility>
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

void reportRatio(const QString& name, double value, double floor)
{
    report(name, value / std::max(floor, 0.001), QStringLiteral("x"));
}

double median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples.at(samples.size() / 2);
}

double elapsedMs(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

double medianMs(int runs, const std::function<void()>& prepare, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < std::max(1, runs); ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(elapsedMs(timer));
    }
    return median(std::move(times));
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
    return {median(std::move(figures)), median(std::move(floors))};
}

double medianMs(int runs, const std::function<void()>& work)
{
    return medianMs(
        runs, [] {}, work);
}

} // namespace shoupai::bench
