#include "BareQuery.h"

#include "platform/Database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

namespace shoupai::bench {

namespace {

QSqlQuery run(QSqlDatabase& database, const QString& sql, const QVariantList& parameters)
{
    QSqlQuery query(database);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw DatabaseError(query.lastError().text() + QStringLiteral(": ") + sql);
    for (const QVariant& value : parameters)
        query.addBindValue(value);
    if (!query.exec())
        throw DatabaseError(query.lastError().text() + QStringLiteral(": ") + sql);
    return query;
}

} // namespace

BareConnection::BareConnection(const QString& sqliteFile)
    : m_name(QStringLiteral("bare-") + QUuid::createUuid().toString(QUuid::Id128))
{
    m_database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    m_database.setDatabaseName(sqliteFile);
    if (!m_database.open())
        throw DatabaseError(m_database.lastError().text());
}

BareConnection::~BareConnection()
{
    m_database.close();
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

qint64 BareConnection::readToEnd(const QString& sql, const QVariantList& parameters)
{
    QSqlQuery query = run(m_database, sql, parameters);
    const int columns = query.record().count();
    qint64 rows = 0;
    while (query.next()) {
        for (int c = 0; c < columns; ++c)
            query.value(c);
        ++rows;
    }
    return rows;
}

int BareConnection::exec(const QString& sql, const QVariantList& parameters)
{
    return run(m_database, sql, parameters).numRowsAffected();
}

} // namespace shoupai::bench
