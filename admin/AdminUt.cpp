#include "admin/AdminUt.h"

#include "admin/Administrators.h"
#include "app/Session.h"
#include "common/CommandRow.h"
#include "common/DataGrid.h"
#include "common/FormParts.h"
#include "common/GridColumn.h"
#include "common/Prompter.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace shoupai {

namespace {

const QString nameColumn = QStringLiteral("用户名");
const QString hiddenColumn = QStringLiteral("退回库存");

} // namespace

TAdminFm::TAdminFm(Session& session, QWidget* parent) : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TAdminFm"));
    setWindowTitle(QStringLiteral("管理员管理 （新增用户的默认初始密码是2863）"));
    setAccessibleName(windowTitle());

    CommandRow toolbar(this);
    toolbar.add(this, {{QStringLiteral("addButton"), QStringLiteral("添加"), &TAdminFm::add},
                       {QStringLiteral("modifyButton"), QStringLiteral("修改"), &TAdminFm::modify},
                       {QStringLiteral("saveButton"), QStringLiteral("保存"), &TAdminFm::save},
                       {QStringLiteral("cancelButton"), QStringLiteral("取消"), &TAdminFm::cancel},
                       {QStringLiteral("deleteButton"), QStringLiteral("删除"), &TAdminFm::remove},
                       {QStringLiteral("quitButton"), QStringLiteral("退出"), &TAdminFm::quit}});
    for (QPushButton* b : toolbar.buttons())
        m_buttons.insert(b->text(), b);

    m_grid = new DataGrid(session.database(), this);
    m_grid->setObjectName(QStringLiteral("adminGrid"));
    m_grid->setColumns({GridColumn::plain(nameColumn)});
    m_grid->setKeyColumns({nameColumn});

    m_name = formparts::edit(QStringLiteral("nameField"), QStringLiteral("用户名:"), this);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(
        formparts::caption(QStringLiteral("nameCaption"), QStringLiteral("用户名:"), this, m_name));
    nameRow->addWidget(m_name);

    m_permissions = new QGroupBox(QStringLiteral("权限"), this);
    m_permissions->setObjectName(QStringLiteral("permissionGroup"));
    m_permissions->setAccessibleName(m_permissions->title());
    auto* boxes = new QGridLayout(m_permissions);
    const QStringList& shown = administrators::shownColumns();
    const int rows = static_cast<int>(shown.size()) / 2;
    for (int i = 0; i < shown.size(); ++i) {
        const QString caption = administrators::captionOf(shown.at(i));
        auto* check = new QCheckBox(caption, m_permissions);
        check->setObjectName(QStringLiteral("permissionBox%1").arg(i));
        check->setAccessibleName(caption);
        m_boxes.insert(shown.at(i), check);
        boxes->addWidget(check, i % rows, i / rows);
    }
    auto* hidden = new QCheckBox(hiddenColumn, m_permissions);
    hidden->setObjectName(QStringLiteral("returnToStockBox"));
    hidden->setAccessibleName(hiddenColumn);
    hidden->hide();
    m_boxes.insert(hiddenColumn, hidden);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(toolbar.layout());
    layout->addWidget(m_grid, 1);
    layout->addLayout(nameRow);
    layout->addWidget(m_permissions);

    connect(m_grid, &DataGrid::currentRowChanged, this, [this] {
        if (!m_editing)
            showCurrent();
    });

    reload(QString());
    setEditing(false);
}

void TAdminFm::reload(const QString& selectName)
{
    try {
        m_grid->setQuery(QStringLiteral("select 用户名 from 管理员"));
        if (!selectName.isEmpty())
            m_grid->selectByKey(nameColumn, selectName);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
    showCurrent();
}

void TAdminFm::showCurrent()
{
    const QString name =
        m_grid->hasCurrentRecord() ? m_grid->currentValue(nameColumn).toString() : QString();
    m_name->setText(name);
    Database& db = m_session.database();
    try {
        Rows row = db.query(QStringLiteral("select * from 管理员 where 用户名 = ?"), {name});
        const bool found = row.next();
        for (auto it = m_boxes.cbegin(); it != m_boxes.cend(); ++it) {
            // A database without this column grants it to everyone.
            if (!administrators::hasColumn(db, it.key())) {
                it.value()->setChecked(true);
                it.value()->setEnabled(false);
                continue;
            }
            it.value()->setChecked(found && row.flag(it.key()));
        }
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

void TAdminFm::setEditing(bool editing)
{
    m_editing = editing;
    for (const QString& caption :
         {QStringLiteral("添加"), QStringLiteral("修改"), QStringLiteral("删除")})
        m_buttons.value(caption)->setEnabled(!editing);
    m_buttons.value(QStringLiteral("保存"))->setEnabled(editing);
    m_buttons.value(QStringLiteral("取消"))->setEnabled(editing);
    m_grid->setEnabled(!editing);
    m_name->setEnabled(editing);
    m_permissions->setEnabled(editing);
    if (editing)
        m_name->setFocus();
}

void TAdminFm::add()
{
    m_adding = true;
    m_original.clear();
    reload(QString());
    m_name->clear();
    // Every box the table has a column for, the hidden one included; the
    // missing optional ones stay shown as granted.
    for (auto it = m_boxes.cbegin(); it != m_boxes.cend(); ++it) {
        if (administrators::hasColumn(m_session.database(), it.key()))
            it.value()->setChecked(false);
    }
    setEditing(true);
}

void TAdminFm::modify()
{
    if (!m_grid->hasCurrentRecord())
        return;
    m_adding = false;
    m_original = m_grid->currentValue(nameColumn).toString();
    setEditing(true);
}

void TAdminFm::save()
{
    administrators::Fields fields;
    fields.name = m_name->text();
    for (const QString& column : administrators::shownColumns())
        fields.flags.insert(column, m_boxes.value(column)->isChecked());
    administrators::Outcome outcome;
    try {
        outcome = m_adding
                      ? administrators::add(m_session.database(), fields, m_session.operatorName)
                      : administrators::modify(m_session.database(), m_original, fields,
                                               m_session.operatorName);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return;
    }
    if (!outcome.done) {
        Prompter::current().warn(outcome.message);
        m_name->setFocus();
        return;
    }
    setEditing(false);
    reload(fields.name.trimmed());
}

void TAdminFm::cancel()
{
    setEditing(false);
    reload(m_adding ? QString() : m_original);
}

void TAdminFm::remove()
{
    if (!m_grid->hasCurrentRecord())
        return;
    Prompter& prompter = Prompter::current();
    const QString name = m_grid->currentValue(nameColumn).toString();
    try {
        if (const auto refusal = administrators::deleteRefusal(m_session.database(), name)) {
            prompter.warn(*refusal);
            return;
        }
        if (!prompter.ask(administrators::deleteQuestion(name)))
            return;
        const auto outcome =
            administrators::remove(m_session.database(), name, m_session.operatorName);
        if (!outcome.done)
            prompter.warn(outcome.message);
    } catch (const DatabaseError& error) {
        prompter.error(error.text());
        return;
    }
    reload(QString());
}

void TAdminFm::quit()
{
    Prompter::current().inform(QStringLiteral("重启软件后,新的设置才能生效!"));
    accept();
}

} // namespace shoupai
