#pragma once

#include <QString>

namespace shoupai {

class Database;

// The one-row counter table 单据号 holds the last bill number used.
namespace billnumber {

// The number the next posting will probably get: the stored one plus 1. Only
// shown; another workstation may take it first.
QString provisional(const Database& database);

// Takes the next number inside the caller's transaction: the counter row is
// incremented in one statement, so concurrent postings wait on its row lock
// and each leaves with its own number. Throws DatabaseError when the counter
// row is missing or not a whole number.
QString allocate(Database& database);

} // namespace billnumber

} // namespace shoupai
