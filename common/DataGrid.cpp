#include "common/DataGrid.h"

#include "common/Prompter.h"

#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace shoupai {

// The footer row: each column's text painted under the column, following its
// width, position and the horizontal scroll of the table.
class GridFooter final : public QWidget
{
public:
    GridFooter(QTableView* view, QueryTableModel* model, QWidget* parent)
        : QWidget(parent), m_view(view), m_model(model)
    {
        setObjectName(QStringLiteral("gridFooter"));
        setAccessibleName(QStringLiteral("合计"));
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        setFixedHeight(fontMetrics().height() + 8);
    }

    void refreshTexts()
    {
        if (m_model->footersPending()) {
            // The sums read the whole statement: the rows are painted first.
            setAccessibleDescription(QString());
            update();
            QTimer::singleShot(0, m_model, [model = m_model] { model->computeFooters(); });
            return;
        }
        QStringList texts;
        for (int c = 0; c < m_model->columnCount(); ++c) {
            const QString text = m_model->footerText(c);
            if (!text.isEmpty() && m_model->isShown(c))
                texts << text;
        }
        setAccessibleDescription(texts.join(u' '));
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(0, 0, width(), 0);
        painter.setPen(palette().color(QPalette::WindowText));
        QHeaderView* header = m_view->horizontalHeader();
        const int left = m_view->viewport()->mapTo(parentWidget(), QPoint(0, 0)).x() - x();
        const int right = left + m_view->viewport()->width();
        painter.setClipRect(QRect(left, 0, right - left, height()));
        if (m_model->footersPending())
            return;
        for (int c = 0; c < m_model->columnCount(); ++c) {
            if (header->isSectionHidden(c))
                continue;
            const QString text = m_model->footerText(c);
            if (text.isEmpty())
                continue;
            const QRect cell(left + header->sectionViewportPosition(c) + 3, 0,
                             header->sectionSize(c) - 6, height());
            const Qt::Alignment align =
                (gridformat::isNumeric(m_model->columnFormat(c)) ? Qt::AlignRight : Qt::AlignLeft) |
                Qt::AlignVCenter;
            painter.drawText(cell, int(align),
                             fontMetrics().elidedText(text, Qt::ElideRight, cell.width()));
        }
    }

private:
    QTableView* m_view;
    QueryTableModel* m_model;
};

DataGrid::DataGrid(Database& database, QWidget* parent)
    : QWidget(parent), m_model(new QueryTableModel(database, this)), m_view(new QTableView(this))
{
    setObjectName(QStringLiteral("dataGrid"));
    m_model->setObjectName(QStringLiteral("dataGridModel"));
    m_view->setObjectName(QStringLiteral("dataGridView"));
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setAlternatingRowColors(true);
    m_view->setWordWrap(false);
    m_view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_view->verticalHeader()->setVisible(false);
    // One fixed height for every row: a million rows then cost nothing to lay out.
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    QHeaderView* header = m_view->horizontalHeader();
    header->setObjectName(QStringLiteral("dataGridHeader"));
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->setHighlightSections(false);
    header->setContextMenuPolicy(Qt::CustomContextMenu);

    m_footer = new GridFooter(m_view, m_model, this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view);
    layout->addWidget(m_footer);

    connect(header, &QHeaderView::sectionClicked, this, &DataGrid::headerClicked);
    connect(header, &QHeaderView::customContextMenuRequested, this, &DataGrid::headerMenu);
    connect(header, &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (!m_applying)
            m_widths.insert(m_model->columnName(section), size);
        m_footer->update();
    });
    connect(header, &QHeaderView::sectionMoved, m_footer, qOverload<>(&QWidget::update));
    connect(header, &QHeaderView::geometriesChanged, m_footer, qOverload<>(&QWidget::update));
    connect(m_view->horizontalScrollBar(), &QScrollBar::valueChanged, m_footer,
            qOverload<>(&QWidget::update));
    connect(m_model, &QueryTableModel::modelReset, this, &DataGrid::applyColumns);
    connect(m_model, &QueryTableModel::footersChanged, this, [this] { m_footer->refreshTexts(); });
    // Painting must not be interrupted by a message box; it is shown afterwards.
    connect(m_model, &QueryTableModel::fetchFailed, this, &DataGrid::showFailure,
            Qt::QueuedConnection);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                emit currentRowChanged(current.isValid() ? current.row() : -1);
            });
    connect(m_view, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid() && !m_model->isGroupRow(index.row()))
            emit doubleClicked(index.row());
    });
}

DataGrid::~DataGrid() = default;

void DataGrid::setColumns(const QList<GridColumn>& columns)
{
    m_model->setColumns(columns);
}

void DataGrid::setKindTable(const QString& table)
{
    m_model->setKindTable(table);
}

void DataGrid::setKeyColumns(const QStringList& keys)
{
    m_model->setKeyColumns(keys);
}

void DataGrid::setQuery(const QString& statement, const QVariantList& parameters)
{
    m_model->setQuery(statement, parameters);
    selectFirstRecord();
}

void DataGrid::refresh()
{
    const int row = currentRow();
    m_model->refresh();
    if (row >= 0 && row < m_model->rowCount())
        setCurrentRow(row);
    else
        selectFirstRecord();
}

void DataGrid::clear()
{
    m_model->clear();
}

QString DataGrid::statement() const
{
    return m_model->statement();
}

QVariantList DataGrid::parameters() const
{
    return m_model->parameters();
}

QString DataGrid::orderedStatement() const
{
    return m_model->orderedStatement();
}

int DataGrid::rowCount() const
{
    return m_model->rowCount();
}

qint64 DataGrid::recordCount() const
{
    return m_model->detailCount();
}

bool DataGrid::isGroupRow(int row) const
{
    return m_model->isGroupRow(row);
}

int DataGrid::currentRow() const
{
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void DataGrid::setCurrentRow(int row)
{
    if (row < 0 || row >= m_model->rowCount()) {
        m_view->setCurrentIndex(QModelIndex());
        return;
    }
    const int column = std::max(0, m_model->groupLabelColumn());
    m_view->setCurrentIndex(m_model->index(row, column));
}

bool DataGrid::hasCurrentRecord() const
{
    const int row = currentRow();
    return row >= 0 && !m_model->isGroupRow(row) && row < m_model->rowCount();
}

QVariant DataGrid::value(int row, const QString& column) const
{
    return m_model->value(row, column);
}

QVariant DataGrid::currentValue(const QString& column) const
{
    return m_model->value(currentRow(), column);
}

QVariantMap DataGrid::currentValues() const
{
    return m_model->rowValues(currentRow());
}

bool DataGrid::sortBy(const QString& column, Qt::SortOrder order)
{
    if (!m_model->sortBy(column, order))
        return false;
    selectFirstRecord();
    return true;
}

bool DataGrid::groupBy(const QString& column)
{
    if (!m_model->groupBy(column))
        return false;
    selectFirstRecord();
    return true;
}

void DataGrid::ungroup()
{
    m_model->ungroup();
    selectFirstRecord();
}

QString DataGrid::footerText(const QString& column) const
{
    return m_model->footerText(column);
}

void DataGrid::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_footer->update();
}

void DataGrid::headerClicked(int section)
{
    const QString name = m_model->columnName(section);
    if (name.isEmpty() || !m_model->hasQuery())
        return;
    Qt::SortOrder order = Qt::AscendingOrder;
    if (m_model->sortColumn() == name && m_model->sortOrder() == Qt::AscendingOrder)
        order = Qt::DescendingOrder;
    try {
        sortBy(name, order);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        applyColumns(); // the indicator goes back to the order still shown
    }
}

void DataGrid::headerMenu(const QPoint& position)
{
    const int section = m_view->horizontalHeader()->logicalIndexAt(position);
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("dataGridHeaderMenu"));
    QAction* group = menu.addAction(QStringLiteral("按此列分组"));
    group->setObjectName(QStringLiteral("groupByColumnAction"));
    group->setEnabled(section >= 0 && m_model->hasQuery());
    QAction* ungroupAction = menu.addAction(QStringLiteral("取消分组"));
    ungroupAction->setObjectName(QStringLiteral("ungroupAction"));
    ungroupAction->setEnabled(m_model->isGrouped());
    QAction* chosen = menu.exec(m_view->horizontalHeader()->mapToGlobal(position));
    try {
        if (chosen == group)
            groupBy(m_model->columnName(section));
        else if (chosen == ungroupAction)
            ungroup();
    } catch (const GroupingRefused& refusal) {
        Prompter::current().warn(refusal.text());
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

void DataGrid::applyColumns()
{
    m_applying = true;
    QHeaderView* header = m_view->horizontalHeader();
    for (int c = 0; c < m_model->columnCount(); ++c) {
        m_view->setColumnHidden(c, !m_model->isShown(c));
        const QString name = m_model->columnName(c);
        const int spec = m_model->columnSpec(c).width;
        header->resizeSection(c, m_widths.contains(name) ? m_widths.value(name)
                                 : spec > 0              ? spec
                                                         : naturalWidth(c));
    }
    m_view->clearSpans();
    // Spans are kept per row by the view; beyond a few thousand groups the
    // label simply stays in its own cell.
    if (m_model->isGrouped() && m_model->groupCount() <= 2000 && m_model->groupLabelSpan() > 1) {
        const int label = m_model->groupLabelColumn();
        const int span = m_model->groupLabelSpan();
        for (int group = 0; group < m_model->groupCount(); ++group)
            m_view->setSpan(m_model->groupRow(group), label, 1, span);
    }
    const int sorted = m_model->columnOf(m_model->sortColumn());
    if (!m_model->sortColumn().isEmpty() && sorted >= 0)
        header->setSortIndicator(sorted, m_model->sortOrder());
    else
        header->setSortIndicator(-1, Qt::AscendingOrder);
    m_applying = false;
    m_footer->refreshTexts();
}

int DataGrid::naturalWidth(int column) const
{
    // Wide enough for the title and for what a date or a group sum shows, so
    // that neither is cut; other columns keep the usual width.
    const QFontMetrics metrics = m_view->fontMetrics();
    const int margin = 2 * m_view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
    int width = m_view->horizontalHeader()->defaultSectionSize();
    width = std::max(width, metrics.horizontalAdvance(m_model->columnSpec(column).title()) + 24);
    switch (m_model->columnFormat(column)) {
    case GridFormat::DateTime:
        width = std::max(width,
                         metrics.horizontalAdvance(QStringLiteral("0000-00-00 00:00:00")) + margin);
        break;
    case GridFormat::Date:
        width = std::max(width, metrics.horizontalAdvance(QStringLiteral("0000-00-00")) + margin);
        break;
    default:
        break;
    }
    if (m_model->isGrouped() && m_model->columnSpec(column).groupSummary != GridSummary::None &&
        column != m_model->groupLabelColumn()) {
        QFont bold = m_view->font();
        bold.setBold(true);
        const QFontMetrics boldMetrics(bold);
        const int groups = std::min(m_model->groupCount(), 2000);
        for (int group = 0; group < groups; ++group) {
            const QString text =
                m_model->data(m_model->index(m_model->groupRow(group), column)).toString();
            width = std::max(width, boldMetrics.horizontalAdvance(text) + margin);
        }
    }
    return std::min(width, 400);
}

void DataGrid::selectFirstRecord()
{
    int row = 0;
    while (row < m_model->rowCount() && m_model->isGroupRow(row))
        ++row;
    setCurrentRow(row < m_model->rowCount() ? row : -1);
}

void DataGrid::showFailure(const QString& text)
{
    Prompter::current().error(text);
}

} // namespace shoupai
