#pragma once

#include "platform/DayPeriod.h"
#include "platform/Money.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

namespace shoupai {

class Database;

// A statement and the values bound to its `?`, in order.
struct BoundStatement
{
    QString sql;
    QVariantList parameters;
};

namespace sales {

// The status of a bill or line the venue was paid for. Free bills ("免单") are
// kept for the record but bring in nothing.
QString paidState();
// The goods-type choice that lifts the restriction.
QString allTypes();

// The bills checked out and paid in a period.
BoundStatement paidBills(const DayPeriod& period);
// The revenue of a period: the cash received on its paid bills. A card
// payment's card part was taken in at recharge, so only its cash part counts.
// A period without bills has revenue 0. Throws DatabaseError.
Money revenue(const Database& database, const DayPeriod& period);
// Quantity and amount per goods name of the paid lines of a period, for one
// goods type unless `type` is empty or allTypes(). Columns 商品名, 总数量, 总合计.
BoundStatement itemTotals(const DayPeriod& period, const QString& type);
// "全部" followed by every goods type, as the type lists offer them.
QStringList typeChoices(const Database& database);
// The paid lines of a period.
BoundStatement paidLines(const DayPeriod& period);

} // namespace sales

} // namespace shoupai
