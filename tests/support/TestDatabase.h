#pragma once

#include "platform/Database.h"

#include <QString>

#include <memory>

namespace shoupai::test {

// The backend a test run uses: SHOUPAI_TEST_BACKEND=sqlite (the default) or
// postgres, with SHOUPAI_TEST_PG="host=..;port=..;user=..;password=.." naming
// the server on which each test gets databases of its own.
Backend testBackend();
QString testBackendName();

// A fresh, empty database of the test backend that is removed again when the
// object goes. connectionText() is the description a system.ini would hold.
class TestDatabase
{
public:
    explicit TestDatabase(const QString& label = QStringLiteral("t"));
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    Database& database() { return *m_database; }
    QString connectionText() const { return m_connectionText; }
    // The folder a SQLite file lives in (a temporary one), also usable as SHOUPAI_HOME.
    QString folder() const { return m_folder; }

    // A second connection to the same database, as another workstation has.
    std::unique_ptr<Database> openAnother() const;

private:
    std::unique_ptr<Database> m_database;
    QString m_connectionText;
    QString m_folder;
    QString m_postgresName;
};

// A fresh database with the full schema and the seeded sample venue.
class SeededDatabase : public TestDatabase
{
public:
    explicit SeededDatabase(const QString& label = QStringLiteral("s"));
};

} // namespace shoupai::test
