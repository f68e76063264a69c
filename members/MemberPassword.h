#pragma once

#include <QString>

namespace shoupai {

// The password every new member receives and a reset restores.
inline const QString DefaultMemberPassword = QStringLiteral("2863");

// Whether a typed member password matches the stored one. Older rows keep the
// password itself; newer ones keep a hash, which is verified instead.
bool memberPasswordMatches(const QString& stored, const QString& typed);

} // namespace shoupai
