#pragma once

#include "common/GridColumn.h"

#include <QList>
#include <QMarginsF>
#include <QSizeF>
#include <QString>
#include <QStringList>

namespace shoupai {

// One column of the detail band: a result column under its heading.
struct ReportColumn
{
    QString field;
    QString caption;
    double widthMm = 0;           // 0 shares what the fixed columns leave
    Qt::Alignment alignment = {}; // none: numbers right, the rest left
    GridFormat format = GridFormat::Auto;
    int decimals = -1; // -1: amounts in shortest form
    QString prefix;    // printed before each value

    static ReportColumn of(const QString& field, const QString& caption, double widthMm = 0,
                           GridFormat format = GridFormat::Auto)
    {
        ReportColumn column;
        column.field = field;
        column.caption = caption;
        column.widthMm = widthMm;
        column.format = format;
        return column;
    }
};

// A piece of a summary line: a text, or a label followed by the row count or
// the sum of a column over every row of the report, and a suffix ("元").
struct ReportItem
{
    enum class Kind
    {
        Text,
        Count,
        Sum
    };
    Kind kind = Kind::Text;
    QString text; // the text itself, or the label before the figure
    QString field;
    QString suffix;
    GridFormat format = GridFormat::Auto; // Auto: the format of the report column of that field
    int decimals = -1;

    static ReportItem label(const QString& text)
    {
        ReportItem item;
        item.text = text;
        return item;
    }
    static ReportItem count(const QString& label, const QString& suffix = {})
    {
        ReportItem item;
        item.kind = Kind::Count;
        item.text = label;
        item.suffix = suffix;
        return item;
    }
    static ReportItem sum(const QString& label, const QString& field, const QString& suffix = {},
                          GridFormat format = GridFormat::Auto)
    {
        ReportItem item;
        item.kind = Kind::Sum;
        item.text = label;
        item.field = field;
        item.suffix = suffix;
        item.format = format;
        return item;
    }
};

// Items printed one after another on one line, `gap` between them.
struct ReportLine
{
    QList<ReportItem> items;
    QString gap = QStringLiteral("   ");

    ReportLine() = default;
    ReportLine(std::initializer_list<ReportItem> list) : items(list) {}
    ReportLine(const QString& text) : items{ReportItem::label(text)} {}
};

// A banded report over the rows of one statement. In every text, [DATE] and
// [TIME] stand for the date (yyyy-MM-dd) and time (hh:mm:ss) of printing.
struct ReportLayout
{
    QString name; // of the print job and the PDF

    QStringList titles;   // first page, at the top, large
    QStringList headings; // every page, above the column headings
    QList<ReportColumn> columns;
    bool columnHeadings = true; // the captions, repeated on every page
    QList<ReportLine> summary;  // once, after the last row
    QStringList footers;        // the foot of every page

    // Empty: A4 portrait.
    QSizeF pageSizeMm;
    QMarginsF marginsMm = QMarginsF(12, 12, 12, 12);
    double fontPoints = 10;
    double titlePoints = 14;

    Qt::Alignment titleAlignment = Qt::AlignHCenter;
    Qt::Alignment headingAlignment = Qt::AlignLeft;
    Qt::Alignment summaryAlignment = Qt::AlignLeft;
    Qt::Alignment footerAlignment = Qt::AlignRight;

    // The table whose schema gives the kind (amount, date...) of columns and
    // sums whose format is Auto; without it they show the value as it comes.
    QString table;
};

} // namespace shoupai
