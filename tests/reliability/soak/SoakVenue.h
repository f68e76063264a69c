#pragma once

#include <QStringList>

namespace shoupai {
class Database;
}

namespace shoupai::test {

// The venue several workstations share in a soak: the sample venue, one
// operator per workstation (the default password, every permission) and
// members with money on their cards.
struct SoakVenue
{
    QStringList operators;
    QStringList members;
};

inline constexpr int SoakMembers = 12;

// Fills an empty database; throws DatabaseError or std::runtime_error when a
// step is refused.
SoakVenue prepareSoakVenue(Database& database, int workstations);

// The name of workstation `index` (from 1).
QString soakOperator(int index);

} // namespace shoupai::test
