#include "staff/YgDjUt.h"

#include "app/Session.h"
#include "common/DataGrid.h"
#include "common/FormParts.h"
#include "common/Prompter.h"
#include "staff/StaffRegister.h"

#include <QGroupBox>
#include <QHBoxLayout>

namespace shoupai {

using namespace formparts;

namespace {
const QString Key = QStringLiteral("等级编号");
}

TYgDjFm::TYgDjFm(Session& session, QWidget* parent)
    : BrowseEditDialog(session.database(), QStringLiteral("TYgDjFm"), QStringLiteral("员工等级"),
                       QStringLiteral("gradeGrid"), parent),
      m_session(session)
{
    m_grid->setKindTable(QStringLiteral("员工等级"));
    m_grid->setKeyColumns({Key});
    m_grid->setColumns({GridColumn::plain(QStringLiteral("等级名称"), {}, 160),
                        GridColumn::money(QStringLiteral("工资"), {}, 100)});

    QGroupBox* group = editGroup();
    m_name = edit(QStringLiteral("nameEdit"), QStringLiteral("等级名称"), group);
    m_wage = edit(QStringLiteral("wageEdit"), QStringLiteral("工资"), group);
    auto* fields = new QHBoxLayout(group);
    fields->addWidget(
        caption(QStringLiteral("nameLabel"), QStringLiteral("等级名称"), group, m_name));
    fields->addWidget(m_name);
    fields->addWidget(caption(QStringLiteral("wageLabel"), QStringLiteral("工资"), group, m_wage));
    fields->addWidget(m_wage);

    finishLayout(QSize(420, 420));
    reload();
}

void TYgDjFm::reload(const QVariant& key)
{
    reloadList(QStringLiteral("select * from 员工等级"), Key, key);
}

void TYgDjFm::showCurrent()
{
    const bool has = m_grid->hasCurrentRecord();
    m_name->setText(has ? m_grid->currentValue(QStringLiteral("等级名称")).toString() : QString());
    m_wage->setText(has ? gridformat::amountText(
                              stored::toMoney(m_grid->currentValue(QStringLiteral("工资"))), -1)
                        : QString());
}

void TYgDjFm::Add()
{
    reload();
    m_editing.reset();
    m_name->clear();
    m_wage->clear();
    m_modes.enter(EditModes::Mode::Adding);
    m_name->setFocus();
}

void TYgDjFm::Change()
{
    if (!m_grid->hasCurrentRecord())
        return;
    m_editing = m_grid->currentValue(Key).toLongLong();
    showCurrent();
    m_modes.enter(EditModes::Mode::Changing);
}

void TYgDjFm::Delete()
{
    if (m_grid->recordCount() == 0) {
        Prompter::current().warn(QStringLiteral("没有记录可以删除!"));
        return;
    }
    if (!m_grid->hasCurrentRecord())
        return;
    const QString name = m_grid->currentValue(QStringLiteral("等级名称")).toString();
    if (!Prompter::current().ask(QStringLiteral("您是否要删除\" ") + name + u'"'))
        return;
    const RegisterOutcome outcome =
        staffregister::deleteGrade(m_session.database(), m_grid->currentValue(Key).toLongLong());
    if (!outcome.done)
        Prompter::current().warn(outcome.message);
    reload();
}

void TYgDjFm::Save()
{
    const RegisterOutcome outcome =
        staffregister::saveGrade(m_session.database(), m_editing, m_name->text(), m_wage->text());
    if (!outcome.done) {
        Prompter::current().warn(outcome.message);
        return;
    }
    QVariant key;
    if (m_editing)
        key = QVariant::fromValue<qlonglong>(*m_editing);
    else
        key = m_session.database().scalar(
            QStringLiteral("select max(等级编号) from 员工等级 where 等级名称 = ?"),
            {m_name->text().trimmed()});
    m_editing.reset();
    m_modes.enter(EditModes::Mode::Browsing);
    reload(key);
}

void TYgDjFm::Cancel()
{
    m_editing.reset();
    m_modes.enter(EditModes::Mode::Browsing);
    showCurrent();
}

} // namespace shoupai
