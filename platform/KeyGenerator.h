#pragma once

#include <QString>

namespace shoupai {

class Database;

// After rows were inserted with explicit keys: moves the generator of the
// table's database-assigned key past the largest key stored, never back, so
// that the next row added without a key does not collide. Part of the
// caller's transaction. Nothing to do on the file engine, whose generator
// follows the largest key by itself.
void moveKeyGeneratorPastMax(Database& database, const QString& table, const QString& keyColumn);

} // namespace shoupai
