#include "staff/FwsTcTjUt.h"

#include "app/Session.h"
#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "queries/QueryFormParts.h"
#include "staff/CommissionQueries.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

TFwsTcTjFm::TFwsTcTjFm(Session& session, QWidget* parent) : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TFwsTcTjFm"));
    setWindowTitle(QStringLiteral("服务生提成统计"));
    setAccessibleName(windowTitle());

    m_from = datePicker(QStringLiteral("fromDate"), QStringLiteral("起始日期"),
                        QDate::currentDate(), this);
    m_to = datePicker(QStringLiteral("toDate"), QStringLiteral("终止日期"), QDate::currentDate(),
                      this);
    auto* query = button(QStringLiteral("queryButton"), QStringLiteral("查询"), this);
    auto* close = button(QStringLiteral("closeButton"), QStringLiteral("退出"), this);

    m_grid = new DataGrid(m_session.database(), this);
    m_grid->setObjectName(QStringLiteral("commissionGrid"));
    m_grid->setAccessibleName(windowTitle());
    m_grid->setKindTable(QStringLiteral("结帐明细"));
    // One aggregation gives the rows and the footers.
    m_grid->model()->setHeld(true);
    m_grid->setKeyColumns({QStringLiteral("员工编号")});
    m_grid->setColumns(
        {GridColumn::plain(QStringLiteral("员工编号"), {}, 120).withFooter(GridSummary::Count),
         GridColumn::money(QStringLiteral("金额"), {}, 120).withFooter(GridSummary::Sum)});

    auto* filters = new QHBoxLayout;
    filters->addWidget(
        caption(QStringLiteral("fromLabel"), QStringLiteral("起始日期"), this, m_from));
    filters->addWidget(m_from);
    filters->addWidget(caption(QStringLiteral("toLabel"), QStringLiteral("终止日期"), this, m_to));
    filters->addWidget(m_to);
    filters->addWidget(query);
    filters->addStretch();
    filters->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(m_grid, 1);
    resize(520, 480);

    connect(query, &QPushButton::clicked, this, &TFwsTcTjFm::Query);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    const StaffStatement all = staffqueries::commissionTotals();
    show(all.sql, all.parameters);
}

bool TFwsTcTjFm::show(const QString& sql, const QVariantList& parameters)
{
    try {
        m_grid->setQuery(sql, parameters);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return false;
    }
    return true;
}

void TFwsTcTjFm::Query()
{
    const std::optional<DayPeriod> period = DayPeriod::of(m_from->date(), m_to->date());
    if (!period) {
        Prompter::current().warn(DayPeriod::refusal());
        return;
    }
    const StaffStatement totals = staffqueries::commissionTotals(*period);
    if (show(totals.sql, totals.parameters) && m_grid->recordCount() == 0)
        Prompter::current().inform(QStringLiteral("没有找到符合条件的记录"));
}

} // namespace shoupai
