// Money from operators' texts and stored values: parsing, both text forms and
// the checked arithmetic.
#include "FuzzSupport.h"

#include "platform/Money.h"

#include <QRegularExpression>

#include <bit>
#include <cmath>
#include <limits>
#include <stdexcept>

using shoupai::Money;

namespace {

constexpr qint64 Max = std::numeric_limits<qint64>::max();
constexpr qint64 Min = std::numeric_limits<qint64>::min();

bool inRange(__int128 value)
{
    return value >= Min && value <= Max;
}

__int128 roundHalfEven(__int128 value, __int128 divisor)
{
    __int128 quotient = value / divisor;
    const __int128 remainder = value % divisor;
    const __int128 twice = 2 * (remainder < 0 ? -remainder : remainder);
    if (twice > divisor || (twice == divisor && quotient % 2 != 0))
        quotient += value < 0 ? -1 : 1;
    return quotient;
}

QString describe(Money m)
{
    return QStringLiteral("ticks %1").arg(m.ticks());
}

// Both text forms read back as the same amount, and the shortest form is shortest.
void checkTexts(Money m)
{
    static const QRegularExpression shortest(
        QStringLiteral(R"(^-?(0|[1-9]\d*)(\.\d{0,3}[1-9])?$)"));
    const QString text = m.toString();
    FUZZ_CHECK(shortest.match(text).hasMatch(), describe(m) + u' ' + text);
    FUZZ_CHECK(text != u"-0", describe(m));
    FUZZ_CHECK(Money::parse(text) == m, describe(m) + u' ' + text);
    FUZZ_CHECK(Money::parse(m.toFixed(4)) == m, describe(m) + u' ' + m.toFixed(4));
    for (int decimals = 0; decimals < 4; ++decimals) {
        __int128 divisor = 1;
        for (int i = decimals; i < 4; ++i)
            divisor *= 10;
        const __int128 expected = roundHalfEven(m.ticks(), divisor) * divisor;
        const QString fixed = m.toFixed(decimals);
        const qsizetype point = fixed.indexOf(u'.');
        FUZZ_CHECK(decimals == 0 ? point < 0 : point == fixed.size() - decimals - 1,
                   describe(m) + u' ' + fixed);
        if (inRange(expected))
            FUZZ_CHECK(Money::parse(fixed) == Money::fromTicks(qint64(expected)),
                       describe(m) + u' ' + fixed);
    }
}

// What an operator types: accepted exactly when it is a plain decimal, and
// then worth what the digits say.
void checkParse(const QString& typed)
{
    static const QRegularExpression decimal(
        QStringLiteral(R"(^([+-]?)0*([0-9]*)(?:\.([0-9]*))?$)"));
    const std::optional<Money> parsed = Money::parse(typed);
    const QString trimmed = typed.trimmed();
    const QRegularExpressionMatch match = decimal.match(trimmed);
    const bool hasDigits = trimmed.contains(QRegularExpression(QStringLiteral("[0-9]")));
    if (parsed) {
        FUZZ_CHECK(match.hasMatch() && hasDigits, typed);
        checkTexts(*parsed);
    }
    if (!match.hasMatch() || !hasDigits || match.captured(2).size() > 14)
        return;
    FUZZ_CHECK(parsed.has_value(), typed);
    const QString decimals = match.captured(3);
    __int128 ticks = 0;
    for (QChar c : match.captured(2) + (decimals + QStringLiteral("0000")).left(4))
        ticks = ticks * 10 + (c.unicode() - u'0');
    const QString beyond = decimals.mid(4);
    if (!beyond.isEmpty()) {
        const bool aboveHalf =
            beyond[0] > u'5' ||
            (beyond[0] == u'5' &&
             beyond.mid(1).contains(QRegularExpression(QStringLiteral("[1-9]"))));
        const bool half = beyond[0] == u'5' && !aboveHalf;
        if (aboveHalf || (half && ticks % 2 != 0))
            ++ticks;
    }
    if (match.captured(1) == u"-")
        ticks = -ticks;
    FUZZ_CHECK(parsed->ticks() == qint64(ticks), typed + u' ' + describe(*parsed));
}

// Sums and products are exact, or refused with overflow_error when they leave the range.
void checkArithmetic(qint64 a, qint64 b)
{
    const Money x = Money::fromTicks(a);
    const Money y = Money::fromTicks(b);
    const auto expect = [&](const char* what, __int128 exact, auto operation) {
        const QString detail = QStringLiteral("%1 %2 %3").arg(what).arg(a).arg(b);
        try {
            const Money result = operation();
            FUZZ_CHECK(inRange(exact) && result.ticks() == qint64(exact), detail);
        } catch (const std::overflow_error&) {
            FUZZ_CHECK(!inRange(exact), detail);
        }
    };
    expect("sum", __int128(a) + b, [&] { return x + y; });
    expect("difference", __int128(a) - b, [&] { return x - y; });
    expect("times quantity", __int128(a) * b, [&] { return x.times(b); });
    expect("times factor", roundHalfEven(__int128(a) * b, Money::Scale),
           [&] { return x.times(y); });
    expect("whole units", roundHalfEven(a, Money::Scale) * Money::Scale,
           [&] { return x.roundedToUnits(); });
    FUZZ_CHECK((x < y) == (a < b) && (x == y) == (a == b),
               QStringLiteral("order %1 %2").arg(a).arg(b));
}

// Values read from floating columns: the nearest ten-thousandth, or refused.
void checkFromDouble(double value)
{
    const double scaled = value * Money::Scale;
    try {
        const Money m = Money::fromDouble(value);
        FUZZ_CHECK(std::isfinite(value), QString::number(value));
        // Half a tick, plus how far the shortest decimal (which is what gets
        // rounded, ties to even) and the product above may lie from the exact
        // value: half an ulp each.
        const double tolerance = 0.5000001 + std::fabs(scaled) * 4e-16;
        FUZZ_CHECK(std::fabs(double(m.ticks()) - scaled) <= tolerance,
                   QString::number(value, 'g', 17) + u' ' + describe(m));
        checkTexts(m);
    } catch (const std::overflow_error&) {
        FUZZ_CHECK(!std::isfinite(value) || std::fabs(scaled) > 9.2e18,
                   QString::number(value, 'g', 17));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    switch (in.byte() % 4) {
    case 0:
        checkParse(QString::fromUtf8(in.rest()));
        break;
    case 1:
        checkTexts(Money::fromTicks(qint64(in.u64())));
        break;
    case 2: {
        const auto a = qint64(in.u64());
        checkArithmetic(a, qint64(in.u64()));
        break;
    }
    default:
        checkFromDouble(std::bit_cast<double>(in.u64()));
        break;
    }
    return 0;
}
