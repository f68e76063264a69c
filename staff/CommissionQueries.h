#pragma once

#include "platform/DayPeriod.h"

#include <QString>
#include <QVariantList>

namespace shoupai {

class Dialect;

// A statement with its bound values, or why an operator's search was refused.
struct StaffStatement
{
    QString sql;
    QVariantList parameters;
    QString refusal; // empty when the statement is ready
    bool isReady() const { return refusal.isEmpty(); }
};

// The statements of the commission and wage screens.
namespace staffqueries {

// Commission per employee code over all time, lines of every state and the "n" lines alike.
StaffStatement commissionTotals();
StaffStatement commissionTotals(const DayPeriod& period);

// Bill lines (or wage records) whose typed column holds the typed value.
StaffStatement commissionLines(const Dialect& dialect, const QString& column, const QString& value);
StaffStatement wageRecords(const Dialect& dialect, const QString& column, const QString& value);

} // namespace staffqueries
} // namespace shoupai
