#pragma once

#include <QString>

namespace shoupai::bench {

// One figure in the form "BENCH <name> <value> <unit>", so runs can be compared.
void report(const QString& name, double value, const QString& unit);

} // namespace shoupai::bench
