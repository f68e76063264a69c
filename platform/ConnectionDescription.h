#pragma once

#include <QString>

namespace shoupai {

// A stored connection text of the form "key=value;key=value;" parsed into what
// the database gateway needs. Keys are matched without regard to case.
//   Provider=SQLite;Data Source=data.db                      the embedded file
//   Provider=SQLOLEDB.1;Password=..;User ID=..;Initial Catalog=..;Data Source=host[,port]
//   Provider=PostgreSQL;(same keys)                          the shared server
//   Provider=Microsoft.Jet.OLEDB.4.0;...                     a legacy Access file
struct ConnectionDescription
{
    enum class Kind
    {
        Invalid,
        Sqlite,
        Postgres,
        LegacyAccess
    };

    Kind kind = Kind::Invalid;
    QString filePath; // Sqlite: as written (relative to the home folder) ; LegacyAccess too
    QString host;     // Postgres
    int port = 5432;  // Postgres
    QString database; // Postgres
    QString user;     // Postgres
    QString password; // Postgres
    QString problem;  // why the text cannot be used, for the operator

    static ConnectionDescription parse(const QString& text);
    bool isUsable() const { return kind == Kind::Sqlite || kind == Kind::Postgres; }

    // The driver's connect options for this kind of connection.
    QString connectOptions() const;

    // How long a SQLite statement waits for another program's write on the same
    // file to end before it gives up as busy. Only tests change it, to meet the
    // busy case without waiting the whole time.
    static int sqliteBusyTimeout();
    static void setSqliteBusyTimeout(int milliseconds);
    static constexpr int DefaultSqliteBusyTimeout = 10000;
};

} // namespace shoupai
