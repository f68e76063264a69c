#pragma once

#include "platform/ConnectionDescription.h"
#include "platform/Dialect.h"
#include "platform/Money.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <stdexcept>

namespace shoupai {

// A failed statement. what() is UTF-8; text() is the database's own message,
// which the screens show to the operator.
class DatabaseError : public std::runtime_error
{
public:
    enum class Cause
    {
        Other,
        UniqueViolation, // a second row with a key that must be unique
        Busy             // another program on the same database file holds its write lock
    };

    explicit DatabaseError(const QString& text, Cause cause = Cause::Other)
        : std::runtime_error(text.toStdString()), m_text(text), m_cause(cause)
    {
    }
    QString text() const { return m_text; }
    // Two workstations inserting the same key at once end here; screens turn it
    // into their own message instead of the database's text.
    bool isUniqueViolation() const { return m_cause == Cause::UniqueViolation; }
    // The write did not start or was rolled back as a whole: trying again later works.
    bool isBusy() const { return m_cause == Cause::Busy; }

private:
    QString m_text;
    Cause m_cause;
};

// The rows of one query, walked forward. Columns are read by name; the
// conversions know how each engine hands back amounts, dates and flags.
class Rows
{
public:
    explicit Rows(QSqlQuery query);

    bool next() { return m_query.next(); }
    QSqlRecord record() const { return m_query.record(); }
    int columnCount() const { return m_query.record().count(); }

    QVariant value(const QString& column) const;
    bool isNull(const QString& column) const { return value(column).isNull(); }
    QString text(const QString& column) const;       // NULL reads ""
    Money money(const QString& column) const;        // NULL reads 0
    Money number(const QString& column) const;       // decimals to four places; NULL 0
    qint64 integer(const QString& column) const;     // NULL reads 0
    bool flag(const QString& column) const;          // NULL reads false
    QDateTime dateTime(const QString& column) const; // NULL reads invalid

    QSqlQuery& query() { return m_query; }

private:
    int indexOf(const QString& column) const;
    QSqlQuery m_query;
};

// Conversions between stored values and the system's types, shared by the
// rows above and by the grids that show raw query results.
namespace stored {
Money toMoney(const QVariant& value);
Money toNumber(const QVariant& value);
QDateTime toDateTime(const QVariant& value);
bool toFlag(const QVariant& value);
// A parameter as the engines take it: amounts as ten-thousandths, date-times as
// "yyyy-MM-dd hh:mm:ss" text, dates as "yyyy-MM-dd".
QVariant toParameter(const QVariant& value);
} // namespace stored

// The one gateway to the database. Every statement goes through it with its
// values bound as parameters; failures throw DatabaseError.
class Database
{
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens the connection a description names; relative file paths are taken
    // from homeFolder. Returns false and keeps the reason in lastError().
    bool open(const ConnectionDescription& description, const QString& homeFolder);
    void close();
    bool isOpen() const;
    QString lastError() const { return m_lastError; }

    Backend backend() const { return m_dialect->backend(); }
    const Dialect& dialect() const { return *m_dialect; }
    // For item models that need the connection itself (read-only grids).
    QSqlDatabase connection() const;

    Rows query(const QString& sql, const QVariantList& parameters = {}) const;
    // A statement without rows; returns the number of rows it touched.
    int exec(const QString& sql, const QVariantList& parameters = {});
    // First column of the first row, or an invalid QVariant without rows.
    QVariant scalar(const QString& sql, const QVariantList& parameters = {}) const;
    // An insert whose generated key is returned (the statement gets "returning <key>").
    qint64 insertReturningKey(const QString& insertSql, const QVariantList& parameters,
                              const QString& keyColumn);

    bool tableExists(const QString& table) const;
    QStringList columns(const QString& table) const;
    // The real name of a column an operator picked or typed, quoted; throws if
    // the table has no such column, so typed text never reaches the SQL.
    QString checkedColumn(const QString& table, const QString& column) const;

    void begin();
    void commit();
    void rollback();
    bool inTransaction() const { return m_inTransaction; }

private:
    QSqlQuery prepared(const QString& sql, const QVariantList& parameters) const;
    [[noreturn]] void fail(const QSqlQuery& query, const QString& sql) const;
    // A lost server connection is opened again before the next statement;
    // see Database.cpp.
    void reconnectIfLost() const;
    bool isConnectionLoss(const QSqlError& error) const;
    QString startSession() const;

    QString m_connectionName;
    std::unique_ptr<Dialect> m_dialect;
    mutable QString m_lastError;
    bool m_inTransaction = false;
    bool m_reopenable = false;   // opened from a description, not closed since
    mutable bool m_lost = false; // the server connection went away
};

// Rolls back unless committed: a multi-step write happens whole or not at all.
class Transaction
{
public:
    explicit Transaction(Database& database) : m_database(database) { m_database.begin(); }
    ~Transaction()
    {
        if (!m_done) {
            try {
                m_database.rollback();
            } catch (const DatabaseError&) {
                // The connection is gone; the server discards the transaction itself.
            }
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit()
    {
        m_database.commit();
        m_done = true;
    }

private:
    Database& m_database;
    bool m_done = false;
};

} // namespace shoupai
