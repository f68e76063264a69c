#pragma once

#include <QString>

namespace shoupai {

class Database;

// Copies of the database that stay consistent while the program has it open,
// and the replacement of the embedded file by such a copy.
namespace DatabaseBackup {

struct Result
{
    enum class Outcome
    {
        Done,
        Failed,
        NotAvailable
    };
    Outcome outcome = Outcome::Failed;
    QString path;    // what was written (backup) or kept as safety copy (restore)
    QString problem; // for the operator, when not done

    bool done() const { return outcome == Outcome::Done; }
};

// The file of the embedded database; empty on the server.
QString databaseFile(const Database& database);

// Writes a complete copy of the database to target, replacing a file of that
// name only once the copy is whole. The embedded file is copied by the engine
// itself (never byte by byte, which can tear a live file); the server's
// database is dumped with pg_dump in its custom format when pg_dump is
// installed, else the outcome is NotAvailable.
Result backUp(Database& database, const QString& target);

// Empty when the file is a sound database of this system (it opens, passes
// the integrity check and has every table); else why not.
QString checkRestorable(const QString& path);

// Replaces the embedded database by the chosen copy: the copy is checked
// first; the current file is kept beside it as a safety copy; the
// replacement is an atomic rename, and stale journal files go. The
// connection is closed on success and left open when nothing was replaced.
// On the server the outcome is NotAvailable.
Result restore(Database& database, const QString& chosen);

} // namespace DatabaseBackup

} // namespace shoupai
