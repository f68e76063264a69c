#pragma once

#include "platform/Database.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace shoupai {

// The kinds of stored value; each maps to a physical type per engine.
enum class ColumnKind
{
    Text,
    Memo,
    Integer,
    Number,
    Money,
    DateTime,
    Boolean,
    AutoNumber
};

struct ColumnDefinition
{
    QString name;
    ColumnKind kind;
};

struct TableDefinition
{
    QString name;
    QList<ColumnDefinition> columns;
};

namespace Schema {

// The version of the tables and indexes created below; the upgrade steps
// (platform/SchemaUpgrades.cpp) number on from it.
inline constexpr int baseVersion = 1;
// The version a database of this program holds once every upgrade step has run.
int currentVersion();

// Every table of the system with its columns, in creation order.
const QList<TableDefinition>& tables();
// The kind of a column, for showing raw query results (amounts, dates, flags).
std::optional<ColumnKind> kindOf(const QString& table, const QString& column);
// The definition of one table (name compared without regard to case), or nullptr.
const TableDefinition* table(const QString& name);
// The 23 permission columns of 管理员, in the order the login reads them.
const QStringList& permissionColumns();
// The internal one-row table that records the schema version.
QString versionTable();
// The version recorded in the database; 0 for one this program did not create.
int storedVersion(const Database& database);

// Makes a database ready: a new one (no tables yet) gets every table, index and
// the seeded sample venue; an existing one is used as it is.
void prepare(Database& database, bool isNewFile);
// Creates the tables, uniqueness rules, indexes, every upgrade step's objects and
// the current schema version, in one transaction.
void create(Database& database);
// Seeds a new database: counters, shop row, the super administrator, billing
// modes and a small sample venue.
void seed(Database& database);

} // namespace Schema

} // namespace shoupai
