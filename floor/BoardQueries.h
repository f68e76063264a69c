#pragma once

#include "platform/Database.h"
#include "platform/Money.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace shoupai {

// The five figures of the "总状态" group. A state outside the four counts in
// the total only.
struct TagStateCounts
{
    qint64 total = 0;
    qint64 occupied = 0;
    qint64 free = 0;
    qint64 reserved = 0;
    qint64 outOfService = 0;
};

// All room types at once, in one grouped count.
TagStateCounts countTagStates(const Database& database);

// What a click on a tile shows in the side panel.
struct TagDetails
{
    bool hasOpenBill = false; // exactly one open-bill row
    QDateTime entryTime;
    Money deposit;
    Money consumed;
};

// Reads the open bill and the consumption of one tag.
TagDetails readTagDetails(const Database& database, const QString& tag);
// The sum of 合计 over the tag's lines; zero without lines.
Money consumedAmount(const Database& database, const QString& tag);
// The stored 手牌状态 of a tag; nothing when the tag does not exist.
std::optional<QString> storedTagState(const Database& database, const QString& tag);

} // namespace shoupai
