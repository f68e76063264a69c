#pragma once

#include "catalogue/SetupOutcome.h"

#include <QString>

namespace shoupai {

class Database;

// One tag as the tag screen edits it; the sort key is the text typed for 序号.
struct TagRecord
{
    QString number;
    QString roomType;
    QString state;
    QString sortKey;
};

// Changes and removals of single tags. A tag that is occupied, or held by an
// open bill, is left alone: it would be cut off from its bill.
namespace tagregister {

// Whether the tag is marked "占用" or has an open-bill row.
bool isOccupied(const Database& database, const QString& number);

// Stores the tag that was loaded as originalNumber with the record's values.
SetupOutcome saveTag(Database& database, const QString& originalNumber, TagRecord record);
SetupOutcome deleteTag(Database& database, const QString& number);

} // namespace tagregister
} // namespace shoupai
