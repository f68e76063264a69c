#pragma once

#include <QString>

namespace shoupai {

// The program's version, as the build was told it ("1.0.0").
QString programVersion();

} // namespace shoupai
