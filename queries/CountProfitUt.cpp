#include "queries/CountProfitUt.h"

#include "app/Session.h"
#include "common/DataGrid.h"
#include "common/GridOutput.h"
#include "common/Prompter.h"
#include "common/ReportPreview.h"
#include "common/SpreadsheetExport.h"
#include "queries/QueryFormParts.h"
#include "queries/SalesChartUt.h"
#include "queries/SalesFigures.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QTableView>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

namespace {

const QString Table = QStringLiteral("结帐管理");

QList<GridColumn> billColumns()
{
    return {
        GridColumn::plain(QStringLiteral("id")).withFooter(GridSummary::Count),
        GridColumn::plain(QStringLiteral("单据号")),
        GridColumn::money(QStringLiteral("实收金额")).withFooter(GridSummary::Sum),
        GridColumn::money(QStringLiteral("消费金额")).withFooter(GridSummary::Sum),
        GridColumn::plain(QStringLiteral("结帐方式")),
        GridColumn::plain(QStringLiteral("状态")),
        GridColumn::plain(QStringLiteral("结帐时间")).as(GridFormat::Date),
        GridColumn::plain(QStringLiteral("会员卡号")),
        GridColumn::plain(QStringLiteral("顾客姓名")),
        GridColumn::plain(QStringLiteral("营业员")),
        GridColumn::plain(QStringLiteral("备注")),
        GridColumn::plain(QStringLiteral("手牌号码")).hide(),
        GridColumn::plain(QStringLiteral("进店时间")).hide(),
        GridColumn::plain(QStringLiteral("离店时间")).hide(),
        GridColumn::plain(QStringLiteral("折扣")).hide(),
    };
}

} // namespace

TCountProfitFm::TCountProfitFm(Session& session, QWidget* parent)
    : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TCountProfitFm"));
    setWindowTitle(QStringLiteral("统计利润"));
    setAccessibleName(windowTitle());

    const QDate today = QDate::currentDate();
    m_from = datePicker(QStringLiteral("fromDate"), QStringLiteral("从"),
                        QDate(today.year(), today.month(), 1), this);
    m_to = datePicker(QStringLiteral("toDate"), QStringLiteral("到"), today.addDays(1), this);
    auto* compute = button(QStringLiteral("computeButton"), QStringLiteral("统计"), this);
    auto* close = button(QStringLiteral("closeButton"), QStringLiteral("关闭"), this);
    auto* print = button(QStringLiteral("printButton"), QStringLiteral("打印"), this);
    auto* excel = button(QStringLiteral("excelButton"), QStringLiteral("Excel"), this);
    m_count = value(QStringLiteral("countValue"), QStringLiteral("数量:"), this);
    m_revenue = value(QStringLiteral("revenueValue"), QStringLiteral("营业额(元):"), this);

    m_grid = new DataGrid(m_session.database(), this);
    m_grid->setObjectName(QStringLiteral("billGrid"));
    m_grid->setAccessibleName(QStringLiteral("账单"));
    m_grid->setKindTable(Table);
    m_grid->setKeyColumns({QStringLiteral("id")});
    m_grid->model()->setDefaultOrder({QStringLiteral("结帐时间")});
    m_grid->setColumns(billColumns());

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
    filters->addSpacing(20);
    filters->addWidget(caption(QStringLiteral("countCaption"), QStringLiteral("数量:"), this));
    filters->addWidget(m_count);
    filters->addWidget(
        caption(QStringLiteral("revenueCaption"), QStringLiteral("营业额(元):"), this));
    filters->addWidget(m_revenue);
    filters->addStretch();
    filters->addWidget(print);
    filters->addWidget(excel);
    filters->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(m_grid, 1);
    resize(900, 560);

    connect(compute, &QPushButton::clicked, this, &TCountProfitFm::FreshDate);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(print, &QPushButton::clicked, this, &TCountProfitFm::PrintReport);
    connect(excel, &QPushButton::clicked, this, &TCountProfitFm::ExportToExcel);
    connect(chart, &QAction::triggered, this, [this] { ShowChart(); });

    FreshDate();
}

void TCountProfitFm::FreshDate()
{
    const std::optional<DayPeriod> period = DayPeriod::of(m_from->date(), m_to->date());
    if (!period) {
        Prompter::current().warn(DayPeriod::refusal());
        return;
    }
    // A figure is shown only once it has been read: a failure leaves it empty,
    // never a "0" that reads like a quiet period.
    m_count->clear();
    m_revenue->clear();
    try {
        const BoundStatement bills = sales::paidBills(*period);
        m_grid->setQuery(bills.sql, bills.parameters);
        m_count->setText(QString::number(m_grid->recordCount()));
        m_revenue->setText(sales::revenue(m_session.database(), *period).toString());
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

ReportLayout TCountProfitFm::profitReport()
{
    ReportLayout layout;
    layout.name = QStringLiteral("统计利润");
    layout.table = Table;
    layout.columns = {
        ReportColumn::of(QStringLiteral("id"), QStringLiteral("ID编号"), 18, GridFormat::Integer),
        ReportColumn::of(QStringLiteral("单据号"), QStringLiteral("单据号"), 22, GridFormat::Text),
        ReportColumn::of(QStringLiteral("顾客姓名"), QStringLiteral("顾客姓名"), 0,
                         GridFormat::Text),
        ReportColumn::of(QStringLiteral("消费金额"), QStringLiteral("消费金额"), 26,
                         GridFormat::Money),
        ReportColumn::of(QStringLiteral("实收金额"), QStringLiteral("实收金额"), 26,
                         GridFormat::Money),
        ReportColumn::of(QStringLiteral("结帐方式"), QStringLiteral("结帐方式"), 24,
                         GridFormat::Text),
        ReportColumn::of(QStringLiteral("营业员"), QStringLiteral("营业员"), 24, GridFormat::Text),
    };
    layout.summary = {
        ReportLine{ReportItem::sum(QStringLiteral("消费金额:"), QStringLiteral("消费金额")),
                   ReportItem::sum(QStringLiteral("实收金额:"), QStringLiteral("实收金额"))}};
    return layout;
}

void TCountProfitFm::PrintReport()
{
    PrintGrid(m_session.database(), *m_grid, profitReport(), this);
}

void TCountProfitFm::ExportToExcel()
{
    SpreadsheetExportOptions options;
    options.name = windowTitle();
    options.table = Table;
    ExportGrid(m_session.database(), *m_grid, options);
}

TSalesChartFm* TCountProfitFm::ShowChart()
{
    auto* chart = new TSalesChartFm(m_session, this);
    chart->setAttribute(Qt::WA_DeleteOnClose);
    chart->setPeriod(m_from->date(), m_to->date(), sales::allTypes());
    chart->open();
    return chart;
}

} // namespace shoupai
