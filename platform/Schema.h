#pragma once

#include "platform/Database.h"

#include <QList>
#include <QString>

#include <optional>

namespace shoupai {

// The kinds of stored value; each maps to a physical type per engine.
enum class ColumnKind { Text, Memo, Integer, Number, Money, DateTime, Boolean, AutoNumber };

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

// Every table of the system with its columns, in creation order.
const QList<TableDefinition>& tables();
// The kind of a column, for showing raw query results (amounts, dates, flags).
std::optional<ColumnKind> kindOf(const QString& table, const QString& column);

// Makes a database ready: a new one (no tables yet) gets every table, index and
// the seeded sample venue; an existing one is used as it is.
void prepare(Database& database, bool isNewFile);
// Creates the tables, uniqueness rules, indexes and the schema version, in one transaction.
void create(Database& database);
// Seeds a new database: counters, shop row, the super administrator, billing
// modes and a small sample venue.
void seed(Database& database);

} // namespace Schema

} // namespace shoupai
