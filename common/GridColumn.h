#pragma once

#include "platform/Schema.h"

#include <QString>
#include <QVariant>

#include <optional>

namespace shoupai {

// How a column's stored value is shown. Auto takes the kind the schema knows
// for the column, else shows the value as it comes.
enum class GridFormat
{
    Auto,
    Text,
    Integer,
    Number,
    Money,
    Date,
    DateTime,
    Boolean
};

// A summary under a column (footer) or in a group's header row.
enum class GridSummary
{
    None,
    Count,
    Sum
};

// What a screen says about one column of its grid. Columns of the result that
// a screen lists no GridColumn for are kept (their values can be read) but hidden,
// unless the screen lists none at all, in which case every column shows
// under its own name.
struct GridColumn
{
    QString name;    // the result column
    QString caption; // title; empty shows the column name
    GridFormat format = GridFormat::Auto;
    int width = 0; // pixels; 0 keeps the default
    bool hidden = false;

    // Footer under the column: the row count or the column's sum over the whole
    // statement, put into footerFormat at %1 ("Sum is %1", "(SUM=%1)").
    GridSummary footer = GridSummary::None;
    QString footerFormat = QStringLiteral("%1");
    // The same per group when the grid is grouped.
    GridSummary groupSummary = GridSummary::None;
    QString groupFormat = QStringLiteral("(SUM=%1)");

    // Decimals of shown amounts and sums; -1 takes the format's own: two for
    // money, the shortest form for numbers.
    int decimals = -1;

    QString title() const { return caption.isEmpty() ? name : caption; }

    static GridColumn plain(const QString& name, const QString& caption = {}, int width = 0)
    {
        GridColumn column;
        column.name = name;
        column.caption = caption;
        column.width = width;
        return column;
    }
    static GridColumn money(const QString& name, const QString& caption = {}, int width = 0)
    {
        GridColumn column = plain(name, caption, width);
        column.format = GridFormat::Money;
        return column;
    }
    GridColumn& withFooter(GridSummary kind, const QString& form = QStringLiteral("%1"))
    {
        footer = kind;
        footerFormat = form;
        return *this;
    }
    GridColumn& withGroupSummary(GridSummary kind, const QString& form = QStringLiteral("(SUM=%1)"))
    {
        groupSummary = kind;
        groupFormat = form;
        return *this;
    }
    GridColumn& as(GridFormat shown)
    {
        format = shown;
        return *this;
    }
    GridColumn& hide()
    {
        hidden = true;
        return *this;
    }
};

namespace gridformat {

// The format a stored column kind is shown in.
GridFormat fromKind(ColumnKind kind);
// The kind the schema gives a column name in every table that has it;
// nothing for names it does not know or that differ between tables.
std::optional<ColumnKind> kindByName(const QString& column);
// The format for a column: the given one, else the schema's kind of
// table.column, else the kind every table agrees on for the name, else Auto.
GridFormat resolve(GridFormat given, const QString& table, const QString& column);

// A stored value as shown: money with two decimals (or `decimals`), numbers in
// shortest form, dates as yyyy-MM-dd, date-times as yyyy-MM-dd hh:mm:ss;
// NULL shows empty.
QString display(const QVariant& value, GridFormat format, int decimals = -1);
// A sum as returned by the engine (ten-thousandths for money), shown in the
// column's format; NULL (a sum over no rows) shows as zero in that format.
QString displaySum(const QVariant& sum, GridFormat format, int decimals = -1);
// The same for a column of a result about to be shown, printed or exported:
// a column that neither its screen nor any schema gives a kind is a computed
// one (`sum(合计) as 金额`) whose kind was not declared beside its SQL, and
// guessing would show an amount ten thousand times too large. That is a
// mistake of the screen: debug builds throw std::logic_error naming the
// column; release builds show the value as it comes.
GridFormat resolveDeclared(GridFormat given, const QString& table, const QString& column);
// Reports such a column (throws in debug builds, see above).
void undeclaredColumn(const QString& column);
// Whether values of the format are right-aligned.
bool isNumeric(GridFormat format);

// Whether a stored value is a whole number (counts, quantities) rather than a decimal.
bool isIntegral(const QVariant& value);
// An amount in shortest form, or with exactly `decimals` decimals when that is 0 or more.
QString amountText(Money value, int decimals);

} // namespace gridformat

} // namespace shoupai
