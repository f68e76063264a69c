#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

namespace shoupai::bench {

// A second, plain QtSql connection to the same database file: the floors read
// through it, with nothing of the program in between.
class BareConnection
{
public:
    explicit BareConnection(const QString& sqliteFile);
    ~BareConnection();
    BareConnection(const BareConnection&) = delete;
    BareConnection& operator=(const BareConnection&) = delete;

    QSqlDatabase& database() { return m_database; }
    // Runs one statement forward only and reads every value of every row;
    // returns the number of rows. Throws on failure, so no floor is measured
    // on a statement that did not run.
    qint64 readToEnd(const QString& sql, const QVariantList& parameters = {});
    // A statement without rows; returns the rows it touched.
    int exec(const QString& sql, const QVariantList& parameters = {});

private:
    QString m_name;
    QSqlDatabase m_database;
};

} // namespace shoupai::bench
