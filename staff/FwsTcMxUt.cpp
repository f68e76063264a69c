#include "staff/FwsTcMxUt.h"

#include "app/Session.h"
#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "common/ReportPreview.h"
#include "staff/CommissionQueries.h"
#include "staff/StaffSearchBar.h"

#include <QVBoxLayout>

namespace shoupai {

namespace {
const QString Table = QStringLiteral("结帐明细");
}

TFwsTcMxFm::TFwsTcMxFm(Session& session, QWidget* parent) : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TFwsTcMxFm"));
    setWindowTitle(QStringLiteral("服务生提成明细"));
    setAccessibleName(windowTitle());

    m_search = new StaffSearchBar({},
                                  {QStringLiteral("员工编号"), QStringLiteral("员工姓名"),
                                   QStringLiteral("手牌号码"), QStringLiteral("单据号")},
                                  QStringLiteral("包含"), this);

    m_grid = new DataGrid(m_session.database(), this);
    m_grid->setObjectName(QStringLiteral("detailGrid"));
    m_grid->setAccessibleName(windowTitle());
    m_grid->setKindTable(Table);
    m_grid->setKeyColumns({QStringLiteral("ID")});
    m_grid->setColumns({
        GridColumn::plain(QStringLiteral("ID"), QStringLiteral("id"), 70)
            .withFooter(GridSummary::Count),
        GridColumn::plain(QStringLiteral("员工编号")),
        GridColumn::plain(QStringLiteral("员工姓名")),
        GridColumn::plain(QStringLiteral("消费时间"), {}, 150),
        GridColumn::plain(QStringLiteral("单据号")),
        GridColumn::plain(QStringLiteral("手牌号码")),
        GridColumn::money(QStringLiteral("提成金额")).withFooter(GridSummary::Sum),
        GridColumn::plain(QStringLiteral("tcyf"), QStringLiteral("提成已发")),
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_search);
    layout->addWidget(m_grid, 1);
    resize(900, 560);

    connect(m_search, &StaffSearchBar::queryRequested, this, &TFwsTcMxFm::Query);
    connect(m_search, &StaffSearchBar::printRequested, this, &TFwsTcMxFm::PrintReport);
    connect(m_search, &StaffSearchBar::closeRequested, this, &QDialog::reject);

    try {
        m_grid->setQuery(QStringLiteral("select * from 结帐明细"));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

void TFwsTcMxFm::Query()
{
    if (m_search->column().isEmpty() || m_search->value().isEmpty()) {
        Prompter::current().warn(QStringLiteral("请认真填写查询条件"));
        return;
    }
    const StaffStatement found = staffqueries::commissionLines(
        m_session.database().dialect(), m_search->column(), m_search->value());
    if (!found.isReady()) {
        Prompter::current().warn(found.refusal);
        return;
    }
    try {
        m_grid->setQuery(found.sql, found.parameters);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return;
    }
    if (m_grid->recordCount() == 0)
        Prompter::current().inform(QStringLiteral("没有找到符合条件的记录"));
}

ReportLayout TFwsTcMxFm::detailReport()
{
    ReportLayout layout;
    layout.name = QStringLiteral("服务生提成明细");
    layout.table = Table;
    layout.headings = {QStringLiteral("打印时间:[DATE]")};
    layout.columns = {
        ReportColumn::of(QStringLiteral("ID"), QStringLiteral("ID"), 15, GridFormat::Integer),
        ReportColumn::of(QStringLiteral("员工编号"), QStringLiteral("编号"), 20, GridFormat::Text),
        ReportColumn::of(QStringLiteral("员工姓名"), QStringLiteral("姓名"), 25, GridFormat::Text),
        ReportColumn::of(QStringLiteral("消费时间"), QStringLiteral("时间"), 45,
                         GridFormat::DateTime),
        ReportColumn::of(QStringLiteral("单据号"), QStringLiteral("单据号"), 30, GridFormat::Text),
        ReportColumn::of(QStringLiteral("提成金额"), QStringLiteral("提成金额"), 25,
                         GridFormat::Money),
    };
    return layout;
}

void TFwsTcMxFm::PrintReport()
{
    if (!m_grid->model()->hasQuery())
        return;
    ShowReportPreview(m_session.database(), detailReport(), m_grid->orderedStatement(),
                      m_grid->parameters(), this);
}

} // namespace shoupai
