#include "common/BrowseEditDialog.h"

#include "common/CommandRow.h"
#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "platform/Database.h"

#include <QGroupBox>
#include <QVBoxLayout>

namespace shoupai {

BrowseEditDialog::BrowseEditDialog(Database& database, const QString& objectName,
                                   const QString& title, const QString& gridName, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(objectName);
    setWindowTitle(title);
    setAccessibleName(title);
    // Leaving goes through "退  出" only, so that a pending change is never left half done.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    m_grid = new DataGrid(database, this);
    m_grid->setObjectName(gridName);
    m_grid->setAccessibleName(title);

    m_group = new QGroupBox(this);
    m_group->setObjectName(QStringLiteral("editGroup"));
}

void BrowseEditDialog::finishLayout(const QSize& size)
{
    CommandRow toolbar(this);
    toolbar.add(
        this, {{QStringLiteral("addButton"), QStringLiteral("添加"), &BrowseEditDialog::Add},
               {QStringLiteral("changeButton"), QStringLiteral("修改"), &BrowseEditDialog::Change},
               {QStringLiteral("deleteButton"), QStringLiteral("删除"), &BrowseEditDialog::Delete},
               {QStringLiteral("saveButton"), QStringLiteral("保存"), &BrowseEditDialog::Save},
               {QStringLiteral("cancelButton"), QStringLiteral("取消"), &BrowseEditDialog::Cancel},
               {QStringLiteral("closeButton"), QStringLiteral("退  出"), &QDialog::accept}});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(toolbar.layout());
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_group);
    resize(size);

    m_modes.setBrowseWidgets({toolbar.button(QStringLiteral("addButton")),
                              toolbar.button(QStringLiteral("changeButton")),
                              toolbar.button(QStringLiteral("deleteButton")),
                              toolbar.button(QStringLiteral("closeButton")), m_grid});
    m_modes.setEditWidgets({toolbar.button(QStringLiteral("saveButton")),
                            toolbar.button(QStringLiteral("cancelButton")), m_group});
    connect(m_grid, &DataGrid::currentRowChanged, this, [this] {
        if (!m_modes.isEditing())
            showCurrent();
    });
    m_modes.enter(EditModes::Mode::Browsing);
}

void BrowseEditDialog::reloadList(const QString& sql, const QString& keyColumn, const QVariant& key)
{
    try {
        m_grid->setQuery(sql);
        if (key.isValid())
            m_grid->selectByKey(keyColumn, key);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
    showCurrent();
}

void BrowseEditDialog::reject()
{
    if (!m_modes.isEditing())
        QDialog::reject();
}

} // namespace shoupai
