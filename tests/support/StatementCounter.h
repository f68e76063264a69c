#pragma once

#include "platform/Database.h"

#include <QStringList>

#include <cstdio>

namespace shoupai::test {

// Counts the statements the engine is asked to run on a connection while the
// counter lives, watched from below the gateway: SQLite's statement trace, or
// libpq's protocol trace (statement preparation and release not counted).
class StatementCounter
{
public:
    explicit StatementCounter(Database& database);
    ~StatementCounter();
    StatementCounter(const StatementCounter&) = delete;
    StatementCounter& operator=(const StatementCounter&) = delete;

    int count();
    // The statements' texts, in order.
    QStringList statements();
    void reset();

    // Used by the SQLite trace callback.
    void record(const QString& text) { m_sqlite << text; }

private:
    QStringList postgresStatements();

    Database& m_database;
    void* m_handle = nullptr;
    bool m_postgres = false;
    std::FILE* m_trace = nullptr;
    long m_traceStart = 0;
    QStringList m_sqlite;
};

} // namespace shoupai::test
