#include "platform/TypedSearch.h"

#include "platform/DayPeriod.h"
#include "platform/Money.h"
#include "platform/Schema.h"

#include <QDate>

#include <optional>

namespace shoupai {

namespace {

const ColumnDefinition* findColumn(const QString& table, const QString& column)
{
    const TableDefinition* definition = Schema::table(table.trimmed());
    if (!definition)
        return nullptr;
    for (const ColumnDefinition& c : definition->columns) {
        if (c.name.compare(column.trimmed(), Qt::CaseInsensitive) == 0)
            return &c;
    }
    return nullptr;
}

std::optional<QDate> parseDay(const QString& text)
{
    const QString trimmed = text.trimmed();
    for (const QString& format : {QStringLiteral("yyyy-M-d"), QStringLiteral("yyyy/M/d"),
                                  QStringLiteral("yyyyMMdd"), QStringLiteral("yyyy.M.d")}) {
        const QDate date = QDate::fromString(trimmed, format);
        if (date.isValid())
            return date;
    }
    return std::nullopt;
}

std::optional<bool> parseFlag(const QString& text)
{
    const QString t = text.trimmed().toLower();
    if (t == u"1" || t == u"是" || t == u"true")
        return true;
    if (t == u"0" || t == u"否" || t == u"false")
        return false;
    return std::nullopt;
}

TypedSearch refused(const QString& message)
{
    TypedSearch search;
    search.outcome = TypedSearch::Outcome::BadValue;
    search.message = message;
    return search;
}

TypedSearch ready(const QString& condition, const QVariantList& parameters)
{
    TypedSearch search;
    search.outcome = TypedSearch::Outcome::Ready;
    search.condition = condition;
    search.parameters = parameters;
    return search;
}

} // namespace

TypedSearch TypedSearch::build(const Dialect& dialect, const QString& table, const QString& column,
                               const QString& text, const QStringList& excluded)
{
    const ColumnDefinition* found = findColumn(table, column);
    if (!found)
        return {};
    for (const QString& name : excluded) {
        if (name.trimmed().compare(found->name, Qt::CaseInsensitive) == 0)
            return {};
    }
    // The name comes from the schema, never from the typed text.
    const QString quoted = dialect.quote(found->name);
    const QString equals = quoted + QStringLiteral(" = ?");

    switch (found->kind) {
    case ColumnKind::Text:
    case ColumnKind::Memo:
        return ready(dialect.caseInsensitiveLikeEscaped(quoted),
                     {u'%' + Dialect::escapeLike(text) + u'%'});
    case ColumnKind::Money: {
        const std::optional<Money> amount = Money::parse(text);
        if (!amount)
            return refused(QStringLiteral("\"%1\"不是正确的金额,请重新输入!").arg(text));
        return ready(equals, {QVariant::fromValue(*amount)});
    }
    case ColumnKind::Number: {
        // Stored with decimals as a floating value; compared to four places, as shown.
        const std::optional<Money> number = Money::parse(text);
        if (!number)
            return refused(QStringLiteral("\"%1\"不是正确的数字,请重新输入!").arg(text));
        return ready(QStringLiteral("abs(%1 - ?) < 0.00005").arg(quoted), {number->toDouble()});
    }
    case ColumnKind::Integer:
    case ColumnKind::AutoNumber: {
        bool ok = false;
        const qlonglong value = text.trimmed().toLongLong(&ok);
        if (!ok)
            return refused(QStringLiteral("\"%1\"不是正确的整数,请重新输入!").arg(text));
        return ready(equals, {value});
    }
    case ColumnKind::Boolean: {
        const std::optional<bool> flag = parseFlag(text);
        if (!flag)
            return refused(QStringLiteral("\"%1\"不是\"是\"或\"否\",请重新输入!").arg(text));
        return ready(equals, {*flag});
    }
    case ColumnKind::DateTime: {
        const std::optional<QDate> day = parseDay(text);
        if (!day)
            return refused(
                QStringLiteral("\"%1\"不是正确的日期(例如2026-01-31),请重新输入!").arg(text));
        const DayPeriod period = DayPeriod::day(*day);
        return ready(period.condition(quoted), period.parameters());
    }
    }
    return {};
}

} // namespace shoupai
