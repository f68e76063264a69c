#include "app/Version.h"

// Set by the build for this one file, so that a new version recompiles only it.
#ifndef SHOUPAI_VERSION
#error "SHOUPAI_VERSION must be defined by the build"
#endif

namespace shoupai {

QString programVersion()
{
    return QStringLiteral(SHOUPAI_VERSION);
}

} // namespace shoupai
