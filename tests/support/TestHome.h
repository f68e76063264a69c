#pragma once

#include "TestDatabase.h"

#include <QString>

namespace shoupai::test {

// Writes a system.ini into the test database's folder that points the program
// at that database (backend "a" with csaccess for SQLite, "s" with cs for
// PostgreSQL), plus the given extra lines. Returns the folder (a SHOUPAI_HOME).
QString writeSystemIni(const TestDatabase& database, const QString& extraLines = {});

} // namespace shoupai::test
