#pragma once

#include "members/MemberOutcome.h"

#include <QString>

#include <optional>

namespace shoupai {

class Database;

// Member types: a name members refer to, the discount rate checkout applies
// and the initial points. Each change is one transaction.
namespace membertypes {

// Adds the type when id is empty, else changes it; a renamed type follows to
// its members, who would otherwise lose their discount at checkout. The key of
// the stored row is put in savedId.
MemberOutcome saveType(Database& database, std::optional<qint64> id, const QString& name,
                       const QString& pointsText, const QString& rateText,
                       qint64* savedId = nullptr);
// Refused while members hold the type.
MemberOutcome deleteType(Database& database, qint64 id);

} // namespace membertypes
} // namespace shoupai
