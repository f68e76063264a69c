#include "common/ReportRenderer.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSqlError>
#include <QSqlRecord>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace shoupai {

namespace {

const QString PreferredFamily = QStringLiteral("WenQuanYi Micro Hei");

int fieldIndex(const QSqlRecord& record, const QString& name)
{
    const int exact = record.indexOf(name);
    if (exact >= 0)
        return exact;
    // PostgreSQL hands back unquoted names folded to lower case.
    for (int i = 0; i < record.count(); ++i) {
        if (record.fieldName(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    // A misspelt field would otherwise print an empty column without a word.
    throw DatabaseError(QStringLiteral("查询结果中没有列: %1").arg(name));
}

// A value as printed: amounts in shortest form unless decimals are asked for.
QString valueText(const QVariant& value, GridFormat format, int decimals)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (format) {
    case GridFormat::Money:
        return gridformat::amountText(stored::toMoney(value), decimals);
    case GridFormat::Number:
        return gridformat::amountText(stored::toNumber(value), decimals);
    case GridFormat::Integer:
        if (gridformat::isIntegral(value) && decimals < 0)
            return QString::number(value.toLongLong());
        return gridformat::amountText(stored::toNumber(value), decimals);
    case GridFormat::Boolean:
        return stored::toFlag(value) ? QStringLiteral("√") : QString();
    case GridFormat::Date:
    case GridFormat::DateTime:
    case GridFormat::Text:
    case GridFormat::Auto:
        break;
    }
    return gridformat::display(value, format, decimals);
}

// What a sum adds up for one value: amounts by their stored ten-thousandths,
// anything else as a number to four decimals.
Money addend(const QVariant& value, GridFormat format)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (format == GridFormat::Money)
        return stored::toMoney(value);
    return stored::toNumber(value);
}

struct DetailColumn
{
    int field = -1;
    GridFormat format = GridFormat::Auto;
    int decimals = -1;
    QString prefix;
    Qt::Alignment alignment;
    double left = 0;
    double width = 0;
    QString caption;
};

struct SumField
{
    int field = -1;
    GridFormat format = GridFormat::Auto;
    Money total;
};

// Lays bands down a page and starts new pages as they fill.
class PageWriter
{
public:
    PageWriter(QPainter& painter, QPagedPaintDevice& device, const ReportLayout& layout,
               const QDateTime& moment, const std::vector<DetailColumn>& columns,
               const QString& family)
        : m_painter(painter), m_device(device), m_layout(layout), m_moment(moment),
          m_columns(columns)
    {
        m_width = device.width();
        m_height = device.height();
        m_mm = device.logicalDpiX() / 25.4;
        m_body = QFont(family);
        m_body.setPointSizeF(layout.fontPoints);
        m_bold = m_body;
        m_bold.setBold(true);
        m_title = QFont(family);
        m_title.setPointSizeF(layout.titlePoints);
        m_title.setBold(true);
        const QFontMetricsF metrics(m_body, &device);
        m_rowHeight = metrics.height() * 1.3;
        m_padding = 1.2 * m_mm;

        QStringList footers;
        for (const QString& footer : layout.footers)
            footers << ReportRenderer::substitute(footer, moment);
        m_footers = footers;
        m_footerHeight = 0;
        for (const QString& footer : m_footers)
            m_footerHeight += blockHeight(m_body, footer);
        if (m_footerHeight > 0)
            m_footerHeight += 1.5 * m_mm;
    }

    int pages() const { return m_pages; }
    bool stopped() const { return m_stopped; }
    void setOnPage(const std::function<bool(int)>* onPage) { m_onPage = onPage; }
    double millimetres(double mm) const { return mm * m_mm; }

    void begin()
    {
        m_y = 0;
        for (const QString& title : m_layout.titles)
            block(m_title, ReportRenderer::substitute(title, m_moment), m_layout.titleAlignment);
        if (!m_layout.titles.isEmpty())
            m_y += millimetres(2);
        pageHeader();
    }

    void detail(const QSqlQuery& row)
    {
        room(m_rowHeight);
        m_painter.setFont(m_body);
        const QFontMetricsF metrics(m_body, &m_device);
        for (const DetailColumn& column : m_columns) {
            const QString text =
                column.prefix + valueText(row.value(column.field), column.format, column.decimals);
            cell(metrics, column, text);
        }
        m_y += m_rowHeight;
    }

    void rule()
    {
        room(millimetres(1.5));
        m_painter.setPen(QPen(Qt::black, millimetres(0.2)));
        m_painter.drawLine(QPointF(0, m_y + millimetres(0.5)),
                           QPointF(m_width, m_y + millimetres(0.5)));
        m_y += millimetres(1.5);
    }

    void summaryLine(const QString& text)
    {
        const double height = blockHeight(m_body, text);
        room(height);
        block(m_body, text, m_layout.summaryAlignment);
    }

    void end() { pageFooter(); }

private:
    double blockHeight(const QFont& font, const QString& text) const
    {
        if (text.isEmpty())
            return QFontMetricsF(font, &m_device).height();
        const QFontMetricsF metrics(font, &m_device);
        return metrics.boundingRect(QRectF(0, 0, m_width, 1e9), int(Qt::TextWordWrap), text)
            .height();
    }

    void block(const QFont& font, const QString& text, Qt::Alignment alignment)
    {
        const double height = blockHeight(font, text);
        m_painter.setFont(font);
        m_painter.setPen(Qt::black);
        m_painter.drawText(QRectF(0, m_y, m_width, height),
                           int(horizontal(alignment) | Qt::AlignTop | Qt::TextWordWrap), text);
        m_y += height;
    }

    static Qt::Alignment horizontal(Qt::Alignment alignment)
    {
        const Qt::Alignment h = alignment & Qt::AlignHorizontal_Mask;
        return h ? h : Qt::AlignLeft;
    }

    void cell(const QFontMetricsF& metrics, const DetailColumn& column, const QString& text)
    {
        const double inner = std::max(0.0, column.width - 2 * m_padding);
        const QString shown = metrics.horizontalAdvance(text) <= inner
                                  ? text
                                  : metrics.elidedText(text, Qt::ElideRight, inner);
        m_painter.drawText(QRectF(column.left + m_padding, m_y, inner, m_rowHeight),
                           int(column.alignment | Qt::AlignVCenter), shown);
    }

    // Headings and column headings, on every page.
    void pageHeader()
    {
        for (const QString& heading : m_layout.headings)
            block(m_body, ReportRenderer::substitute(heading, m_moment), m_layout.headingAlignment);
        if (m_layout.columnHeadings && !m_columns.empty()) {
            m_painter.setFont(m_bold);
            m_painter.setPen(Qt::black);
            const QFontMetricsF metrics(m_bold, &m_device);
            for (const DetailColumn& column : m_columns)
                cell(metrics, column, column.caption);
            m_y += m_rowHeight;
            m_painter.setPen(QPen(Qt::black, millimetres(0.2)));
            m_painter.drawLine(QPointF(0, m_y), QPointF(m_width, m_y));
            m_y += millimetres(0.5);
        }
        m_contentTop = m_y;
    }

    void pageFooter()
    {
        double y = m_height - m_footerHeight + 1.5 * m_mm;
        m_painter.setFont(m_body);
        m_painter.setPen(Qt::black);
        for (const QString& footer : m_footers) {
            const double height = blockHeight(m_body, footer);
            m_painter.drawText(
                QRectF(0, y, m_width, height),
                int(horizontal(m_layout.footerAlignment) | Qt::AlignTop | Qt::TextWordWrap),
                footer);
            y += height;
        }
    }

    // Starts a new page unless the band fits; a page that holds nothing yet
    // takes the band anyway, so that a band taller than a page cannot loop.
    void room(double height)
    {
        if (m_y + height <= m_height - m_footerHeight || m_y <= m_contentTop)
            return;
        pageFooter();
        if (m_onPage && *m_onPage && !(*m_onPage)(m_pages)) {
            m_stopped = true;
            return;
        }
        m_device.newPage();
        ++m_pages;
        m_y = 0;
        pageHeader();
    }

    QPainter& m_painter;
    QPagedPaintDevice& m_device;
    const ReportLayout& m_layout;
    QDateTime m_moment;
    const std::vector<DetailColumn>& m_columns;
    QFont m_body;
    QFont m_bold;
    QFont m_title;
    QStringList m_footers;
    double m_width = 0;
    double m_height = 0;
    double m_mm = 1;
    double m_rowHeight = 0;
    double m_padding = 0;
    double m_footerHeight = 0;
    double m_y = 0;
    double m_contentTop = 0;
    int m_pages = 1;
    bool m_stopped = false;
    const std::function<bool(int)>* m_onPage = nullptr;
};

// The measures PageWriter lays pages out by, taken without drawing.
struct PageMeasures
{
    double firstRows = 1;
    double rows = 1;
};

PageMeasures measure(const ReportLayout& layout, QPagedPaintDevice& device, const QString& family)
{
    const double mm = device.logicalDpiX() / 25.4;
    const double width = device.width();
    const double height = device.height();
    QFont body(family);
    body.setPointSizeF(layout.fontPoints);
    QFont title(family);
    title.setPointSizeF(layout.titlePoints);
    title.setBold(true);
    const QFontMetricsF bodyMetrics(body, &device);
    const QFontMetricsF titleMetrics(title, &device);
    const auto block = [&](const QFontMetricsF& metrics, const QString& text) {
        if (text.isEmpty())
            return metrics.height();
        return metrics.boundingRect(QRectF(0, 0, width, 1e9), int(Qt::TextWordWrap), text).height();
    };
    const QDateTime sample(QDate(2000, 1, 1), QTime(0, 0));
    const double rowHeight = bodyMetrics.height() * 1.3;
    double footer = 0;
    for (const QString& text : layout.footers)
        footer += block(bodyMetrics, ReportRenderer::substitute(text, sample));
    if (footer > 0)
        footer += 1.5 * mm;
    double header = 0;
    for (const QString& text : layout.headings)
        header += block(bodyMetrics, ReportRenderer::substitute(text, sample));
    if (layout.columnHeadings && !layout.columns.isEmpty())
        header += rowHeight + 0.5 * mm;
    double titles = 0;
    for (const QString& text : layout.titles)
        titles += block(titleMetrics, ReportRenderer::substitute(text, sample));
    if (!layout.titles.isEmpty())
        titles += 2 * mm;
    PageMeasures measures;
    measures.rows = std::max(1.0, std::floor((height - footer - header) / rowHeight));
    measures.firstRows = std::max(1.0, std::floor((height - footer - header - titles) / rowHeight));
    return measures;
}

// Shares the width among the columns: fixed widths first (shrunk together
// when they do not fit), the rest in equal parts.
void placeColumns(std::vector<DetailColumn>& columns, const QList<ReportColumn>& specs,
                  double available, double mm)
{
    double fixed = 0;
    int shared = 0;
    for (const ReportColumn& spec : specs) {
        if (spec.widthMm > 0)
            fixed += spec.widthMm * mm;
        else
            ++shared;
    }
    const double minimumShare = shared > 0 ? 8 * mm * shared : 0;
    double scale = 1;
    if (fixed > 0 && fixed + minimumShare > available)
        scale = std::max(0.0, available - minimumShare) / fixed;
    const double share = shared > 0 ? std::max(0.0, available - fixed * scale) / shared : 0;
    double left = 0;
    for (size_t i = 0; i < columns.size(); ++i) {
        const ReportColumn& spec = specs.at(qsizetype(i));
        columns[i].left = left;
        columns[i].width = spec.widthMm > 0 ? spec.widthMm * mm * scale : share;
        left += columns[i].width;
    }
}

} // namespace

ReportRenderer::ReportRenderer(Database& database) : m_database(database) {}

int ReportRenderer::render(const ReportLayout& layout, const QString& statement,
                           const QVariantList& parameters, QPagedPaintDevice& device) const
{
    // The statement runs before anything is drawn: a failing one leaves the
    // device untouched.
    Rows rows = m_database.query(statement, parameters);
    const QSqlRecord record = rows.record();
    const QDateTime moment = m_printedAt.isValid() ? m_printedAt : QDateTime::currentDateTime();

    std::vector<DetailColumn> columns;
    QHash<QString, const ReportColumn*> byField;
    for (const ReportColumn& spec : layout.columns) {
        DetailColumn column;
        column.field = fieldIndex(record, spec.field);
        column.format =
            gridformat::resolveDeclared(spec.format, layout.table, record.fieldName(column.field));
        column.decimals = spec.decimals;
        column.prefix = spec.prefix;
        column.caption = spec.caption;
        column.alignment = spec.alignment & Qt::AlignHorizontal_Mask;
        if (!column.alignment)
            column.alignment =
                gridformat::isNumeric(column.format) ? Qt::AlignRight : Qt::AlignLeft;
        columns.push_back(column);
        byField.insert(record.fieldName(column.field), &spec);
    }

    // One running total per summed field, however many lines show it.
    std::vector<SumField> sums;
    QHash<int, size_t> sumOf;
    for (const ReportLine& line : layout.summary) {
        for (const ReportItem& item : line.items) {
            if (item.kind != ReportItem::Kind::Sum)
                continue;
            const int field = fieldIndex(record, item.field);
            if (sumOf.contains(field))
                continue;
            SumField sum;
            sum.field = field;
            const ReportColumn* shown = byField.value(record.fieldName(field));
            const GridFormat given = item.format != GridFormat::Auto ? item.format
                                     : shown                         ? shown->format
                                                                     : GridFormat::Auto;
            sum.format = gridformat::resolveDeclared(given, layout.table, record.fieldName(field));
            sumOf.insert(field, sums.size());
            sums.push_back(sum);
        }
    }

    QPageLayout page = pageLayout(layout);
    if (page.orientation() == QPageLayout::Portrait)
        page.setOrientation(device.pageLayout().orientation()); // the preview's choice
    device.setPageLayout(page);

    const std::optional<QString> chinese = chineseFontFamily();
    if (!chinese)
        qWarning("No font that shows Chinese is installed; Chinese text will be missing");
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    painter.setRenderHint(QPainter::TextAntialiasing);
    placeColumns(columns, layout.columns, device.width(), device.logicalDpiX() / 25.4);
    PageWriter writer(painter, device, layout, moment, columns, chinese.value_or(QFont().family()));
    writer.setOnPage(&m_progress);
    writer.begin();

    qint64 count = 0;
    QSqlQuery& query = rows.query();
    while (!writer.stopped() && query.next()) {
        writer.detail(query);
        ++count;
        for (SumField& sum : sums)
            sum.total += addend(query.value(sum.field), sum.format);
    }
    if (query.lastError().isValid()) {
        painter.end();
        throw DatabaseError(query.lastError().text());
    }

    if (writer.stopped()) {
        if (auto* printer = dynamic_cast<QPrinter*>(&device))
            printer->abort();
        painter.end();
        return 0;
    }

    if (!layout.summary.isEmpty()) {
        writer.rule();
        for (const ReportLine& line : layout.summary) {
            QStringList parts;
            for (const ReportItem& item : line.items) {
                switch (item.kind) {
                case ReportItem::Kind::Text:
                    parts << substitute(item.text, moment);
                    break;
                case ReportItem::Kind::Count:
                    parts << item.text + QString::number(count) + item.suffix;
                    break;
                case ReportItem::Kind::Sum: {
                    const SumField& sum = sums.at(sumOf.value(fieldIndex(record, item.field)));
                    const ReportColumn* shown = byField.value(record.fieldName(sum.field));
                    const int decimals =
                        item.decimals >= 0 ? item.decimals : (shown ? shown->decimals : -1);
                    parts << item.text + gridformat::amountText(sum.total, decimals) + item.suffix;
                    break;
                }
                }
            }
            writer.summaryLine(parts.join(line.gap));
        }
    }
    if (writer.stopped()) {
        if (auto* printer = dynamic_cast<QPrinter*>(&device))
            printer->abort();
        painter.end();
        return 0;
    }
    writer.end();
    painter.end();
    return writer.pages();
}

int ReportRenderer::pageCount(const ReportLayout& layout, qint64 rows, QPagedPaintDevice& device)
{
    QPageLayout page = pageLayout(layout);
    if (page.orientation() == QPageLayout::Portrait)
        page.setOrientation(device.pageLayout().orientation());
    device.setPageLayout(page);
    const PageMeasures measures =
        measure(layout, device, chineseFontFamily().value_or(QFont().family()));
    const qint64 rest = std::max<qint64>(0, rows - qint64(measures.firstRows));
    const qint64 pages = 1 + (rest + qint64(measures.rows) - 1) / qint64(measures.rows);
    return int(std::min<qint64>(pages, std::numeric_limits<int>::max()));
}

bool ReportRenderer::renderToPdf(const ReportLayout& layout, const QString& statement,
                                 const QVariantList& parameters, const QString& path) const
{
    int pages = 0;
    {
        QPdfWriter writer(path);
        writer.setTitle(layout.name);
        writer.setCreator(QStringLiteral("Shoupai"));
        writer.setResolution(600);
        try {
            pages = render(layout, statement, parameters, writer);
        } catch (...) {
            QFile::remove(path);
            throw;
        }
    }
    if (pages <= 0) {
        QFile::remove(path);
        return false;
    }
    return QFile::exists(path);
}

QPageLayout ReportRenderer::pageLayout(const ReportLayout& layout)
{
    const QSizeF size = layout.pageSizeMm;
    if (size.isEmpty())
        return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, layout.marginsMm,
                           QPageLayout::Millimeter);
    // Page sizes are kept upright; a wide page is an upright one turned.
    const bool wide = size.width() > size.height();
    const QPageSize pageSize(wide ? size.transposed() : size, QPageSize::Millimeter, QString(),
                             QPageSize::ExactMatch);
    return QPageLayout(pageSize, wide ? QPageLayout::Landscape : QPageLayout::Portrait,
                       layout.marginsMm, QPageLayout::Millimeter);
}

std::optional<QString> ReportRenderer::chineseFontFamily()
{
    const QStringList families = QFontDatabase::families();
    if (families.contains(PreferredFamily))
        return PreferredFamily;
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    if (!chinese.isEmpty())
        return chinese.first();
    return std::nullopt;
}

QString ReportRenderer::substitute(const QString& text, const QDateTime& moment)
{
    QString result = text;
    result.replace(QStringLiteral("[DATE]"), moment.toString(QStringLiteral("yyyy-MM-dd")));
    result.replace(QStringLiteral("[TIME]"), moment.toString(QStringLiteral("hh:mm:ss")));
    return result;
}

} // namespace shoupai
