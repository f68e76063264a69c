#include "staff/GongZiRecordUt.h"

#include "app/Session.h"
#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "common/ReportPreview.h"
#include "staff/CommissionQueries.h"
#include "staff/StaffSearchBar.h"

#include <QVBoxLayout>

namespace shoupai {

namespace {
const QString Table = QStringLiteral("员工工资表");
}

TGongZiRecordFm::TGongZiRecordFm(Session& session, QWidget* parent)
    : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TGongZiRecordFm"));
    setWindowTitle(QStringLiteral("员工工资表"));
    setAccessibleName(windowTitle());

    m_search = new StaffSearchBar(
        QStringLiteral("请选择"),
        {QStringLiteral("员工编号"), QStringLiteral("员工姓名"), QStringLiteral("备注")}, {}, this);

    m_grid = new DataGrid(m_session.database(), this);
    m_grid->setObjectName(QStringLiteral("recordGrid"));
    m_grid->setAccessibleName(windowTitle());
    m_grid->setKindTable(Table);
    m_grid->setKeyColumns({QStringLiteral("id")});
    m_grid->setColumns({
        GridColumn::plain(QStringLiteral("id"), {}, 70).withFooter(GridSummary::Count),
        GridColumn::plain(QStringLiteral("员工编号")),
        GridColumn::plain(QStringLiteral("员工姓名")),
        GridColumn::plain(QStringLiteral("日期"), {}, 150),
        GridColumn::money(QStringLiteral("工资")),
        GridColumn::money(QStringLiteral("提成")),
        GridColumn::money(QStringLiteral("合计")),
        GridColumn::plain(QStringLiteral("备注"), {}, 160),
        GridColumn::plain(QStringLiteral("登记人")),
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_search);
    layout->addWidget(m_grid, 1);
    resize(900, 560);

    connect(m_search, &StaffSearchBar::queryRequested, this, &TGongZiRecordFm::Query);
    connect(m_search, &StaffSearchBar::printRequested, this, &TGongZiRecordFm::PrintReport);
    connect(m_search, &StaffSearchBar::closeRequested, this, &QDialog::reject);

    try {
        m_grid->setQuery(QStringLiteral("select * from 员工工资表"));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

void TGongZiRecordFm::Query()
{
    if (m_search->column().isEmpty() || m_search->value().isEmpty()) {
        Prompter::current().warn(QStringLiteral("请输入查询条件!"));
        return;
    }
    const StaffStatement found = staffqueries::wageRecords(m_session.database().dialect(),
                                                           m_search->column(), m_search->value());
    if (!found.isReady()) {
        Prompter::current().warn(found.refusal);
        return;
    }
    try {
        m_grid->setQuery(found.sql, found.parameters);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

ReportLayout TGongZiRecordFm::recordReport()
{
    ReportLayout layout;
    layout.name = QStringLiteral("员工工资表");
    layout.table = Table;
    layout.headings = {QStringLiteral("[DATE] [TIME]")};
    layout.columns = {
        ReportColumn::of(QStringLiteral("员工编号"), QStringLiteral("员工编号"), 20,
                         GridFormat::Text),
        ReportColumn::of(QStringLiteral("员工姓名"), QStringLiteral("员工姓名"), 22,
                         GridFormat::Text),
        ReportColumn::of(QStringLiteral("日期"), QStringLiteral("日期"), 40, GridFormat::DateTime),
        ReportColumn::of(QStringLiteral("工资"), QStringLiteral("工资"), 22, GridFormat::Money),
        ReportColumn::of(QStringLiteral("提成"), QStringLiteral("提成"), 22, GridFormat::Money),
        ReportColumn::of(QStringLiteral("合计"), QStringLiteral("合计"), 22, GridFormat::Money),
        ReportColumn::of(QStringLiteral("登记人"), QStringLiteral("登记人"), 22, GridFormat::Text),
    };
    return layout;
}

void TGongZiRecordFm::PrintReport()
{
    if (!m_grid->model()->hasQuery())
        return;
    ShowReportPreview(m_session.database(), recordReport(), m_grid->orderedStatement(),
                      m_grid->parameters(), this);
}

} // namespace shoupai
