#include "queries/SalesFigures.h"

#include "platform/Database.h"

namespace shoupai::sales {

QString paidState()
{
    return QStringLiteral("已结");
}

QString allTypes()
{
    return QStringLiteral("全部");
}

BoundStatement paidBills(const DayPeriod& period)
{
    return {QStringLiteral("select * from 结帐管理 where 状态 = ? and ") +
                period.condition(QStringLiteral("结帐时间")),
            QVariantList{paidState()} + period.parameters()};
}

Money revenue(const Database& database, const DayPeriod& period)
{
    // A sum over no rows is NULL, which reads as 0.
    return stored::toMoney(
        database.scalar(QStringLiteral("select sum(实收金额) from 结帐管理 where 状态 = ? and ") +
                            period.condition(QStringLiteral("结帐时间")),
                        QVariantList{paidState()} + period.parameters()));
}

BoundStatement itemTotals(const DayPeriod& period, const QString& type)
{
    BoundStatement statement{
        QStringLiteral("select 商品名, sum(数量) as 总数量, sum(合计) as 总合计 from 结帐明细 "
                       "where 状态 = ? and ") +
            period.condition(QStringLiteral("消费时间")),
        QVariantList{paidState()} + period.parameters()};
    const QString chosen = type.trimmed();
    if (!chosen.isEmpty() && chosen != allTypes()) {
        statement.sql += QStringLiteral(" and 商品类型 = ?");
        statement.parameters << chosen;
    }
    statement.sql += QStringLiteral(" group by 商品名");
    return statement;
}

QStringList typeChoices(const Database& database)
{
    QStringList choices{allTypes()};
    Rows types = database.query(QStringLiteral("select 名称 from 商品类型 order by 名称"));
    while (types.next())
        choices << types.text(QStringLiteral("名称"));
    return choices;
}

BoundStatement paidLines(const DayPeriod& period)
{
    return {QStringLiteral("select * from 结帐明细 where 状态 = ? and ") +
                period.condition(QStringLiteral("消费时间")),
            QVariantList{paidState()} + period.parameters()};
}

} // namespace shoupai::sales
