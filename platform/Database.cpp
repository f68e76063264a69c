#include "platform/Database.h"

#include "platform/StatementHook.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QUuid>

namespace shoupai {

namespace stored {

Money toMoney(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return {};
    if (value.metaType() == QMetaType::fromType<Money>())
        return value.value<Money>();
    if (value.metaType().id() == QMetaType::QString) {
        // A sum that the server hands back as a decimal text.
        const QString text = value.toString();
        // The text counts ten-thousandths; a fraction of one is rounded away.
        if (auto parsed = Money::parse(text))
            return Money::fromTicks(parsed->roundedToUnits().ticks() / Money::Scale);
        return {};
    }
    if (value.metaType().id() == QMetaType::Double)
        return Money::fromTicks(qRound64(value.toDouble()));
    return Money::fromTicks(value.toLongLong());
}

Money toNumber(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return {};
    if (value.metaType().id() == QMetaType::QString)
        return Money::parse(value.toString()).value_or(Money());
    if (value.metaType().id() == QMetaType::Double || value.metaType().id() == QMetaType::Float)
        return Money::fromDouble(value.toDouble());
    return Money::fromUnits(value.toLongLong());
}

QDateTime toDateTime(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return {};
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.metaType().id() == QMetaType::QDate)
        return value.toDate().startOfDay();
    const QString text = value.toString().trimmed();
    QDateTime parsed = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!parsed.isValid())
        parsed = QDateTime::fromString(text, Qt::ISODate);
    if (!parsed.isValid()) {
        const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
        if (date.isValid())
            parsed = date.startOfDay();
    }
    return parsed;
}

bool toFlag(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return false;
    if (value.metaType().id() == QMetaType::QString) {
        const QString text = value.toString().trimmed().toLower();
        return text == u"1" || text == u"true" || text == u"t";
    }
    return value.toBool();
}

QVariant toParameter(const QVariant& value)
{
    if (!value.isValid())
        return value;
    if (value.metaType() == QMetaType::fromType<Money>())
        return QVariant::fromValue<qlonglong>(value.value<Money>().ticks());
    switch (value.metaType().id()) {
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QString:
        // The server ends a text at a NUL and the file keeps it: refused whole
        // rather than stored differently on each engine.
        if (value.toString().contains(QChar(u'\0')))
            throw DatabaseError(QStringLiteral("输入的文字含有空字符(NUL),请删除后再试!"));
        return value;
    default:
        return value;
    }
}

} // namespace stored

namespace {

// The engine's own text ("database is locked") tells an operator nothing; it
// stays appended for whoever looks into it.
const QString BusyDatabase =
    QStringLiteral("数据库正被另一台电脑使用,这次操作没有完成,请稍后再试.");
statementhook::Hook statementHook = nullptr;

const QString LostTransaction =
    QStringLiteral("数据库连接已断开,这次操作没有完成,没有写入任何数据.");

QString openFailure(const QSqlDatabase& db)
{
    const QString text = db.lastError().text().trimmed();
    return text.isEmpty() ? QStringLiteral("无法打开数据库") : text;
}

} // namespace

Rows::Rows(QSqlQuery query) : m_query(std::move(query)) {}

int Rows::indexOf(const QString& column) const
{
    const int index = m_query.record().indexOf(column);
    if (index < 0)
        throw DatabaseError(QStringLiteral("查询结果中没有列: %1").arg(column));
    return index;
}

QVariant Rows::value(const QString& column) const
{
    return m_query.value(indexOf(column));
}

QString Rows::text(const QString& column) const
{
    const QVariant v = value(column);
    return v.isNull() ? QString() : v.toString();
}

Money Rows::money(const QString& column) const
{
    return stored::toMoney(value(column));
}
Money Rows::number(const QString& column) const
{
    return stored::toNumber(value(column));
}
qint64 Rows::integer(const QString& column) const
{
    return value(column).toLongLong();
}
bool Rows::flag(const QString& column) const
{
    return stored::toFlag(value(column));
}
QDateTime Rows::dateTime(const QString& column) const
{
    return stored::toDateTime(value(column));
}

Database::Database()
    : m_connectionName(QStringLiteral("shoupai-") +
                       QUuid::createUuid().toString(QUuid::WithoutBraces)),
      m_dialect(Dialect::create(Backend::Sqlite))
{
}

Database::~Database()
{
    close();
}

bool Database::open(const ConnectionDescription& description, const QString& homeFolder)
{
    close();
    m_lastError.clear();
    if (!description.isUsable()) {
        m_lastError = description.problem;
        return false;
    }
    const Backend backend = description.kind == ConnectionDescription::Kind::Postgres
                                ? Backend::Postgres
                                : Backend::Sqlite;
    m_dialect = Dialect::create(backend);
    QSqlDatabase db = QSqlDatabase::addDatabase(m_dialect->driverName(), m_connectionName);
    if (backend == Backend::Sqlite) {
        const QString path = QFileInfo(description.filePath).isAbsolute()
                                 ? description.filePath
                                 : QDir(homeFolder).filePath(description.filePath);
        db.setDatabaseName(path);
    } else {
        db.setHostName(description.host);
        db.setPort(description.port);
        db.setDatabaseName(description.database);
        db.setUserName(description.user);
        db.setPassword(description.password);
    }
    db.setConnectOptions(description.connectOptions());
    if (!db.open()) {
        m_lastError = openFailure(db);
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
        return false;
    }
    db = QSqlDatabase();
    const QString failure = startSession();
    if (!failure.isEmpty()) {
        close();
        m_lastError = failure;
        return false;
    }
    m_reopenable = true;
    return true;
}

QString Database::startSession() const
{
    QSqlQuery query(connection());
    const QString sql = backend() == Backend::Sqlite
                            ? QStringLiteral("PRAGMA foreign_keys = OFF")
                            : QStringLiteral("SET client_min_messages TO warning");
    if (query.exec(sql))
        return {};
    const QString text = query.lastError().text().trimmed();
    return text.isEmpty() ? QStringLiteral("无法打开数据库") : text;
}

// A server restart, a terminated backend or a dropped network ends the
// connection; the statement that met it fails and is reported as it is, since
// a write may or may not have been committed. The next statement opens the
// connection again, so the operator's next command works. A transaction that
// was open is gone with its connection: the server rolled it back, and nothing
// of it may continue, commit or roll back on the new connection.
bool Database::isConnectionLoss(const QSqlError& error) const
{
    if (backend() != Backend::Postgres)
        return false;
    const QString state = error.nativeErrorCode();
    if (state.startsWith(QLatin1String("08")) || state == u"57P01" || state == u"57P02" ||
        state == u"57P03")
        return true;
    if (error.type() == QSqlError::ConnectionError)
        return true;
    // Without a state the server was not heard at all: the driver knows the link is down.
    return !connection().isOpen();
}

void Database::reconnectIfLost() const
{
    if (!m_reopenable || !QSqlDatabase::contains(m_connectionName))
        return;
    if (!m_lost && connection().isOpen())
        return;
    m_lost = true;
    if (m_inTransaction)
        throw DatabaseError(LostTransaction);
    QSqlDatabase db = connection();
    db.close();
    if (!db.open()) {
        m_lastError = openFailure(db);
        throw DatabaseError(QStringLiteral("数据库没有连接: %1").arg(m_lastError));
    }
    const QString failure = startSession();
    if (!failure.isEmpty()) {
        db.close();
        m_lastError = failure;
        throw DatabaseError(QStringLiteral("数据库没有连接: %1").arg(m_lastError));
    }
    m_lost = false;
    m_lastError.clear();
}

void Database::close()
{
    if (!QSqlDatabase::contains(m_connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
    m_inTransaction = false;
    m_reopenable = false;
    m_lost = false;
}

bool Database::isOpen() const
{
    return QSqlDatabase::contains(m_connectionName) &&
           QSqlDatabase::database(m_connectionName, false).isOpen();
}

QSqlDatabase Database::connection() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

void Database::fail(const QSqlQuery& query, const QString& sql) const
{
    const QSqlError error = query.lastError();
    QString text = error.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("数据库语句执行失败");
    Q_UNUSED(sql);
    if (isConnectionLoss(query.lastError()))
        m_lost = true;
    if (m_dialect->isBusy(error))
        throw DatabaseError(BusyDatabase + u'\n' + text, DatabaseError::Cause::Busy);
    throw DatabaseError(text, m_dialect->isUniqueViolation(error)
                                  ? DatabaseError::Cause::UniqueViolation
                                  : DatabaseError::Cause::Other);
}

QSqlQuery Database::prepared(const QString& sql, const QVariantList& parameters) const
{
    reconnectIfLost();
    if (!isOpen())
        throw DatabaseError(m_lastError.isEmpty()
                                ? QStringLiteral("数据库没有连接")
                                : QStringLiteral("数据库没有连接: %1").arg(m_lastError));
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    query.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (parameters.isEmpty()) {
        // Without values there is nothing to bind; this also lets statements run
        // that the server cannot prepare (transaction control, schema changes).
        if (!query.exec(sql))
            fail(query, sql);
    } else {
        if (!query.prepare(sql))
            fail(query, sql);
        for (const QVariant& parameter : parameters)
            query.addBindValue(stored::toParameter(parameter));
        if (!query.exec())
            fail(query, sql);
    }
    if (statementHook)
        statementHook();
    return query;
}

void statementhook::install(Hook hook)
{
    statementHook = hook;
}

Rows Database::query(const QString& sql, const QVariantList& parameters) const
{
    return Rows(prepared(sql, parameters));
}

int Database::exec(const QString& sql, const QVariantList& parameters)
{
    QSqlQuery query = prepared(sql, parameters);
    return query.numRowsAffected();
}

QVariant Database::scalar(const QString& sql, const QVariantList& parameters) const
{
    QSqlQuery query = prepared(sql, parameters);
    if (!query.next())
        return {};
    return query.value(0);
}

qint64 Database::insertReturningKey(const QString& insertSql, const QVariantList& parameters,
                                    const QString& keyColumn)
{
    QSqlQuery query = prepared(insertSql + m_dialect->returning(keyColumn), parameters);
    if (!query.next())
        throw DatabaseError(QStringLiteral("插入后没有取得新记录的编号"));
    return query.value(0).toLongLong();
}

bool Database::tableExists(const QString& table) const
{
    if (!isOpen())
        return false;
    if (backend() == Backend::Sqlite)
        return scalar(QStringLiteral("select count(*) from sqlite_master where type='table' and "
                                     "name = ?"),
                      {table})
                   .toLongLong() > 0;
    return scalar(QStringLiteral("select count(*) from information_schema.tables where "
                                 "table_schema = current_schema() and table_name = ?"),
                  {table.toLower()})
               .toLongLong() > 0;
}

QStringList Database::columns(const QString& table) const
{
    QStringList names;
    if (!isOpen())
        return names;
    if (backend() == Backend::Sqlite) {
        // pragma_table_info takes the table name as a bound value.
        Rows rows =
            query(QStringLiteral("select name from pragma_table_info(?) order by cid"), {table});
        while (rows.next())
            names << rows.text(QStringLiteral("name"));
    } else {
        Rows rows = query(QStringLiteral("select column_name from information_schema.columns "
                                         "where table_schema = current_schema() and "
                                         "table_name = ? order by ordinal_position"),
                          {table.toLower()});
        while (rows.next())
            names << rows.text(QStringLiteral("column_name"));
    }
    return names;
}

QString Database::checkedColumn(const QString& table, const QString& column) const
{
    const QStringList names = columns(table);
    for (const QString& name : names) {
        if (name.compare(column.trimmed(), Qt::CaseInsensitive) == 0)
            return m_dialect->quote(name);
    }
    throw DatabaseError(QStringLiteral("表%1中没有字段%2").arg(table, column));
}

void Database::begin()
{
    if (m_inTransaction)
        throw DatabaseError(QStringLiteral("事务已经开始"));
    exec(m_dialect->beginTransaction());
    m_inTransaction = true;
}

void Database::commit()
{
    if (!m_inTransaction)
        throw DatabaseError(QStringLiteral("没有开始的事务"));
    if (m_lost) {
        m_inTransaction = false;
        throw DatabaseError(LostTransaction);
    }
    m_inTransaction = false;
    try {
        exec(QStringLiteral("COMMIT"));
    } catch (const DatabaseError&) {
        // The server ended a transaction whose connection went.
        if (m_lost)
            throw;
        // SQLite keeps the transaction open when its commit fails (a deferred
        // constraint, a busy file): end it, or every later statement of the run
        // would land in a transaction that is never committed.
        try {
            exec(QStringLiteral("ROLLBACK"));
        } catch (const DatabaseError&) {
            // The server has ended the transaction itself.
        }
        throw;
    }
}

void Database::rollback()
{
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    // A lost transaction was rolled back by the server; a new connection has
    // nothing to roll back.
    if (m_lost)
        return;
    exec(QStringLiteral("ROLLBACK"));
}

} // namespace shoupai
