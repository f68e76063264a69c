#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariantList>

#include <optional>

namespace shoupai {

// "From date A to date B" as the operator means it: every moment of both days
// and of the days between. Bounds are local date-times, bound like every other
// date-time value, so both engines compare them with the stored local stamps.
class DayPeriod
{
public:
    // Nothing when from lies after to; the screens then show refusal().
    static std::optional<DayPeriod> of(const QDate& from, const QDate& to);
    // A single day.
    static DayPeriod day(const QDate& date);
    static QString refusal();

    // 00:00:00 of the first day, included.
    QDateTime start() const { return m_start; }
    // 00:00:00 of the day after the last, excluded: a stamp at that midnight
    // belongs to the next period only.
    QDateTime end() const { return m_end; }

    // "<column> >= ? and <column> < ?" for an already quoted column.
    QString condition(const QString& column) const;
    // The two values of condition(), in its order.
    QVariantList parameters() const { return {m_start, m_end}; }

private:
    DayPeriod(const QDateTime& start, const QDateTime& end) : m_start(start), m_end(end) {}
    QDateTime m_start;
    QDateTime m_end;
};

} // namespace shoupai
