#include "members/ChongZhiRecordUt.h"

#include "app/Session.h"
#include "common/DataGrid.h"
#include "common/FormParts.h"
#include "common/Prompter.h"
#include "members/MemberSearch.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

TChongZhiRecordFm::TChongZhiRecordFm(Session& session, QWidget* parent)
    : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TChongZhiRecordFm"));
    setWindowTitle(QStringLiteral("充值记录查询"));
    setAccessibleName(windowTitle());

    m_column = new QComboBox(this);
    m_column->setObjectName(QStringLiteral("columnBox"));
    m_column->setAccessibleName(QStringLiteral("查询列"));
    m_column->setEditable(true);
    m_column->addItems({QStringLiteral("会员卡号"), QStringLiteral("会员姓名"),
                        QStringLiteral("会员类型"), QStringLiteral("备注"),
                        QStringLiteral("营业员")});
    m_column->setCurrentIndex(0);
    m_search = edit(QStringLiteral("searchEdit"), QStringLiteral("查询内容"), this);
    auto* query = button(QStringLiteral("queryButton"), QStringLiteral("查询"), this);
    auto* back = button(QStringLiteral("backButton"), QStringLiteral("返回"), this);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(m_column);
    searchRow->addWidget(m_search, 1);
    searchRow->addWidget(query);
    searchRow->addWidget(back);

    m_grid = new DataGrid(m_session.database(), this);
    m_grid->setObjectName(QStringLiteral("rechargeGrid"));
    m_grid->setAccessibleName(windowTitle());
    m_grid->setKindTable(QStringLiteral("会员充值"));
    m_grid->setKeyColumns({QStringLiteral("id")});
    m_grid->setColumns({
        GridColumn::plain(QStringLiteral("会员卡号"), {}, 100).withFooter(GridSummary::Count),
        GridColumn::plain(QStringLiteral("会员姓名"), {}, 90),
        GridColumn::plain(QStringLiteral("会员类型"), {}, 80),
        GridColumn::money(QStringLiteral("充值金额")).withFooter(GridSummary::Sum),
        GridColumn::money(QStringLiteral("奖励金额")),
        GridColumn::plain(QStringLiteral("充值日期"), {}, 100).as(GridFormat::Date),
        GridColumn::plain(QStringLiteral("id"), {}, 60),
        GridColumn::plain(QStringLiteral("备注"), {}, 150),
        GridColumn::plain(QStringLiteral("营业员"), {}, 90),
    });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(searchRow);
    layout->addWidget(m_grid, 1);
    resize(900, 560);

    connect(query, &QPushButton::clicked, this, &TChongZhiRecordFm::Query);
    connect(m_search, &QLineEdit::returnPressed, this, &TChongZhiRecordFm::Query);
    connect(back, &QPushButton::clicked, this, &QDialog::reject);

    try {
        const MemberStatement all = membersearch::allRecharges();
        m_grid->setQuery(all.sql, all.parameters);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

void TChongZhiRecordFm::Query()
{
    if (m_column->currentText().trimmed().isEmpty() || m_search->text().trimmed().isEmpty()) {
        Prompter::current().warn(QStringLiteral("请输入查询条件!"));
        return;
    }
    const MemberStatement found = membersearch::recharges(
        m_session.database().dialect(), m_column->currentText(), m_search->text());
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
        Prompter::current().inform(QStringLiteral("没有符合条件的记录!"));
}

} // namespace shoupai
