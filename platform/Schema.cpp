#include "platform/Schema.h"

// Placeholder: the table definitions land with the schema work.
namespace shoupai::Schema {

const QList<TableDefinition>& tables()
{
    static const QList<TableDefinition> none;
    return none;
}

std::optional<ColumnKind> kindOf(const QString&, const QString&)
{
    return std::nullopt;
}

void prepare(Database&, bool) {}
void create(Database&) {}
void seed(Database&) {}

} // namespace shoupai::Schema
