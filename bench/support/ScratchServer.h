#pragma once

#include "platform/Database.h"

#include <QString>

namespace shoupai::bench {

// A database of its own on the PostgreSQL server that SHOUPAI_TEST_PG names
// ("host=..;port=..;user=..;password=.."), created for one figure and dropped
// again when this goes, so that figures never see each other's rows.
class ScratchServer
{
public:
    // `prefix` starts the database's name; `folder` is where the connections keep their files.
    ScratchServer(const QString& prefix, const QString& folder);
    ~ScratchServer();
    ScratchServer(const ScratchServer&) = delete;
    ScratchServer& operator=(const ScratchServer&) = delete;

    // False when no server is named or it cannot be reached; skipped() says which.
    bool ready() const { return m_skipped.isEmpty(); }
    QString skipped() const { return m_skipped; }
    // The connection string of the scratch database.
    QString connection() const { return m_connection; }

private:
    Database m_admin;
    QString m_name;
    QString m_connection;
    QString m_skipped;
};

} // namespace shoupai::bench
