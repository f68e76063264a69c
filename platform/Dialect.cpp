#include "platform/Dialect.h"

#include "platform/PostgresDialect.h"
#include "platform/SqliteDialect.h"

namespace shoupai {

QString Dialect::quote(const QString& identifier) const
{
    QString escaped = identifier;
    escaped.replace(u'"', QStringLiteral("\"\""));
    return u'"' + escaped + u'"';
}

QString Dialect::caseInsensitiveEquals(const QString& expression) const
{
    return QStringLiteral("lower(%1) = lower(?)").arg(expression);
}

QString Dialect::returning(const QString& column) const
{
    return QStringLiteral(" returning ") + quote(column);
}

std::unique_ptr<Dialect> Dialect::create(Backend backend)
{
    if (backend == Backend::Postgres)
        return std::make_unique<PostgresDialect>();
    return std::make_unique<SqliteDialect>();
}

QString SqliteDialect::caseInsensitiveLike(const QString& expression) const
{
    // SQLite's like ignores the case of ASCII letters, which is all that has case here.
    return QStringLiteral("%1 like ?").arg(expression);
}

QString PostgresDialect::quote(const QString& identifier) const
{
    return Dialect::quote(identifier.toLower());
}

QString PostgresDialect::caseInsensitiveLike(const QString& expression) const
{
    return QStringLiteral("%1 ilike ?").arg(expression);
}

} // namespace shoupai
