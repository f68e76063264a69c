#pragma once

#include "queries/SalesFigures.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace shoupai {

class Dialect;

// "检索" over the stored bill lines: any of a column's value, a time span and
// a status, joined with "and"; none of them lists every line of every status.
struct LineSearch
{
    QString column; // chosen or typed column of 结帐明细
    QString value;  // empty: no condition on the column
    bool timed = false;
    QDateTime from; // both ends included
    QDateTime to;
    QString state; // "全部" (or empty) for every status

    enum class Outcome
    {
        Ready,
        UnknownColumn,
        BadValue,
        FromAfterTo
    };
    struct Built
    {
        Outcome outcome = Outcome::Ready;
        BoundStatement statement;
        QString message; // what to tell the operator when not Ready
    };
    Built build(const Dialect& dialect) const;
};

} // namespace shoupai
