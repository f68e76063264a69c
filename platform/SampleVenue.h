#pragma once

#include "platform/Database.h"

namespace shoupai {

// Writes what a new database is delivered with: the bill-number counter, the shop
// row, the super administrator (password "1"), the billing modes and a small
// venue to try the system on. Runs inside the caller's transaction.
void seedSampleVenue(Database& database);

} // namespace shoupai
