#include "common/GridColumn.h"

#include "platform/Database.h"

#include <QHash>

#include <stdexcept>

namespace shoupai::gridformat {

GridFormat fromKind(ColumnKind kind)
{
    switch (kind) {
    case ColumnKind::Money:
        return GridFormat::Money;
    case ColumnKind::Number:
        return GridFormat::Number;
    case ColumnKind::Integer:
    case ColumnKind::AutoNumber:
        return GridFormat::Integer;
    case ColumnKind::DateTime:
        return GridFormat::DateTime;
    case ColumnKind::Boolean:
        return GridFormat::Boolean;
    case ColumnKind::Text:
    case ColumnKind::Memo:
        return GridFormat::Text;
    }
    return GridFormat::Text;
}

std::optional<ColumnKind> kindByName(const QString& column)
{
    // Built once: the kind of every column name, or nothing where tables
    // disagree about it.
    static const QHash<QString, std::optional<ColumnKind>> kinds = [] {
        QHash<QString, std::optional<ColumnKind>> map;
        for (const TableDefinition& definition : Schema::tables()) {
            for (const ColumnDefinition& c : definition.columns) {
                const QString key = c.name.toLower();
                const auto found = map.constFind(key);
                if (found == map.constEnd())
                    map.insert(key, c.kind);
                else if (*found != c.kind)
                    map.insert(key, std::nullopt);
            }
        }
        return map;
    }();
    return kinds.value(column.trimmed().toLower());
}

GridFormat resolve(GridFormat given, const QString& table, const QString& column)
{
    if (given != GridFormat::Auto)
        return given;
    if (!table.isEmpty()) {
        if (const auto kind = Schema::kindOf(table, column))
            return fromKind(*kind);
    }
    // Amounts are stored in ten-thousandths: shown as they come they would read
    // ten thousand times too much, so a name every table agrees on decides.
    if (const auto kind = kindByName(column))
        return fromKind(*kind);
    return GridFormat::Auto;
}

GridFormat resolveDeclared(GridFormat given, const QString& table, const QString& column)
{
    const GridFormat format = resolve(given, table, column);
    if (format == GridFormat::Auto)
        undeclaredColumn(column);
    return format;
}

void undeclaredColumn(const QString& column)
{
#ifndef NDEBUG
    throw std::logic_error(QStringLiteral("the kind of the computed column \"%1\" is not declared")
                               .arg(column)
                               .toStdString());
#else
    Q_UNUSED(column);
#endif
}

namespace {

QString dateTimeText(const QVariant& value, const QString& form)
{
    const QDateTime moment = stored::toDateTime(value);
    return moment.isValid() ? moment.toString(form) : value.toString();
}

} // namespace

QString display(const QVariant& value, GridFormat format, int decimals)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (format) {
    case GridFormat::Money:
        return stored::toMoney(value).toFixed(decimals < 0 ? 2 : decimals);
    case GridFormat::Number:
        return amountText(stored::toNumber(value), decimals);
    case GridFormat::Integer:
        if (isIntegral(value))
            return QString::number(value.toLongLong());
        return stored::toNumber(value).toString();
    case GridFormat::Date:
        return dateTimeText(value, QStringLiteral("yyyy-MM-dd"));
    case GridFormat::DateTime:
        return dateTimeText(value, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    case GridFormat::Boolean:
        return stored::toFlag(value) ? QStringLiteral("\u2713") : QString();
    case GridFormat::Auto:
    case GridFormat::Text:
        break;
    }
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    if (value.metaType().id() == QMetaType::QDate)
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    if (value.metaType() == QMetaType::fromType<Money>())
        return value.value<Money>().toString();
    return value.toString();
}

QString displaySum(const QVariant& sum, GridFormat format, int decimals)
{
    if (format == GridFormat::Money)
        return stored::toMoney(sum).toFixed(decimals < 0 ? 2 : decimals);
    if (!sum.isValid() || sum.isNull())
        return amountText(Money(), decimals);
    // Counts and whole-number sums may exceed what four decimals can hold.
    if (decimals < 0 && isIntegral(sum))
        return QString::number(sum.toLongLong());
    if (sum.metaType().id() == QMetaType::QString && !Money::parse(sum.toString()))
        return sum.toString();
    return amountText(stored::toNumber(sum), decimals);
}

bool isNumeric(GridFormat format)
{
    return format == GridFormat::Money || format == GridFormat::Number ||
           format == GridFormat::Integer;
}

bool isIntegral(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

QString amountText(Money value, int decimals)
{
    return decimals < 0 ? value.toString() : value.toFixed(decimals);
}

} // namespace shoupai::gridformat
