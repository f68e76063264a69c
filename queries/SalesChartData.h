#pragma once

#include "platform/DayPeriod.h"
#include "platform/Money.h"

#include <QList>
#include <QString>

namespace shoupai {

class Database;

// The figures behind the charts, each read with one grouped statement.
namespace salescharts {

struct Bar
{
    QString label;
    Money value;
    bool operator==(const Bar&) const = default;
};

// Revenue per day (or per month, see perMonth) over the period.
struct RevenueBars
{
    bool perMonth = false;
    QList<Bar> bars; // every day or month of the period in order; none without bills shows 0
};

// Periods longer than this many days are shown per month: a bar per day would
// be too thin to read.
constexpr int MaxDailyBars = 92;
// The items shown one by one; the rest are summed into "其他".
constexpr int TopItems = 20;

// The revenue (as sales::revenue counts it) per day or month. Throws DatabaseError.
RevenueBars revenueBars(const Database& database, const DayPeriod& period);
// The TopItems goods with the largest paid amount, largest first, then "其他"
// with the rest when there is any. Throws DatabaseError.
QList<Bar> itemBars(const Database& database, const DayPeriod& period, const QString& type);

QString restLabel();

} // namespace salescharts

} // namespace shoupai
