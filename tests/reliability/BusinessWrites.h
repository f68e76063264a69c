#pragma once

#include "platform/Database.h"

#include <QList>
#include <QString>

#include <functional>

namespace shoupai::test {

// What a business write answered.
struct WriteResult
{
    bool done = false;
    QString message; // why not, when not done
};

// One business write of the venue below, through the real unit. plan() makes
// the reads that stand for what the operator saw on the screen and returns the
// write itself, so that only the write's own statements are counted and cut.
struct BusinessWrite
{
    QString name;
    std::function<std::function<WriteResult()>(Database&)> plan;
    // Whether the database shows the write's whole effect.
    std::function<bool(const Database&)> tookEffect;
};

// The sample venue with what every write needs: members with recharges, open
// groups with lines (stock-keeping goods, services with commission), a stored
// card bill to reverse and a stored bill with unpaid commission. Built through
// the same units. The database must hold the schema.
void prepareVenue(Database& database);

// Every write, each on its own part of the venue.
const QList<BusinessWrite>& businessWrites();
const BusinessWrite* findWrite(const QString& name);

} // namespace shoupai::test
