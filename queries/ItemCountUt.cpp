#include "queries/ItemCountUt.h"

#include "app/Session.h"
#include "common/DataGrid.h"
#include "common/GridOutput.h"
#include "common/Prompter.h"
#include "common/ReportPreview.h"
#include "common/SpreadsheetExport.h"
#include "queries/QueryFormParts.h"
#include "queries/SalesChartUt.h"
#include "queries/SalesFigures.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QTableView>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

namespace {

const QString Table = QStringLiteral("结帐明细");
const QString Quantity = QStringLiteral("总数量");
const QString Amount = QStringLiteral("总合计");

QList<GridColumn> itemColumns()
{
    return {
        GridColumn::plain(QStringLiteral("商品名"), {}, 180).withFooter(GridSummary::Count),
        GridColumn::plain(Quantity).as(GridFormat::Integer).withFooter(GridSummary::Sum),
        GridColumn::money(Amount).withFooter(GridSummary::Sum),
    };
}

} // namespace

TItemCountFm::TItemCountFm(Session& session, QWidget* parent) : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TItemCountFm"));
    setWindowTitle(QStringLiteral("营业项目统计"));
    setAccessibleName(windowTitle());

    m_from = datePicker(QStringLiteral("fromDate"), QStringLiteral("从"), QDate(2000, 1, 1), this);
    m_to = datePicker(QStringLiteral("toDate"), QStringLiteral("到"), QDate::currentDate(), this);
    auto* compute = button(QStringLiteral("computeButton"), QStringLiteral("统计"), this);
    auto* close = button(QStringLiteral("closeButton"), QStringLiteral("关闭"), this);
    auto* print = button(QStringLiteral("printButton"), QStringLiteral("打印"), this);
    auto* excel = button(QStringLiteral("excelButton"), QStringLiteral("Excel"), this);

    m_types = new QListWidget(this);
    m_types->setObjectName(QStringLiteral("typeList"));
    m_types->setAccessibleName(QStringLiteral("商品类型"));
    m_types->setMaximumWidth(160);
    try {
        m_types->addItems(sales::typeChoices(m_session.database()));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }

    m_grid = new DataGrid(m_session.database(), this);
    m_grid->setObjectName(QStringLiteral("itemGrid"));
    m_grid->setAccessibleName(QStringLiteral("营业项目"));
    m_grid->setKindTable(Table);
    // One aggregation gives the rows, the count and the footers.
    m_grid->model()->setHeld(true);
    m_grid->setKeyColumns({QStringLiteral("商品名")});
    m_grid->setColumns(itemColumns());

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("gridMenu"));
    QAction* chart = m_menu->addAction(QStringLiteral("图表"));
    chart->setObjectName(QStringLiteral("chartAction"));
    m_grid->view()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid->view(), &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        m_menu->popup(m_grid->view()->viewport()->mapToGlobal(at));
    });

    auto* filters = new QHBoxLayout;
    filters->addWidget(caption(QStringLiteral("fromLabel"), QStringLiteral("从"), this));
    filters->addWidget(m_from);
    filters->addWidget(caption(QStringLiteral("toLabel"), QStringLiteral("到"), this));
    filters->addWidget(m_to);
    filters->addWidget(compute);
    filters->addStretch();
    filters->addWidget(print);
    filters->addWidget(excel);
    filters->addWidget(close);
    auto* body = new QHBoxLayout;
    body->addWidget(m_types);
    body->addWidget(m_grid, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addLayout(body, 1);
    resize(760, 520);

    connect(compute, &QPushButton::clicked, this, &TItemCountFm::FreshDate);
    connect(m_types, &QListWidget::itemClicked, this, &TItemCountFm::FreshDate);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(print, &QPushButton::clicked, this, &TItemCountFm::PrintReport);
    connect(excel, &QPushButton::clicked, this, &TItemCountFm::ExportToExcel);
    connect(chart, &QAction::triggered, this, [this] { ShowChart(); });

    FreshDate();
}

QString TItemCountFm::chosenType() const
{
    const QListWidgetItem* item = m_types->currentItem();
    return item ? item->text().trimmed() : sales::allTypes();
}

void TItemCountFm::FreshDate()
{
    const std::optional<DayPeriod> period = DayPeriod::of(m_from->date(), m_to->date());
    if (!period) {
        Prompter::current().warn(DayPeriod::refusal());
        return;
    }
    // The opening covers the whole history: it may take a moment.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        const BoundStatement totals = sales::itemTotals(*period, chosenType());
        m_grid->setQuery(totals.sql, totals.parameters);
    } catch (const DatabaseError& error) {
        QApplication::restoreOverrideCursor();
        Prompter::current().error(error.text());
        return;
    }
    QApplication::restoreOverrideCursor();
}

ReportLayout TItemCountFm::itemReport()
{
    ReportLayout layout;
    layout.name = QStringLiteral("营业项目统计");
    layout.table = Table;
    layout.columns = {
        ReportColumn::of(QStringLiteral("商品名"), QStringLiteral("名称"), 0, GridFormat::Text),
        ReportColumn::of(Quantity, QStringLiteral("数量"), 30, GridFormat::Integer),
        ReportColumn::of(Amount, QStringLiteral("金额"), 40, GridFormat::Money),
    };
    layout.summary = {ReportLine{ReportItem::sum(QStringLiteral("消费数量:"), Quantity),
                                 ReportItem::sum(QStringLiteral("消费金额:"), Amount)}};
    return layout;
}

void TItemCountFm::PrintReport()
{
    PrintGrid(m_session.database(), *m_grid, itemReport(), this);
}

void TItemCountFm::ExportToExcel()
{
    SpreadsheetExportOptions options;
    options.name = windowTitle();
    options.table = Table;
    options.kinds = {{Amount, ColumnKind::Money}, {Quantity, ColumnKind::Integer}};
    ExportGrid(m_session.database(), *m_grid, options);
}

TSalesChartFm* TItemCountFm::ShowChart()
{
    auto* chart = new TSalesChartFm(m_session, this);
    chart->setAttribute(Qt::WA_DeleteOnClose);
    chart->setPeriod(m_from->date(), m_to->date(), chosenType());
    chart->open();
    return chart;
}

} // namespace shoupai
