#include "platform/Dialect.h"

#include "platform/PostgresDialect.h"
#include "platform/SqliteDialect.h"

#include <QSqlError>

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

QString Dialect::caseInsensitiveLikeEscaped(const QString& expression) const
{
    // A backslash as escape character means the same on both engines (PostgreSQL
    // keeps standard conforming strings, so '\' is one character there too).
    return caseInsensitiveLike(expression) + QStringLiteral(" escape '\\'");
}

QString Dialect::escapeLike(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\\' || c == u'%' || c == u'_')
            escaped += u'\\';
        escaped += c;
    }
    return escaped;
}

QString Dialect::lockTablesAgainstWriters(const QStringList& tables) const
{
    Q_UNUSED(tables);
    return {};
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

QString SqliteDialect::dateKey(const QString& expression, DateKey unit) const
{
    // Date-times are stored as "yyyy-MM-dd hh:mm:ss" text: the key is its front.
    return QStringLiteral("substr(%1, 1, %2)").arg(expression).arg(unit == DateKey::Day ? 10 : 7);
}

bool SqliteDialect::isUniqueViolation(const QSqlError& error) const
{
    // SQLITE_CONSTRAINT_UNIQUE and SQLITE_CONSTRAINT_PRIMARYKEY.
    const QString code = error.nativeErrorCode();
    return code == u"2067" || code == u"1555";
}

bool SqliteDialect::isBusy(const QSqlError& error) const
{
    // SQLITE_BUSY and SQLITE_LOCKED with their extended codes: the low byte
    // is the primary code.
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok && ((code & 0xff) == 5 || (code & 0xff) == 6);
}

QString PostgresDialect::quote(const QString& identifier) const
{
    return Dialect::quote(identifier.toLower());
}

QString PostgresDialect::caseInsensitiveLike(const QString& expression) const
{
    return QStringLiteral("%1 ilike ?").arg(expression);
}

QString PostgresDialect::dateKey(const QString& expression, DateKey unit) const
{
    return QStringLiteral("to_char(%1, '%2')")
        .arg(expression,
             unit == DateKey::Day ? QStringLiteral("YYYY-MM-DD") : QStringLiteral("YYYY-MM"));
}

bool PostgresDialect::isUniqueViolation(const QSqlError& error) const
{
    return error.nativeErrorCode() == u"23505"; // unique_violation
}

} // namespace shoupai
