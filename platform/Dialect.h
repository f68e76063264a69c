#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QSqlError;

namespace shoupai {

enum class Backend
{
    Sqlite,
    Postgres
};

// The calendar unit a date-time is grouped by.
enum class DateKey
{
    Day,  // "yyyy-MM-dd"
    Month // "yyyy-MM"
};

// What differs between the embedded SQLite file and the shared PostgreSQL
// server. Nothing outside platform/ asks which engine it talks to; it asks
// the dialect for the piece of SQL it needs.
class Dialect
{
public:
    virtual ~Dialect() = default;

    virtual Backend backend() const = 0;
    virtual QString driverName() const = 0;

    // Quotes one identifier. Names are created quoted through this function, so
    // that unquoted references in statements find them on both engines.
    virtual QString quote(const QString& identifier) const;

    // "lower(expr) = lower(?)": operators and user names are compared without
    // case, as the venue's data was always compared.
    QString caseInsensitiveEquals(const QString& expression) const;
    // A pattern match without regard to case; the pattern is the bound value.
    virtual QString caseInsensitiveLike(const QString& expression) const = 0;
    // The same match with '%', '_' and '\' in the bound pattern taken literally
    // when the pattern went through escapeLike().
    QString caseInsensitiveLikeEscaped(const QString& expression) const;
    // The typed text with the wildcard characters and the escape character escaped.
    static QString escapeLike(const QString& text);
    // Whether a failed statement broke a unique key or primary key.
    virtual bool isUniqueViolation(const QSqlError& error) const = 0;
    // Whether a statement gave up because another program holds the database's
    // write lock (only a file engine locks the whole database).
    virtual bool isBusy(const QSqlError& error) const
    {
        Q_UNUSED(error);
        return false;
    }
    // Suffix of a select that locks the rows it reads until commit.
    virtual QString forUpdate() const = 0;
    // Suffix of an insert that returns the new key as its one column.
    QString returning(const QString& column) const;
    // Statement that starts a write transaction.
    virtual QString beginTransaction() const = 0;
    // Statement that keeps other writers out of whole tables until commit, or
    // empty where the write transaction already does (a file-level write lock).
    virtual QString lockTablesAgainstWriters(const QStringList& tables) const;
    // The day or month of a date-time column as text ("2024-05-10", "2024-05"),
    // for grouping by calendar unit; both engines give the same text.
    virtual QString dateKey(const QString& expression, DateKey unit) const = 0;

    // Physical column types.
    virtual QString moneyType() const = 0; // ten-thousandths, 64-bit
    virtual QString integerType() const = 0;
    virtual QString numberType() const = 0; // may carry decimals
    virtual QString textType() const = 0;
    virtual QString memoType() const = 0;
    virtual QString dateTimeType() const = 0;
    virtual QString booleanType() const = 0;
    virtual QString autoNumberKey() const = 0; // "integer key the database assigns"
    virtual QString currentDateDefault() const = 0;
    virtual QString falseLiteral() const = 0;

    static std::unique_ptr<Dialect> create(Backend backend);
};

} // namespace shoupai
