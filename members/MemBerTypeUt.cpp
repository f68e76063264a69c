#include "members/MemBerTypeUt.h"

#include "app/Session.h"
#include "common/CommandRow.h"
#include "common/DataGrid.h"
#include "common/FormParts.h"
#include "common/Prompter.h"
#include "members/MemberTypes.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

namespace {
const QString Key = QStringLiteral("id");
}

TMemBerTypeFm::TMemBerTypeFm(Session& session, QWidget* parent)
    : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TMemBerTypeFm"));
    setWindowTitle(QStringLiteral("会员类型"));
    setAccessibleName(windowTitle());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    m_grid = new DataGrid(m_session.database(), this);
    m_grid->setObjectName(QStringLiteral("typeGrid"));
    m_grid->setAccessibleName(windowTitle());
    m_grid->setKindTable(QStringLiteral("会员类型"));
    m_grid->setKeyColumns({Key});

    m_name = edit(QStringLiteral("nameEdit"), QStringLiteral("类型名称"), this);
    m_points = edit(QStringLiteral("pointsEdit"), QStringLiteral("初始积分"), this);
    m_rate = edit(QStringLiteral("rateEdit"), QStringLiteral("打折率"), this);
    auto* fields = new QHBoxLayout;
    fields->addWidget(
        caption(QStringLiteral("nameLabel"), QStringLiteral("类型名称"), this, m_name));
    fields->addWidget(m_name);
    fields->addWidget(
        caption(QStringLiteral("pointsLabel"), QStringLiteral("初始积分"), this, m_points));
    fields->addWidget(m_points);
    fields->addWidget(caption(QStringLiteral("rateLabel"), QStringLiteral("打折率"), this, m_rate));
    fields->addWidget(m_rate);

    CommandRow toolbar(this);
    toolbar.add(this,
                {{QStringLiteral("addButton"), QStringLiteral("添加"), &TMemBerTypeFm::Add},
                 {QStringLiteral("saveButton"), QStringLiteral("保存"), &TMemBerTypeFm::Save},
                 {QStringLiteral("cancelButton"), QStringLiteral("取消"), &TMemBerTypeFm::Cancel},
                 {QStringLiteral("deleteButton"), QStringLiteral("删除"), &TMemBerTypeFm::Delete},
                 {QStringLiteral("closeButton"), QStringLiteral("退出"), &QDialog::accept}});

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_grid, 1);
    layout->addLayout(fields);
    layout->addLayout(toolbar.layout());
    resize(520, 420);

    m_modes.setBrowseWidgets({toolbar.button(QStringLiteral("addButton")),
                              toolbar.button(QStringLiteral("deleteButton")),
                              toolbar.button(QStringLiteral("closeButton")), m_grid});
    m_modes.setEditWidgets({toolbar.button(QStringLiteral("saveButton")),
                            toolbar.button(QStringLiteral("cancelButton"))});

    for (QLineEdit* field : {m_name, m_points, m_rate})
        connect(field, &QLineEdit::textEdited, this, &TMemBerTypeFm::startChange);
    connect(m_grid, &DataGrid::currentRowChanged, this, [this] {
        if (!m_modes.isEditing())
            showCurrent();
    });

    reload();
    m_modes.enter(EditModes::Mode::Browsing);
}

void TMemBerTypeFm::reload(const QVariant& key)
{
    try {
        m_grid->setQuery(QStringLiteral("select * from 会员类型 order by id"));
        if (key.isValid())
            m_grid->selectByKey(Key, key);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
    showCurrent();
}

void TMemBerTypeFm::showCurrent()
{
    const bool has = m_grid->hasCurrentRecord();
    auto shown = [&](const QString& column) {
        return has ? stored::toNumber(m_grid->currentValue(column)).toString() : QString();
    };
    m_name->setText(has ? m_grid->currentValue(QStringLiteral("类型名称")).toString() : QString());
    m_points->setText(shown(QStringLiteral("初始积分")));
    m_rate->setText(shown(QStringLiteral("打折率")));
}

void TMemBerTypeFm::startChange()
{
    if (m_modes.isEditing())
        return;
    if (!m_grid->hasCurrentRecord()) {
        // Nothing to change: what is typed becomes a new type.
        m_editing.reset();
        m_modes.enter(EditModes::Mode::Adding);
        return;
    }
    m_editing = m_grid->currentValue(Key).toLongLong();
    m_modes.enter(EditModes::Mode::Changing);
}

void TMemBerTypeFm::Add()
{
    m_editing.reset();
    m_name->clear();
    m_points->clear();
    m_rate->clear();
    m_modes.enter(EditModes::Mode::Adding);
    m_name->setFocus();
}

void TMemBerTypeFm::Save()
{
    if (!m_modes.isEditing())
        return;
    qint64 saved = 0;
    const MemberOutcome outcome = membertypes::saveType(
        m_session.database(), m_editing, m_name->text(), m_points->text(), m_rate->text(), &saved);
    if (!outcome.done) {
        Prompter::current().warn(outcome.message);
        return;
    }
    m_editing.reset();
    m_modes.enter(EditModes::Mode::Browsing);
    reload(QVariant::fromValue<qlonglong>(saved));
}

void TMemBerTypeFm::Cancel()
{
    m_editing.reset();
    m_modes.enter(EditModes::Mode::Browsing);
    showCurrent();
}

void TMemBerTypeFm::Delete()
{
    if (!m_grid->hasCurrentRecord())
        return;
    const QString name = m_grid->currentValue(QStringLiteral("类型名称")).toString();
    if (!Prompter::current().ask(QStringLiteral("您是否要删除\" ") + name + u'"'))
        return;
    const MemberOutcome outcome =
        membertypes::deleteType(m_session.database(), m_grid->currentValue(Key).toLongLong());
    if (!outcome.done)
        Prompter::current().warn(outcome.message);
    reload();
}

void TMemBerTypeFm::reject()
{
    if (!m_modes.isEditing())
        QDialog::reject();
}

} // namespace shoupai
