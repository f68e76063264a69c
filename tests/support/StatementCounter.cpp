#include "StatementCounter.h"

#include <QRegularExpression>
#include <QSqlDriver>

#include <libpq-fe.h>
#include <sqlite3.h>

namespace shoupai::test {

namespace {

int onSqliteStatement(unsigned kind, void* context, void*, void* sql)
{
    if (kind != SQLITE_TRACE_STMT)
        return 0;
    const QString text = QString::fromUtf8(static_cast<const char*>(sql));
    // Statements run by triggers come through as comments.
    if (!text.startsWith(QStringLiteral("--")))
        static_cast<StatementCounter*>(context)->record(text);
    return 0;
}

} // namespace

StatementCounter::StatementCounter(Database& database) : m_database(database)
{
    const QVariant handle = database.connection().driver()->handle();
    m_postgres = database.backend() == Backend::Postgres;
    if (m_postgres) {
        m_handle = *static_cast<PGconn* const*>(handle.data());
        m_trace = std::tmpfile();
        PQtrace(static_cast<PGconn*>(m_handle), m_trace);
        PQsetTraceFlags(static_cast<PGconn*>(m_handle), PQTRACE_SUPPRESS_TIMESTAMPS);
    } else {
        m_handle = *static_cast<sqlite3* const*>(handle.data());
        sqlite3_trace_v2(static_cast<sqlite3*>(m_handle), SQLITE_TRACE_STMT, onSqliteStatement,
                         this);
    }
}

StatementCounter::~StatementCounter()
{
    if (m_postgres) {
        PQuntrace(static_cast<PGconn*>(m_handle));
        std::fclose(m_trace);
    } else {
        sqlite3_trace_v2(static_cast<sqlite3*>(m_handle), 0, nullptr, nullptr);
    }
}

QStringList StatementCounter::postgresStatements()
{
    std::fflush(m_trace);
    const long end = std::ftell(m_trace);
    QByteArray bytes(end - m_traceStart, '\0');
    std::fseek(m_trace, m_traceStart, SEEK_SET);
    const size_t read = std::fread(bytes.data(), 1, size_t(bytes.size()), m_trace);
    bytes.truncate(qsizetype(read));
    std::fseek(m_trace, 0, SEEK_END);
    // Lines such as: F	27	Query	 "select 1"
    static const QRegularExpression query(QStringLiteral("^F\\t\\d+\\tQuery\\t \"(.*)\"$"));
    QStringList result;
    for (const QString& line : QString::fromUtf8(bytes).split(u'\n')) {
        const QRegularExpressionMatch match = query.match(line);
        if (!match.hasMatch())
            continue;
        const QString text = match.captured(1);
        if (text.startsWith(QStringLiteral("PREPARE "), Qt::CaseInsensitive) ||
            text.startsWith(QStringLiteral("DEALLOCATE "), Qt::CaseInsensitive))
            continue;
        result << text;
    }
    return result;
}

QStringList StatementCounter::statements()
{
    return m_postgres ? postgresStatements() : m_sqlite;
}

int StatementCounter::count()
{
    return int(statements().size());
}

void StatementCounter::reset()
{
    if (m_postgres) {
        std::fflush(m_trace);
        m_traceStart = std::ftell(m_trace);
    } else {
        m_sqlite.clear();
    }
}

} // namespace shoupai::test
