#include "platform/Money.h"

#include <QLocale>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace shoupai {

namespace {

qint64 checkedTicks(__int128 value)
{
    if (value > std::numeric_limits<qint64>::max() || value < std::numeric_limits<qint64>::min())
        throw std::overflow_error("amount out of range");
    return static_cast<qint64>(value);
}

// Divides and rounds half to even.
__int128 divideRoundHalfEven(__int128 numerator, __int128 divisor)
{
    __int128 quotient = numerator / divisor;
    __int128 remainder = numerator % divisor;
    if (remainder == 0)
        return quotient;
    const __int128 twice = (remainder < 0 ? -remainder : remainder) * 2;
    const bool negative = (numerator < 0) != (divisor < 0);
    if (twice > divisor || (twice == divisor && (quotient % 2 != 0)))
        quotient += negative ? -1 : 1;
    return quotient;
}

} // namespace

Money Money::fromDouble(double value)
{
    if (!std::isfinite(value))
        throw std::overflow_error("amount out of range");
    const double scaled = std::nearbyint(value * Scale); // default rounding mode: half to even
    if (std::fabs(scaled) > 9.2e18)
        throw std::overflow_error("amount out of range");
    // Round the shortest decimal that reads back as this double, so that 0.85
    // becomes 8500, not 8499, and no digit that decides the rounding is lost.
    return parse(QString::number(value, 'f', QLocale::FloatingPointShortest))
        .value_or(Money(static_cast<qint64>(scaled)));
}

std::optional<Money> Money::parse(QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    bool negative = false;
    qsizetype pos = 0;
    if (text[0] == u'-' || text[0] == u'+') {
        negative = text[0] == u'-';
        ++pos;
    }
    __int128 whole = 0;
    int wholeDigits = 0;
    while (pos < text.size() && text[pos].isDigit() && text[pos].unicode() < 128) {
        whole = whole * 10 + (text[pos].unicode() - u'0');
        if (whole > std::numeric_limits<qint64>::max())
            return std::nullopt;
        ++wholeDigits;
        ++pos;
    }
    __int128 fraction = 0;
    int fractionDigits = 0;
    int roundingDigit = -1; // the fifth decimal
    bool stickyBeyond = false;
    if (pos < text.size() && text[pos] == u'.') {
        ++pos;
        while (pos < text.size() && text[pos].isDigit() && text[pos].unicode() < 128) {
            const int digit = text[pos].unicode() - u'0';
            if (fractionDigits < 4) {
                fraction = fraction * 10 + digit;
            } else if (fractionDigits == 4) {
                roundingDigit = digit;
            } else if (digit != 0) {
                stickyBeyond = true;
            }
            ++fractionDigits;
            ++pos;
        }
    }
    if (pos != text.size() || (wholeDigits == 0 && fractionDigits == 0))
        return std::nullopt;
    for (int i = fractionDigits; i < 4; ++i)
        fraction *= 10;
    __int128 ticks = whole * Scale + fraction;
    if (roundingDigit > 5 || (roundingDigit == 5 && (stickyBeyond || ticks % 2 != 0)))
        ++ticks;
    if (negative)
        ticks = -ticks;
    if (ticks > std::numeric_limits<qint64>::max() || ticks < std::numeric_limits<qint64>::min())
        return std::nullopt;
    return Money(static_cast<qint64>(ticks));
}

QString Money::toString() const
{
    QString text = toFixed(4);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    if (text == u"-0")
        return QStringLiteral("0");
    return text;
}

QString Money::toFixed(int decimals) const
{
    decimals = qBound(0, decimals, 4);
    qint64 divisor = 1;
    for (int i = decimals; i < 4; ++i)
        divisor *= 10;
    const __int128 rounded = divideRoundHalfEven(m_ticks, divisor);
    const bool negative = rounded < 0;
    unsigned __int128 magnitude = negative ? -rounded : rounded;
    qint64 unitScale = 1;
    for (int i = 0; i < decimals; ++i)
        unitScale *= 10;
    const auto units = static_cast<quint64>(magnitude / unitScale);
    const auto fraction = static_cast<quint64>(magnitude % unitScale);
    QString text = negative ? QStringLiteral("-") : QString();
    text += QString::number(units);
    if (decimals > 0)
        text += u'.' + QStringLiteral("%1").arg(fraction, decimals, 10, QLatin1Char('0'));
    return text;
}

Money Money::operator+(Money other) const
{
    return Money(checkedTicks(static_cast<__int128>(m_ticks) + other.m_ticks));
}

Money Money::operator-(Money other) const
{
    return Money(checkedTicks(static_cast<__int128>(m_ticks) - other.m_ticks));
}

Money Money::times(qint64 quantity) const
{
    return Money(checkedTicks(static_cast<__int128>(m_ticks) * quantity));
}

Money Money::times(Money factor) const
{
    return Money(
        checkedTicks(divideRoundHalfEven(static_cast<__int128>(m_ticks) * factor.m_ticks, Scale)));
}

Money Money::roundedToUnits() const
{
    return Money(checkedTicks(divideRoundHalfEven(m_ticks, Scale) * Scale));
}

} // namespace shoupai
