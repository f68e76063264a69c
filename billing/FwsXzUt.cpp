#include "billing/FwsXzUt.h"

#include "common/DataGrid.h"
#include "common/FormParts.h"
#include "common/Prompter.h"
#include "platform/Database.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

TFwsXzFm::TFwsXzFm(Database& database, QWidget* parent)
    : QDialog(parent), m_database(database), m_grid(new DataGrid(database, this)),
      m_nameEdit(edit(QStringLiteral("nameEdit"), QStringLiteral("按服务生姓名查询"), this)),
      m_numberEdit(edit(QStringLiteral("numberEdit"), QStringLiteral("按服务生编号查询"), this))
{
    setObjectName(QStringLiteral("TFwsXzFm"));
    setWindowTitle(QStringLiteral("选择服务生"));
    setAccessibleName(windowTitle());
    resize(560, 420);

    m_grid->setObjectName(QStringLiteral("employeeGrid"));
    m_grid->setKindTable(QStringLiteral("员工管理"));
    m_grid->setColumns({GridColumn::plain(QStringLiteral("员工编号")),
                        GridColumn::plain(QStringLiteral("员工姓名")),
                        GridColumn::plain(QStringLiteral("性别")),
                        GridColumn::plain(QStringLiteral("员工等级")),
                        GridColumn::plain(QStringLiteral("联系电话"))});

    auto* showAllButton = button(QStringLiteral("showAllButton"), QStringLiteral("显示全部"), this);
    auto* chooseButton = button(QStringLiteral("chooseButton"), QStringLiteral("选择"), this);
    auto* cancelButton = button(QStringLiteral("cancelButton"), QStringLiteral("取消"), this);

    auto* search = new QGridLayout;
    search->addWidget(
        caption(QStringLiteral("nameCaption"), QStringLiteral("按服务生姓名查询"), this), 0, 0);
    search->addWidget(m_nameEdit, 0, 1);
    search->addWidget(
        caption(QStringLiteral("numberCaption"), QStringLiteral("按服务生编号查询"), this), 1, 0);
    search->addWidget(m_numberEdit, 1, 1);
    search->addWidget(showAllButton, 0, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(chooseButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(search);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);

    connect(m_nameEdit, &QLineEdit::returnPressed, this,
            [this] { searchByName(m_nameEdit->text()); });
    connect(m_numberEdit, &QLineEdit::returnPressed, this,
            [this] { searchByNumber(m_numberEdit->text()); });
    connect(showAllButton, &QPushButton::clicked, this, &TFwsXzFm::showAll);
    connect(chooseButton, &QPushButton::clicked, this, &TFwsXzFm::choose);
    connect(cancelButton, &QPushButton::clicked, this, &TFwsXzFm::cancelChoice);
    connect(m_grid, &DataGrid::doubleClicked, this, &TFwsXzFm::choose);

    showAll();
}

void TFwsXzFm::showRows(const QString& where, const QVariantList& values)
{
    try {
        m_grid->setQuery(QStringLiteral("select 员工编号, 员工姓名, 性别, 员工等级, 联系电话 from "
                                        "员工管理") +
                             where,
                         values);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

void TFwsXzFm::showAll()
{
    showRows({}, {});
}

void TFwsXzFm::searchByName(const QString& text)
{
    if (text.isEmpty())
        return;
    showRows(QStringLiteral(" where 员工姓名 like ?"), {u'%' + text + u'%'});
}

void TFwsXzFm::searchByNumber(const QString& text)
{
    if (text.isEmpty())
        return;
    showRows(QStringLiteral(" where 员工编号 = ?"), {text});
}

void TFwsXzFm::choose()
{
    if (!m_grid->hasCurrentRecord())
        return;
    m_number = m_grid->currentValue(QStringLiteral("员工编号")).toString();
    m_name = m_grid->currentValue(QStringLiteral("员工姓名")).toString();
    m_outcome = Outcome::Chosen;
    accept();
}

void TFwsXzFm::cancelChoice()
{
    m_outcome = Outcome::Cancelled;
    reject();
}

void TFwsXzFm::keyPressEvent(QKeyEvent* event)
{
    // Escape is "取消" and drops the line; only the window frame books it to "n".
    if (event->matches(QKeySequence::Cancel)) {
        cancelChoice();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace shoupai
