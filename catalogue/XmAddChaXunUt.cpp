#include "catalogue/XmAddChaXunUt.h"

#include "app/Session.h"
#include "catalogue/Purchases.h"
#include "common/DataGrid.h"
#include "common/FormParts.h"
#include "common/GridOutput.h"
#include "common/Prompter.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

namespace {
const QString Table = QStringLiteral("进货表");
}

TXmAddChaXunFm::TXmAddChaXunFm(Session& session, QWidget* parent)
    : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TXmAddChaXunFm"));
    setWindowTitle(QStringLiteral("进货表统计"));
    setAccessibleName(windowTitle());

    m_name = edit(QStringLiteral("nameEdit"), QStringLiteral("名称"), this);
    m_byDate = new QCheckBox(QStringLiteral("日期从"), this);
    m_byDate->setObjectName(QStringLiteral("byDateCheck"));
    m_byDate->setAccessibleName(m_byDate->text());
    m_from = new QDateEdit(QDate::currentDate(), this);
    m_from->setObjectName(QStringLiteral("fromDate"));
    m_from->setAccessibleName(QStringLiteral("日期从"));
    m_to = new QDateEdit(QDate::currentDate().addDays(1), this);
    m_to->setObjectName(QStringLiteral("toDate"));
    m_to->setAccessibleName(QStringLiteral("到"));
    for (QDateEdit* date : {m_from, m_to}) {
        date->setCalendarPopup(true);
        date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        date->setMinimumWidth(120);
        date->setEnabled(false);
    }
    connect(m_byDate, &QCheckBox::toggled, this, [this](bool on) {
        m_from->setEnabled(on);
        m_to->setEnabled(on);
    });

    auto* query = button(QStringLiteral("queryButton"), QStringLiteral("查询"), this);
    auto* close = button(QStringLiteral("closeButton"), QStringLiteral("关闭"), this);
    auto* print = button(QStringLiteral("printButton"), QStringLiteral("打印"), this);
    auto* excel = button(QStringLiteral("excelButton"), QStringLiteral("Excel"), this);
    auto* row = new QHBoxLayout;
    row->addWidget(caption(QStringLiteral("nameLabel"), QStringLiteral("名称"), this, m_name));
    row->addWidget(m_name);
    row->addWidget(m_byDate);
    row->addWidget(m_from);
    row->addWidget(caption(QStringLiteral("toLabel"), QStringLiteral("到"), this, m_to));
    row->addWidget(m_to);
    for (QPushButton* b : {query, close, print, excel})
        row->addWidget(b);
    row->addStretch();

    m_grid = new DataGrid(m_session.database(), this);
    m_grid->setObjectName(QStringLiteral("purchaseGrid"));
    m_grid->setAccessibleName(windowTitle());
    m_grid->setKindTable(Table);
    m_grid->setKeyColumns({QStringLiteral("id")});
    m_grid->setColumns({
        GridColumn::plain(QStringLiteral("id"), {}, 70).withFooter(GridSummary::Count),
        GridColumn::plain(QStringLiteral("商品名"), {}, 140),
        GridColumn::plain(QStringLiteral("拼音"), {}, 80),
        GridColumn::money(QStringLiteral("进货单价"), {}, 80),
        GridColumn::plain(QStringLiteral("数量"), {}, 70).withFooter(GridSummary::Sum),
        GridColumn::money(QStringLiteral("总进价"), {}, 90).withFooter(GridSummary::Sum),
        GridColumn{QStringLiteral("日期"), {}, GridFormat::Date, 100},
        GridColumn::plain(QStringLiteral("管理员"), {}, 80),
        GridColumn::plain(QStringLiteral("备注"), {}, 160),
    });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(m_grid, 1);
    resize(960, 560);

    connect(query, &QPushButton::clicked, this, &TXmAddChaXunFm::Query);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(print, &QPushButton::clicked, this, &TXmAddChaXunFm::PrintReport);
    connect(excel, &QPushButton::clicked, this, &TXmAddChaXunFm::ExportExcel);

    // Until a query runs, at most the latest purchase is shown.
    try {
        m_grid->setQuery(
            QStringLiteral("select * from 进货表 where id = (select max(id) from 进货表)"));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

void TXmAddChaXunFm::Query()
{
    const std::optional<PurchaseQuery> query =
        purchases::recordsQuery(m_session.database().dialect(), m_name->text(),
                                m_byDate->isChecked(), m_from->date(), m_to->date());
    if (!query)
        return;
    if (!query->refusal.isEmpty()) {
        Prompter::current().warn(query->refusal);
        return;
    }
    try {
        m_grid->setQuery(query->sql, query->parameters);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

ReportLayout TXmAddChaXunFm::purchaseReport()
{
    ReportLayout layout;
    layout.name = QStringLiteral("进货表统计");
    layout.table = Table;
    layout.headings = {QStringLiteral("[DATE]")};
    layout.columns = {
        ReportColumn::of(QStringLiteral("id"), QStringLiteral("id"), 15, GridFormat::Integer),
        ReportColumn::of(QStringLiteral("商品名"), QStringLiteral("项目名"), 40, GridFormat::Text),
        ReportColumn::of(QStringLiteral("进货单价"), QStringLiteral("进货单价"), 22,
                         GridFormat::Money),
        ReportColumn::of(QStringLiteral("数量"), QStringLiteral("数量"), 18, GridFormat::Number),
        ReportColumn::of(QStringLiteral("总进价"), QStringLiteral("总进价"), 22, GridFormat::Money),
        ReportColumn::of(QStringLiteral("日期"), QStringLiteral("日期"), 25, GridFormat::Date),
        ReportColumn::of(QStringLiteral("管理员"), QStringLiteral("管理员"), 22, GridFormat::Text),
    };
    layout.summary = {
        ReportLine{ReportItem::sum(QStringLiteral("数量汇总 : "), QStringLiteral("数量")),
                   ReportItem::sum(QStringLiteral("总进价汇总 : "), QStringLiteral("总进价"))}};
    return layout;
}

void TXmAddChaXunFm::PrintReport()
{
    PrintGrid(m_session.database(), *m_grid, purchaseReport(), this);
}

void TXmAddChaXunFm::ExportExcel()
{
    SpreadsheetExportOptions options;
    options.name = windowTitle();
    options.table = Table;
    ExportGrid(m_session.database(), *m_grid, options);
}

} // namespace shoupai
