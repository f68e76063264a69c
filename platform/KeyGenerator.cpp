#include "platform/KeyGenerator.h"

#include "platform/Database.h"

namespace shoupai {

void moveKeyGeneratorPastMax(Database& database, const QString& table, const QString& keyColumn)
{
    if (database.backend() != Backend::Postgres)
        return;
    const Dialect& dialect = database.dialect();
    // An identity column's sequence does not see keys inserted explicitly.
    // pg_get_serial_sequence parses the table like SQL text and takes the
    // column as stored: in lower case, as quote() creates it.
    database.scalar(
        QStringLiteral("with s as (select pg_get_serial_sequence(?, ?) as name) "
                       "select setval(s.name, greatest(coalesce((select max(%1) from %2), 0), "
                       "coalesce(pg_sequence_last_value(s.name::regclass), 0), 1)) from s")
            .arg(dialect.quote(keyColumn), dialect.quote(table)),
        {dialect.quote(table), keyColumn.toLower()});
}

} // namespace shoupai
