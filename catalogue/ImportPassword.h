#pragma once

#include <QString>

namespace shoupai {

// The fixed password that guards the goods import, checked against its hash:
// the password itself is not kept in the program.
bool isImportPassword(const QString& typed);

} // namespace shoupai
