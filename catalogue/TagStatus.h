#pragma once

#include "catalogue/SetupOutcome.h"

#include <QString>

#include <optional>

namespace shoupai {

class Database;

// The state of one tag as the board's "修改状态" changes it.
namespace tagstatus {

// The stored state; nothing when the tag is gone.
std::optional<QString> readState(const Database& database, const QString& tag);

// Sets the tag to newState ("可用", "预定" or "停用") only while it still has
// the state the operator saw (shownState) and no open bill holds it.
SetupOutcome changeState(Database& database, const QString& tag, const QString& shownState,
                         const QString& newState);

} // namespace tagstatus
} // namespace shoupai
