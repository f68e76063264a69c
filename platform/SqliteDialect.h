#pragma once

#include "platform/Dialect.h"

namespace shoupai {

class SqliteDialect final : public Dialect
{
public:
    Backend backend() const override { return Backend::Sqlite; }
    QString driverName() const override { return QStringLiteral("QSQLITE"); }
    QString caseInsensitiveLike(const QString& expression) const override;
    bool isUniqueViolation(const QSqlError& error) const override;
    bool isBusy(const QSqlError& error) const override;
    QString forUpdate() const override { return {}; }
    // IMMEDIATE takes the write lock at once, so two writers never deadlock on upgrade.
    QString beginTransaction() const override { return QStringLiteral("BEGIN IMMEDIATE"); }
    QString dateKey(const QString& expression, DateKey unit) const override;
    QString moneyType() const override { return QStringLiteral("INTEGER"); }
    QString integerType() const override { return QStringLiteral("INTEGER"); }
    QString numberType() const override { return QStringLiteral("REAL"); }
    QString textType() const override { return QStringLiteral("TEXT"); }
    QString memoType() const override { return QStringLiteral("TEXT"); }
    QString dateTimeType() const override { return QStringLiteral("TEXT"); }
    QString booleanType() const override { return QStringLiteral("INTEGER"); }
    QString autoNumberKey() const override
    {
        return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    }
    QString currentDateDefault() const override
    {
        return QStringLiteral("(date('now','localtime'))");
    }
    QString falseLiteral() const override { return QStringLiteral("0"); }
};

} // namespace shoupai
