#include "staff/FwsGlUt.h"

#include "app/Session.h"
#include "common/CommandRow.h"
#include "common/DataGrid.h"
#include "common/FormParts.h"
#include "common/Prompter.h"
#include "common/ReportPreview.h"
#include "staff/FaGongZiUt.h"
#include "staff/FwsEditUt.h"
#include "staff/StaffRegister.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

namespace {
const QString Key = QStringLiteral("员工编号");
const QString AllEmployees = QStringLiteral("select * from 员工管理");
} // namespace

TFwsGlFm::TFwsGlFm(Session& session, QWidget* parent) : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TFwsGlFm"));
    setWindowTitle(QStringLiteral("员工管理"));
    setAccessibleName(windowTitle());
    setWindowState(Qt::WindowMaximized);

    m_grid = new DataGrid(m_session.database(), this);
    m_grid->setObjectName(QStringLiteral("employeeGrid"));
    m_grid->setAccessibleName(windowTitle());
    m_grid->setKindTable(QStringLiteral("员工管理"));
    m_grid->setKeyColumns({Key});
    m_grid->setColumns({
        GridColumn::plain(Key, {}, 90).withFooter(GridSummary::Count),
        GridColumn::plain(QStringLiteral("员工姓名"), {}, 90),
        GridColumn::plain(QStringLiteral("性别"), {}, 50),
        GridColumn::plain(QStringLiteral("员工等级"), {}, 100),
        GridColumn::plain(QStringLiteral("联系电话"), {}, 120),
        GridColumn::plain(QStringLiteral("证件号码"), {}, 160),
        GridColumn::plain(QStringLiteral("备注"), {}, 200),
    });

    CommandRow toolbar(this);
    toolbar.add(this,
                {{QStringLiteral("addButton"), QStringLiteral("添加"), &TFwsGlFm::Add},
                 {QStringLiteral("changeButton"), QStringLiteral("修改"), &TFwsGlFm::Change},
                 {QStringLiteral("deleteButton"), QStringLiteral("删除"), &TFwsGlFm::Delete},
                 {QStringLiteral("refreshButton"), QStringLiteral("刷新"), &TFwsGlFm::Refresh},
                 {QStringLiteral("showAllButton"), QStringLiteral("显示全部"), &TFwsGlFm::ShowAll},
                 {QStringLiteral("payButton"), QStringLiteral("发工资"), &TFwsGlFm::PayWage},
                 {QStringLiteral("printButton"), QStringLiteral("打印"), &TFwsGlFm::PrintReport}});
    toolbar.addQuit(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(toolbar.layout());
    layout->addWidget(m_grid, 1);

    run(QStringLiteral("select * from 员工管理 "), {});
}

void TFwsGlFm::run(const QString& sql, const QVariant& key)
{
    try {
        m_grid->setQuery(sql);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return;
    }
    reselect(key);
}

void TFwsGlFm::reselect(const QVariant& key)
{
    if (key.isValid() && !key.toString().isEmpty())
        m_grid->selectByKey(Key, key);
}

void TFwsGlFm::Refresh()
{
    const QVariant key = m_grid->hasCurrentRecord() ? m_grid->currentValue(Key) : QVariant();
    try {
        m_grid->refresh();
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return;
    }
    reselect(key);
}

void TFwsGlFm::ShowAll()
{
    run(AllEmployees, m_grid->hasCurrentRecord() ? m_grid->currentValue(Key) : QVariant());
}

void TFwsGlFm::Add()
{
    TFwsEditFm editor(m_session, {}, this);
    if (m_runModal(editor) == QDialog::Accepted) {
        Refresh();
        reselect(editor.savedCode());
    }
}

void TFwsGlFm::Change()
{
    if (!m_grid->hasCurrentRecord())
        return;
    TFwsEditFm editor(m_session, m_grid->currentValue(Key).toString(), this);
    if (m_runModal(editor) == QDialog::Accepted) {
        Refresh();
        reselect(editor.savedCode());
    }
}

void TFwsGlFm::Delete()
{
    if (!m_grid->hasCurrentRecord())
        return;
    const QString code = m_grid->currentValue(Key).toString();
    const QString name = m_grid->currentValue(QStringLiteral("员工姓名")).toString();
    if (Prompter::current().ask(QStringLiteral("您是否要删除\" ") + name + u'"')) {
        const RegisterOutcome outcome = staffregister::deleteEmployee(m_session.database(), code);
        if (!outcome.done)
            Prompter::current().warn(outcome.message);
    }
    // Whatever the answer, the list shows the table as it is now.
    Refresh();
}

void TFwsGlFm::PayWage()
{
    if (!m_grid->hasCurrentRecord())
        return;
    const Payee payee{m_grid->currentValue(Key).toString(),
                      m_grid->currentValue(QStringLiteral("员工姓名")).toString(),
                      m_grid->currentValue(QStringLiteral("员工等级")).toString()};
    if (payee.grade.trimmed().isEmpty()) {
        Prompter::current().warn(QStringLiteral("请先为该员工设置好员工等级后才能操作!"));
        return;
    }
    TFaGongZiFm pay(m_session, payee, this);
    m_runModal(pay);
}

ReportLayout TFwsGlFm::staffReport()
{
    ReportLayout layout;
    layout.name = QStringLiteral("服务生资料");
    layout.table = QStringLiteral("员工管理");
    layout.titles = {QStringLiteral("服务生资料")};
    layout.columns = {
        ReportColumn::of(Key, QStringLiteral("编号"), 30, GridFormat::Text),
        ReportColumn::of(QStringLiteral("员工姓名"), QStringLiteral("姓名"), 40, GridFormat::Text),
        ReportColumn::of(QStringLiteral("性别"), QStringLiteral("性别"), 20, GridFormat::Text),
        ReportColumn::of(QStringLiteral("员工等级"), QStringLiteral("员工等级"), 40,
                         GridFormat::Text),
    };
    layout.footers = {QStringLiteral("打印日期:[DATE]")};
    return layout;
}

void TFwsGlFm::PrintReport()
{
    if (!m_grid->model()->hasQuery())
        return;
    ShowReportPreview(m_session.database(), staffReport(), m_grid->orderedStatement(),
                      m_grid->parameters(), this);
}

} // namespace shoupai
