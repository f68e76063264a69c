#include "members/MemberUt.h"

#include "app/Session.h"
#include "common/CommandRow.h"
#include "common/DataGrid.h"
#include "common/FormParts.h"
#include "common/GridOutput.h"
#include "common/Prompter.h"
#include "members/ChongZhiUt.h"
#include "members/MemberAddUt.h"
#include "members/MemberEditUt.h"
#include "members/MemberRegister.h"
#include "members/MemberSearch.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

namespace {
const QString Key = QStringLiteral("会员卡号");
const QString Table = QStringLiteral("会员管理");
} // namespace

TMemberFm::TMemberFm(Session& session, QWidget* parent) : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TMemberFm"));
    setWindowTitle(QStringLiteral("会员管理"));
    setAccessibleName(windowTitle());
    resize(1000, 600);

    m_grid = new DataGrid(m_session.database(), this);
    m_grid->setObjectName(QStringLiteral("memberGrid"));
    m_grid->setAccessibleName(windowTitle());
    m_grid->setKindTable(Table);
    m_grid->setKeyColumns({Key});
    m_grid->setColumns({
        GridColumn::plain(Key, {}, 100).withFooter(GridSummary::Count),
        GridColumn::plain(QStringLiteral("会员姓名"), {}, 90),
        GridColumn::plain(QStringLiteral("会员类型"), {}, 80),
        GridColumn::plain(QStringLiteral("会员性别"), {}, 60),
        GridColumn::money(QStringLiteral("卡内金额")).withFooter(GridSummary::Sum),
        GridColumn::plain(QStringLiteral("当前积分"), {}, 70),
        GridColumn::plain(QStringLiteral("当前状态"), {}, 70),
        GridColumn::plain(QStringLiteral("出生日期"), {}, 100).as(GridFormat::Date),
        GridColumn::plain(QStringLiteral("联系电话"), {}, 110),
        GridColumn::plain(QStringLiteral("备注"), {}, 150),
        GridColumn::plain(QStringLiteral("登记日期"), {}, 100).as(GridFormat::Date),
    });

    CommandRow toolbar(this);
    toolbar.add(
        this,
        {{QStringLiteral("addButton"), QStringLiteral("添加"), &TMemberFm::Add},
         {QStringLiteral("changeButton"), QStringLiteral("修改"), &TMemberFm::Change},
         {QStringLiteral("deleteButton"), QStringLiteral("删除"), &TMemberFm::Delete},
         {QStringLiteral("refreshButton"), QStringLiteral("刷新"), &TMemberFm::Refresh},
         {QStringLiteral("showAllButton"), QStringLiteral("显示全部"), &TMemberFm::ShowAll},
         {QStringLiteral("printButton"), QStringLiteral("打印"), &TMemberFm::PrintReport},
         {QStringLiteral("rechargeButton"), QStringLiteral("充值"), &TMemberFm::Recharge},
         {QStringLiteral("excelButton"), QStringLiteral("Excel"), &TMemberFm::ExportToExcel}});
    toolbar.addQuit(this);

    m_column = new QComboBox(this);
    m_column->setObjectName(QStringLiteral("columnBox"));
    m_column->setAccessibleName(QStringLiteral("查询列"));
    m_column->setEditable(true);
    m_column->addItems({Key, QStringLiteral("会员姓名"), QStringLiteral("会员类型"),
                        QStringLiteral("联系电话"), QStringLiteral("备注")});
    m_column->setCurrentIndex(0);
    m_search = edit(QStringLiteral("searchEdit"), QStringLiteral("中含有"), this);
    QPushButton* find = button(QStringLiteral("findButton"), QStringLiteral("查找"), this);
    connect(find, &QPushButton::clicked, this, &TMemberFm::Search);
    connect(m_search, &QLineEdit::returnPressed, this, &TMemberFm::Search);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(m_column);
    searchRow->addWidget(
        caption(QStringLiteral("containsLabel"), QStringLiteral("中含有"), this, m_search));
    searchRow->addWidget(m_search, 1);
    searchRow->addWidget(find);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(toolbar.layout());
    layout->addLayout(searchRow);
    layout->addWidget(m_grid, 1);

    const MemberStatement all = membersearch::allMembers();
    run(all.sql, all.parameters, {});
}

void TMemberFm::run(const QString& sql, const QVariantList& parameters, const QVariant& key)
{
    try {
        m_grid->setQuery(sql, parameters);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return;
    }
    reselect(key);
}

QVariant TMemberFm::currentKey() const
{
    return m_grid->hasCurrentRecord() ? m_grid->currentValue(Key) : QVariant();
}

void TMemberFm::reselect(const QVariant& key)
{
    if (key.isValid() && !key.toString().isEmpty())
        m_grid->selectByKey(Key, key);
}

void TMemberFm::Refresh()
{
    const QVariant key = currentKey();
    try {
        m_grid->refresh();
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return;
    }
    reselect(key);
}

void TMemberFm::ShowAll()
{
    const MemberStatement all = membersearch::allMembers();
    run(all.sql, all.parameters, currentKey());
}

void TMemberFm::Search()
{
    if (m_column->currentText().trimmed().isEmpty() || m_search->text().trimmed().isEmpty()) {
        Prompter::current().warn(QStringLiteral("请填写查询条件!"));
        return;
    }
    const MemberStatement found = membersearch::members(m_session.database().dialect(),
                                                        m_column->currentText(), m_search->text());
    if (!found.isReady()) {
        Prompter::current().warn(found.refusal);
        return;
    }
    run(found.sql, found.parameters, {});
    if (m_grid->recordCount() == 0)
        Prompter::current().inform(QStringLiteral("没有找到符合条件的数据."));
}

void TMemberFm::Add()
{
    TMemberAddFm adder(m_session, this);
    m_runModal(adder);
    // The list shows what was added, on the row last added.
    Refresh();
    reselect(adder.savedCard());
}

void TMemberFm::Change()
{
    if (!m_grid->hasCurrentRecord())
        return;
    TMemberEditFm editor(m_session, m_grid->currentValue(Key).toString(), this);
    if (m_runModal(editor) == QDialog::Accepted) {
        Refresh();
        reselect(editor.savedCard());
    }
}

void TMemberFm::Delete()
{
    if (!m_session.permissions.has(Permission::DeleteMember)) {
        Prompter::current().warn(QStringLiteral("没有该权限!"));
        return;
    }
    if (!m_grid->hasCurrentRecord())
        return;
    const QString card = m_grid->currentValue(Key).toString();
    const QString name = m_grid->currentValue(QStringLiteral("会员姓名")).toString();
    if (!Prompter::current().ask(QStringLiteral("您是否要删除\" ") + name + u'"'))
        return;
    const MemberOutcome outcome = memberregister::deleteMember(m_session.database(), card);
    if (!outcome.done)
        Prompter::current().warn(outcome.message);
    Refresh();
}

void TMemberFm::Recharge()
{
    if (!m_grid->hasCurrentRecord()) {
        TChongZhiFm screen(m_session, {}, this);
        m_runModal(screen);
        return;
    }
    const QVariant key = currentKey();
    TChongZhiFm screen(m_session, key.toString(), this);
    m_runModal(screen);
    if (screen.recharged()) {
        Refresh();
        reselect(key);
    }
}

ReportLayout TMemberFm::memberReport()
{
    ReportLayout layout;
    layout.name = QStringLiteral("会员资料");
    layout.table = Table;
    layout.titles = {QStringLiteral("会员资料    [DATE]")};
    layout.columns = {
        ReportColumn::of(Key, QStringLiteral("会员卡号"), 30, GridFormat::Text),
        ReportColumn::of(QStringLiteral("会员姓名"), QStringLiteral("会员姓名"), 30,
                         GridFormat::Text),
        ReportColumn::of(QStringLiteral("会员性别"), QStringLiteral("性别"), 16, GridFormat::Text),
        ReportColumn::of(QStringLiteral("会员类型"), QStringLiteral("会员类型"), 26,
                         GridFormat::Text),
        ReportColumn::of(QStringLiteral("联系电话"), QStringLiteral("联系电话"), 36,
                         GridFormat::Text),
    };
    layout.footers = {QStringLiteral("打印日期:[DATE]")};
    return layout;
}

void TMemberFm::PrintReport()
{
    PrintGrid(m_session.database(), *m_grid, memberReport(), this);
}

void TMemberFm::ExportToExcel()
{
    SpreadsheetExportOptions options;
    options.name = windowTitle();
    options.table = Table;
    ExportGrid(m_session.database(), *m_grid, options);
}

} // namespace shoupai
