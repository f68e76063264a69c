#include "queries/SalesChartData.h"

#include "platform/Database.h"
#include "queries/SalesFigures.h"

#include <QHash>

namespace shoupai::salescharts {

QString restLabel()
{
    return QStringLiteral("其他");
}

RevenueBars revenueBars(const Database& database, const DayPeriod& period)
{
    RevenueBars result;
    const QDate first = period.start().date();
    const QDate last = period.end().addSecs(-1).date();
    result.perMonth = first.daysTo(last) + 1 > MaxDailyBars;
    const DateKey unit = result.perMonth ? DateKey::Month : DateKey::Day;
    const QString format =
        result.perMonth ? QStringLiteral("yyyy-MM") : QStringLiteral("yyyy-MM-dd");

    const QString key = database.dialect().dateKey(QStringLiteral("结帐时间"), unit);
    Rows rows = database.query(
        QStringLiteral("select %1 as 日期, sum(实收金额) as 营业额 from 结帐管理 where 状态 = ? "
                       "and %2 group by %1")
            .arg(key, period.condition(QStringLiteral("结帐时间"))),
        QVariantList{sales::paidState()} + period.parameters());
    QHash<QString, Money> byKey;
    while (rows.next())
        byKey.insert(rows.text(QStringLiteral("日期")), rows.money(QStringLiteral("营业额")));

    // Every day or month of the period gets its bar, so a quiet day reads as 0.
    for (QDate day = first; day <= last;) {
        const QString label = day.toString(format);
        result.bars.append({label, byKey.value(label)});
        day = result.perMonth ? QDate(day.year(), day.month(), 1).addMonths(1) : day.addDays(1);
    }
    return result;
}

QList<Bar> itemBars(const Database& database, const DayPeriod& period, const QString& type)
{
    const BoundStatement totals = sales::itemTotals(period, type);
    // The largest first; the name settles ties so the split at TopItems is stable.
    Rows rows = database.query(
        QStringLiteral("select 商品名, 总合计 from (%1) q order by 总合计 desc, 商品名")
            .arg(totals.sql),
        totals.parameters);
    QList<Bar> bars;
    Money rest;
    bool hasRest = false;
    while (rows.next()) {
        const Money amount = rows.money(QStringLiteral("总合计"));
        if (bars.size() < TopItems) {
            bars.append({rows.text(QStringLiteral("商品名")), amount});
        } else {
            rest += amount;
            hasRest = true;
        }
    }
    if (hasRest)
        bars.append({restLabel(), rest});
    return bars;
}

} // namespace shoupai::salescharts
