#include "staff/YgDjUt.h"

#include "app/Session.h"
#include "billing/FormParts.h"
#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "staff/StaffRegister.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

namespace {
const QString Key = QStringLiteral("等级编号");
}

TYgDjFm::TYgDjFm(Session& session, QWidget* parent) : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TYgDjFm"));
    setWindowTitle(QStringLiteral("员工等级"));
    setAccessibleName(windowTitle());
    // Leaving goes through "退  出" only, so that a pending change is never left half done.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    m_grid = new DataGrid(m_session.database(), this);
    m_grid->setObjectName(QStringLiteral("gradeGrid"));
    m_grid->setAccessibleName(windowTitle());
    m_grid->setKindTable(QStringLiteral("员工等级"));
    m_grid->setKeyColumns({Key});
    m_grid->setColumns({GridColumn::plain(QStringLiteral("等级名称"), {}, 160),
                        GridColumn::money(QStringLiteral("工资"), {}, 100)});

    auto* group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("editGroup"));
    m_name = edit(QStringLiteral("nameEdit"), QStringLiteral("等级名称"), group);
    m_wage = edit(QStringLiteral("wageEdit"), QStringLiteral("工资"), group);
    auto* fields = new QHBoxLayout(group);
    fields->addWidget(
        caption(QStringLiteral("nameLabel"), QStringLiteral("等级名称"), group, m_name));
    fields->addWidget(m_name);
    fields->addWidget(caption(QStringLiteral("wageLabel"), QStringLiteral("工资"), group, m_wage));
    fields->addWidget(m_wage);

    auto* add = button(QStringLiteral("addButton"), QStringLiteral("添加"), this);
    auto* change = button(QStringLiteral("changeButton"), QStringLiteral("修改"), this);
    auto* remove = button(QStringLiteral("deleteButton"), QStringLiteral("删除"), this);
    auto* save = button(QStringLiteral("saveButton"), QStringLiteral("保存"), this);
    auto* cancel = button(QStringLiteral("cancelButton"), QStringLiteral("取消"), this);
    auto* close = button(QStringLiteral("closeButton"), QStringLiteral("退  出"), this);
    auto* toolbar = new QHBoxLayout;
    for (QPushButton* b : {add, change, remove, save, cancel, close})
        toolbar->addWidget(b);
    toolbar->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(toolbar);
    layout->addWidget(m_grid, 1);
    layout->addWidget(group);
    resize(420, 420);

    m_modes.setBrowseWidgets({add, change, remove, close, m_grid});
    m_modes.setEditWidgets({save, cancel, group});

    connect(add, &QPushButton::clicked, this, &TYgDjFm::Add);
    connect(change, &QPushButton::clicked, this, &TYgDjFm::Change);
    connect(remove, &QPushButton::clicked, this, &TYgDjFm::Delete);
    connect(save, &QPushButton::clicked, this, &TYgDjFm::Save);
    connect(cancel, &QPushButton::clicked, this, &TYgDjFm::Cancel);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_grid, &DataGrid::currentRowChanged, this, [this] {
        if (!m_modes.isEditing())
            showCurrent();
    });

    reload();
    m_modes.enter(EditModes::Mode::Browsing);
}

void TYgDjFm::reload(const QVariant& key)
{
    try {
        m_grid->setQuery(QStringLiteral("select * from 员工等级"));
        if (key.isValid())
            m_grid->selectByKey(Key, key);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
    showCurrent();
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

void TYgDjFm::reject()
{
    if (!m_modes.isEditing())
        QDialog::reject();
}

} // namespace shoupai
