#pragma once

#include <QMetaType>
#include <QString>
#include <QStringView>

#include <compare>
#include <cstdint>
#include <optional>

namespace shoupai {

// An amount of money, or any other value the system keeps to four decimals
// (discount rates, points), held as a whole number of ten-thousandths so that
// sums are exact. Shown in shortest form: "100", "102.5", "0.85", "-12".
class Money
{
public:
    static constexpr qint64 Scale = 10000;

    constexpr Money() = default;
    static constexpr Money fromTicks(qint64 ticks) { return Money(ticks); }
    static constexpr Money fromUnits(qint64 units) { return Money(units * Scale); }
    // Rounds half to even to four decimals; for values read from floating columns.
    static Money fromDouble(double value);

    // Parses an operator's text: optional sign, digits, optional point and
    // decimals; blanks around it are ignored. More than four decimals are
    // rounded half to even. Returns nothing for anything else.
    static std::optional<Money> parse(QStringView text);

    constexpr qint64 ticks() const { return m_ticks; }
    constexpr bool isZero() const { return m_ticks == 0; }
    constexpr bool isNegative() const { return m_ticks < 0; }

    QString toString() const;            // shortest form
    QString toFixed(int decimals) const; // "12.50"; rounds half to even below four
    double toDouble() const { return double(m_ticks) / Scale; }

    constexpr Money operator-() const { return Money(-m_ticks); }
    Money operator+(Money other) const;
    Money operator-(Money other) const;
    Money& operator+=(Money other) { return *this = *this + other; }
    Money& operator-=(Money other) { return *this = *this - other; }

    // Exact product with a whole quantity.
    Money times(qint64 quantity) const;
    // Product with another four-decimal value, rounded half to even to four places.
    Money times(Money factor) const;
    // Rounded half to even to whole units (receipt unit prices).
    Money roundedToUnits() const;

    constexpr auto operator<=>(const Money&) const = default;

private:
    constexpr explicit Money(qint64 ticks) : m_ticks(ticks) {}
    qint64 m_ticks = 0;
};

} // namespace shoupai

Q_DECLARE_METATYPE(shoupai::Money)
