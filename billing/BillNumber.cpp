#include "billing/BillNumber.h"

#include "platform/Database.h"

namespace shoupai::billnumber {

namespace {

qint64 storedCounter(const Database& database)
{
    Rows rows = database.query(QStringLiteral("select 单据号 from 单据号"));
    if (!rows.next())
        throw DatabaseError(QStringLiteral("单据号表中没有记录"));
    bool ok = false;
    const qint64 value = rows.text(QStringLiteral("单据号")).trimmed().toLongLong(&ok);
    if (!ok)
        throw DatabaseError(QStringLiteral("单据号表中的单据号不是整数"));
    return value;
}

} // namespace

QString provisional(const Database& database)
{
    return QString::number(storedCounter(database) + 1);
}

QString allocate(Database& database)
{
    // Validate first: a cast of a non-number would silently give 0 on SQLite.
    storedCounter(database);
    const int touched = database.exec(QStringLiteral(
        "update 单据号 set 单据号 = cast(cast(单据号 as bigint) + 1 as varchar(20))"));
    if (touched != 1)
        throw DatabaseError(QStringLiteral("单据号表应当正好有一行记录"));
    return QString::number(storedCounter(database));
}

} // namespace shoupai::billnumber
