#include "BenchReport.h"

#include <cstdio>

namespace shoupai::bench {

void report(const QString& name, double value, const QString& unit)
{
    std::printf("BENCH %s %.3f %s\n", name.toUtf8().constData(), value, unit.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace shoupai::bench
