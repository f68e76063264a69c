#include "floor/MainUt.h"

#include "app/Session.h"
#include "common/Prompter.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>

namespace shoupai {

TMainFm::TMainFm(Session& session, QWidget* parent) : QMainWindow(parent), m_session(session)
{
    setObjectName(QStringLiteral("TMainFm"));
    setWindowTitle(m_session.softname);
    buildMenus();
    buildToolBar();
    buildRoomTabs();
    buildStatusBar();
    applyPermissionGates();
    resize(1024, 700);
}

QAction* TMainFm::addEntry(QMenu* menu, const QString& caption, bool hidden)
{
    QAction* entry = menu->addAction(caption);
    entry->setObjectName(caption);
    entry->setVisible(!hidden);
    m_actions << entry;
    return entry;
}

QAction* TMainFm::action(const QString& caption) const
{
    for (QAction* entry : m_actions) {
        if (entry->text() == caption)
            return entry;
    }
    for (QAction* entry : m_menus) {
        if (entry->text() == caption)
            return entry;
    }
    return nullptr;
}

void TMainFm::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("mainMenu"));
    auto menu = [&](const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(caption);
        m->menuAction()->setObjectName(caption);
        m_menus << m->menuAction();
        return m;
    };

    QMenu* queries = menu(QStringLiteral("查询统计"));
    addEntry(queries, QStringLiteral("当前消费查询"));
    addEntry(queries, QStringLiteral("营业额查询"), true);
    addEntry(queries, QStringLiteral("帐单查询"));
    addEntry(queries, QStringLiteral("账单消费明细查询"));
    addEntry(queries, QStringLiteral("营业项目统计"));
    addEntry(queries, QStringLiteral("进货记录统计"));

    QMenu* system = menu(QStringLiteral("系统管理"));
    addEntry(system, QStringLiteral("商品项目管理"));
    addEntry(system, QStringLiteral("商品类型设置"));
    addEntry(system, QStringLiteral("手牌与包厢设置"));

    QMenu* stock = menu(QStringLiteral("库存管理"));
    stock->menuAction()->setVisible(false);

    QMenu* members = menu(QStringLiteral("会员管理"));
    addEntry(members, QStringLiteral("会员信息管理"));
    addEntry(members, QStringLiteral("会员类型管理"));
    addEntry(members, QStringLiteral("会员消费查询"));
    addEntry(members, QStringLiteral("充值记录统计"));

    QMenu* staff = menu(QStringLiteral("员工管理"));
    addEntry(staff, QStringLiteral("员工信息管理"));
    addEntry(staff, QStringLiteral("员工等级设置"));
    addEntry(staff, QStringLiteral("员工提成统计"));
    addEntry(staff, QStringLiteral("员工提成明细"));
    addEntry(staff, QStringLiteral("工资记录"));

    QMenu* maintenance = menu(QStringLiteral("系统维护"));
    addEntry(maintenance, QStringLiteral("管理员设置"));
    addEntry(maintenance, QStringLiteral("管理密码修改"));
    addEntry(maintenance, QStringLiteral("会员密码修改"));
    addEntry(maintenance, QStringLiteral("数据备份"));
    addEntry(maintenance, QStringLiteral("数据恢复"));
    addEntry(maintenance, QStringLiteral("IC卡设备设置"), true);
    addEntry(maintenance, QStringLiteral("系统信息设置"));
    addEntry(maintenance, QStringLiteral("EXCEL导入"));
    addEntry(maintenance, QStringLiteral("POS打印机设置"));
    addEntry(maintenance, QStringLiteral("数据库设置"));
    addEntry(maintenance, QStringLiteral("数据初始化"));

    QMenu* help = menu(QStringLiteral("帮助"));
    addEntry(help, QStringLiteral("帮助"));
    addEntry(help, QStringLiteral("关于"));
}

void TMainFm::buildToolBar()
{
    QToolBar* tools = addToolBar(QStringLiteral("工具栏"));
    tools->setObjectName(QStringLiteral("mainToolBar"));
    tools->setMovable(false);
    tools->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    auto button = [&](const QString& caption, const QString& name, bool hidden = false) {
        QAction* entry = tools->addAction(caption);
        entry->setObjectName(name);
        entry->setVisible(!hidden);
        m_actions << entry;
        return entry;
    };
    button(QStringLiteral("开单"), QStringLiteral("openBillButton"));
    button(QStringLiteral("消费与结帐"), QStringLiteral("consumeButton"));
    button(QStringLiteral("xxx"), QStringLiteral("checkOutButton"), true);
    button(QStringLiteral("商品项目"), QStringLiteral("goodsButton"));
    button(QStringLiteral("会员管理"), QStringLiteral("membersButton"));
    QAction* reminder = button(QStringLiteral("系统提示"), QStringLiteral("reminderButton"));
    connect(reminder, &QAction::triggered, this, [] {
        Prompter::current().inform(QStringLiteral("为了您的数据安全 请注意备份您的数据！"));
    });
    QAction* exit = button(QStringLiteral("退出系统"), QStringLiteral("exitButton"));
    connect(exit, &QAction::triggered, this, [this] {
        m_exiting = true;
        QApplication::quit();
    });
}

void TMainFm::buildRoomTabs()
{
    m_roomTabs = new QTabWidget(this);
    m_roomTabs->setObjectName(QStringLiteral("roomTabs"));
    QFont tabFont = m_roomTabs->font();
    tabFont.setBold(true);
    tabFont.setPointSize(tabFont.pointSize() + 4);
    m_roomTabs->tabBar()->setFont(tabFont);
    try {
        Rows rows = m_session.database().query(QStringLiteral("select * from 包厢类型 "));
        while (rows.next()) {
            const QString room = rows.text(QStringLiteral("包厢类型"));
            auto* page = new QLabel(m_roomTabs);
            page->setObjectName(QStringLiteral("roomPage"));
            page->setAlignment(Qt::AlignCenter);
            m_roomTabs->addTab(page, room);
        }
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
    setCentralWidget(m_roomTabs);
}

void TMainFm::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("mainStatusBar"));
    const QString texts[] = {m_session.company, m_session.web, m_session.tel};
    const int widths[] = {300, 200, 50};
    const char* names[] = {"companyPanel", "webPanel", "telPanel"};
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(texts[i], bar);
        panel->setObjectName(QLatin1String(names[i]));
        panel->setMinimumWidth(widths[i]);
        bar->addWidget(panel);
    }
}

void TMainFm::applyPermissionGates()
{
    const Permissions& p = m_session.permissions;
    auto gate = [this](bool granted, std::initializer_list<const char16_t*> captions) {
        if (granted)
            return;
        for (const char16_t* caption : captions) {
            for (QAction* entry : std::as_const(m_actions)) {
                if (entry->text() == QString::fromUtf16(caption))
                    entry->setEnabled(false);
            }
        }
    };
    gate(p.has(Permission::CashierCheckout), {u"xxx"});
    gate(p.has(Permission::Consumption), {u"消费与结帐"});
    gate(p.has(Permission::GuestRegistration), {u"开单"});
    if (!p.has(Permission::BusinessQueries))
        action(QStringLiteral("查询统计"))->setEnabled(false);
    gate(p.has(Permission::Members), {u"会员管理", u"会员信息管理", u"会员类型管理"});
    gate(p.has(Permission::DataClearing), {u"数据初始化"});
    gate(p.has(Permission::Administration), {u"管理员设置", u"数据库设置", u"系统信息设置"});
    gate(p.has(Permission::Goods), {u"商品项目", u"商品项目管理"});
    gate(p.has(Permission::Tags), {u"手牌与包厢设置"});
    gate(p.has(Permission::Employees), {u"员工信息管理"});
    gate(p.has(Permission::Backup), {u"数据备份"});
    gate(p.has(Permission::Restore), {u"数据恢复"});
}

void TMainFm::closeEvent(QCloseEvent* event)
{
    // The run ends through the exit command, never through the window frame.
    if (m_exiting)
        event->accept();
    else
        event->ignore();
}

} // namespace shoupai
