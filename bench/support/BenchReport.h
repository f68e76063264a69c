#pragma once

#include <QString>

#include <functional>
#include <vector>

class QElapsedTimer;

namespace shoupai::bench {

// One figure in the form "BENCH <name> <value> <unit>", so runs can be compared.
void report(const QString& name, double value, const QString& unit);

// A figure beside its floor, the same work done bare in the same run, and
// their ratio: "<base>_floor_<unit>" and "<base>_ratio" for a figure named
// "<base>_<unit>" (startup_empty_ms → startup_empty_floor_ms, startup_empty_ratio).
void reportAgainstFloor(const QString& name, double value, double floor);

// A figure's ratio to its floor, "<name> <ratio> x"; a floor below a
// microsecond counts as one.
void reportRatio(const QString& name, double value, double floor);

// The middle of the samples (the upper one of an even count).
double median(std::vector<double> samples);
// Milliseconds since the timer started.
double elapsedMs(const QElapsedTimer& timer);

// The median of `runs` timings of `work` in milliseconds; `prepare` runs
// before each and is not timed.
double medianMs(int runs, const std::function<void()>& prepare, const std::function<void()>& work);
double medianMs(int runs, const std::function<void()>& work);

// Figure and floor timed in turns, so that both meet the same moments of a
// shared machine (a commit's cost varies most); returns both medians.
struct Timings
{
    double figure = 0;
    double floor = 0;
};
Timings alternatingMediansMs(int runs, const std::function<void()>& prepare,
                             const std::function<void()>& work,
                             const std::function<void()>& prepareFloor,
                             const std::function<void()>& floorWork);

} // namespace shoupai::bench
