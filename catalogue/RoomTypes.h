#pragma once

#include "catalogue/SetupOutcome.h"

#include <QString>
#include <QStringList>

namespace shoupai {

class Database;

// One room type as the room-type screen edits it; amounts and the capacity as typed.
struct RoomTypeRecord
{
    QString name;
    QString nature;
    QString billingMode;
    QString ticketPrice;
    QString capacity;
};

// Room types: the board's tabs, and the ticket price a bill charges. Tags hold
// their room type by name, so a rename moves them and a type with tags stays.
namespace roomtypes {

// Every room-type name, in name order.
QStringList names(const Database& database);
// The billing modes offered for a room type, in the order stored.
QStringList billingModes(const Database& database);

// Adds the room type when originalName is empty, else changes that one.
SetupOutcome saveRoomType(Database& database, const QString& originalName, RoomTypeRecord record);
SetupOutcome deleteRoomType(Database& database, const QString& name);

} // namespace roomtypes
} // namespace shoupai
