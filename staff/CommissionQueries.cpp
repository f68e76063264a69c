#include "staff/CommissionQueries.h"

#include "platform/TypedSearch.h"

namespace shoupai::staffqueries {

namespace {

const QString Totals =
    QStringLiteral("select 员工编号, sum(提成金额) as 金额 from 结帐明细%1 group by 员工编号");

StaffStatement search(const Dialect& dialect, const QString& table, const QString& what,
                      const QString& column, const QString& value)
{
    const TypedSearch typed = TypedSearch::build(dialect, table, column, value.trimmed());
    StaffStatement statement;
    switch (typed.outcome) {
    case TypedSearch::Outcome::UnknownColumn:
        statement.refusal =
            QStringLiteral("\"%1\"不是%2的列名,请重新选择要查询的列!").arg(column.trimmed(), what);
        return statement;
    case TypedSearch::Outcome::BadValue:
        statement.refusal = typed.message;
        return statement;
    case TypedSearch::Outcome::Ready:
        break;
    }
    statement.sql =
        QStringLiteral("select * from ") + table + QStringLiteral(" where ") + typed.condition;
    statement.parameters = typed.parameters;
    return statement;
}

} // namespace

StaffStatement commissionTotals()
{
    return {Totals.arg(QString()), {}, {}};
}

StaffStatement commissionTotals(const DayPeriod& period)
{
    return {Totals.arg(QStringLiteral(" where ") + period.condition(QStringLiteral("消费时间"))),
            period.parameters(),
            {}};
}

StaffStatement commissionLines(const Dialect& dialect, const QString& column, const QString& value)
{
    return search(dialect, QStringLiteral("结帐明细"), QStringLiteral("提成明细"), column, value);
}

StaffStatement wageRecords(const Dialect& dialect, const QString& column, const QString& value)
{
    return search(dialect, QStringLiteral("员工工资表"), QStringLiteral("工资记录"), column, value);
}

} // namespace shoupai::staffqueries
