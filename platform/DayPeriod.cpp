#include "platform/DayPeriod.h"

namespace shoupai {

std::optional<DayPeriod> DayPeriod::of(const QDate& from, const QDate& to)
{
    if (!from.isValid() || !to.isValid() || from > to)
        return std::nullopt;
    // Local midnights; startOfDay() also finds the first moment of a day whose
    // midnight a clock change skips.
    return DayPeriod(from.startOfDay(), to.addDays(1).startOfDay());
}

DayPeriod DayPeriod::day(const QDate& date)
{
    return DayPeriod(date.startOfDay(), date.addDays(1).startOfDay());
}

QString DayPeriod::refusal()
{
    return QStringLiteral("起始日期不能大于终止日期,请重新选择!");
}

QString DayPeriod::condition(const QString& column) const
{
    return QStringLiteral("%1 >= ? and %1 < ?").arg(column);
}

} // namespace shoupai
