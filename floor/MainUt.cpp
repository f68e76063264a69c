#include "floor/MainUt.h"

#include "admin/AdminChangePassUt.h"
#include "admin/AdminUt.h"
#include "admin/DataClearUt.h"
#include "admin/SetDataUt.h"
#include "app/Session.h"
#include "billing/AddConsumeUt.h"
#include "billing/CheckOutUt.h"
#include "billing/CxJzJlUt.h"
#include "billing/OpenDanUt.h"
#include "billing/PosPrtSetUt.h"
#include "catalogue/InExcelDataUt.h"
#include "catalogue/SpSetUt.h"
#include "catalogue/SpStatusUt.h"
#include "catalogue/XmAddChaXunUt.h"
#include "catalogue/XmKindUt.h"
#include "catalogue/XmUt.h"
#include "common/DataGrid.h"
#include "common/FormParts.h"
#include "common/Prompter.h"
#include "common/ReportPreview.h"
#include "common/SpreadsheetExport.h"
#include "floor/AboutUt.h"
#include "floor/BillCancellation.h"
#include "floor/BoardQueries.h"
#include "floor/BoardReport.h"
#include "floor/CloseQueryUt.h"
#include "floor/DatabaseBackup.h"
#include "floor/FileChooser.h"
#include "floor/SysInfoUt.h"
#include "floor/TagState.h"
#include "members/ChongZhiRecordUt.h"
#include "members/HyChangePassUt.h"
#include "members/IcCard.h"
#include "members/MemBerTypeUt.h"
#include "members/MemberUt.h"
#include "members/SeticmUt.h"
#include "queries/CountMingXiUt.h"
#include "queries/CountProfitUt.h"
#include "queries/HYConsumeCxUt.h"
#include "queries/ItemCountUt.h"
#include "queries/SalesChartUt.h"
#include "queries/XfCxUt.h"
#include "staff/FwsGlUt.h"
#include "staff/FwsTcMxUt.h"
#include "staff/FwsTcTjUt.h"
#include "staff/GongZiRecordUt.h"
#include "staff/YgDjUt.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace shoupai {

namespace {

constexpr int PictureRole = Qt::UserRole + 1;

const QString openBillCaption = QStringLiteral("开    单");
const QString consumeCaption = QStringLiteral("消费与结帐");
const QString checkoutCaption = QStringLiteral("结    帐");
const QString reserveCaption = QStringLiteral("预    定");
const QString changeStateCaption = QStringLiteral("修改状态");
const QString cancelCaption = QStringLiteral("撤单");

const QString noTagText = QStringLiteral("没有选手牌号！");

QString dateTimeText(const QDateTime& moment)
{
    return moment.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

} // namespace

TMainFm::TMainFm(Session& session, QWidget* parent)
    : QMainWindow(parent), m_session(session),
      m_urlOpener([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      m_previewer([this](const ReportLayout& layout, const QString& statement,
                         const QVariantList& parameters) {
          ShowReportPreview(m_session.database(), layout, statement, parameters, this);
      }),
      m_clock([] { return QDateTime::currentDateTime(); })
{
    setObjectName(QStringLiteral("TMainFm"));
    setWindowTitle(m_session.softname);
    buildMenus();
    buildToolBar();
    buildBoard();
    buildPopup();
    buildStatusBar();
    buildRoomTabs();
    RecountStates();
    showStartingContent();

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("clockTimer"));
    m_timer->setInterval(3000);
    connect(m_timer, &QTimer::timeout, this, &TMainFm::tick);
    m_timer->start();
    resize(1024, 700);
}

TMainFm::~TMainFm() = default;

// ---------------------------------------------------------------- building

QAction* TMainFm::addEntry(QMenu* menu, const QString& caption, const Gate& gate,
                           std::function<void()> command, bool hidden)
{
    QAction* entry = menu->addAction(caption);
    entry->setObjectName(caption);
    entry->setVisible(!hidden);
    m_gates.insert(entry, gate);
    if (!command) {
        // The screen behind it is not part of the program yet.
        setOffered(entry, false);
        m_pending << caption;
    } else {
        connect(entry, &QAction::triggered, this, [this, entry, command] {
            const Gate& g = m_gates[entry];
            if (g.refused && g.permission && !permitted(*g.permission)) {
                Prompter::current().inform(g.refusal);
                return;
            }
            command();
        });
    }
    if (gate.permission && !gate.refused && !permitted(*gate.permission))
        setOffered(entry, false);
    if (menu == m_popup)
        m_popupActions << entry;
    else
        m_actions << entry;
    return entry;
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
    const Gate none;
    auto disabledBy = [](Permission permission) {
        Gate gate;
        gate.permission = permission;
        return gate;
    };
    auto refusedBy = [](Permission permission, const QString& text) {
        Gate gate;
        gate.permission = permission;
        gate.refused = true;
        gate.refusal = text;
        return gate;
    };
    const QString noRight = QStringLiteral("操作失败:没有权限!");
    const std::function<void()> pending;

    QMenu* queries = menu(QStringLiteral("查询统计"));
    if (!permitted(Permission::BusinessQueries))
        setOffered(queries->menuAction(), false);
    addEntry(queries, QStringLiteral("当前消费查询"), none, [this] {
        TXfCxFm screen(m_session, this);
        runModal(screen);
    });
    // Hidden unless the installation asks for it (system.ini [part1] ShowRevenue=1).
    addEntry(
        queries, QStringLiteral("营业额查询"), none,
        [this] {
            TCountProfitFm screen(m_session, this);
            runModal(screen);
        },
        m_session.config().read(QStringLiteral("part1"), QStringLiteral("ShowRevenue")).trimmed() !=
            u"1");
    addEntry(queries, QStringLiteral("帐单查询"), none, [this] {
        TCxJzJlFm screen(m_session, this, this);
        runModal(screen);
    });
    addEntry(queries, QStringLiteral("账单消费明细查询"), none, [this] {
        TCountMingXiFm screen(m_session, this);
        runModal(screen);
    });
    addEntry(queries, QStringLiteral("营业项目统计"), none, [this] {
        TItemCountFm screen(m_session, this);
        runModal(screen);
    });
    addEntry(queries, QStringLiteral("进货记录统计"), none, [this] {
        TXmAddChaXunFm screen(m_session, this);
        runModal(screen);
    });
    addEntry(queries, QStringLiteral("营业图表"), none, [this] {
        TSalesChartFm screen(m_session, this);
        screen.Draw();
        runModal(screen);
    });

    QMenu* system = menu(QStringLiteral("系统管理"));
    addEntry(system, QStringLiteral("商品项目管理"), disabledBy(Permission::Goods),
             [this] { catalogueCommand(); });
    addEntry(system, QStringLiteral("商品类型设置"),
             refusedBy(Permission::GoodsTypes, QStringLiteral("没有权限!")), [this] {
                 TXmKindFm screen(m_session, this);
                 runModal(screen);
             });
    addEntry(system, QStringLiteral("手牌与包厢设置"), disabledBy(Permission::Tags), [this] {
        TSpSetFm screen(m_session, this);
        screen.setModalRunner([this](QDialog& dialog) { return runModal(dialog); });
        connect(&screen, &TSpSetFm::closedAfterSetup, this, &TMainFm::ReloadRoomTypes);
        runModal(screen);
    });

    QMenu* stock = menu(QStringLiteral("库存管理"));
    stock->menuAction()->setVisible(false);

    QMenu* members = menu(QStringLiteral("会员管理"));
    addEntry(members, QStringLiteral("会员信息管理"), disabledBy(Permission::Members),
             [this] { membersCommand(); });
    addEntry(members, QStringLiteral("会员类型管理"), disabledBy(Permission::Members), [this] {
        TMemBerTypeFm screen(m_session, this);
        runModal(screen);
    });
    addEntry(members, QStringLiteral("会员消费查询"), none, [this] {
        THYConsumeCXFm screen(m_session, this);
        runModal(screen);
    });
    addEntry(members, QStringLiteral("充值记录统计"), none, [this] {
        TChongZhiRecordFm screen(m_session, this);
        runModal(screen);
    });

    QMenu* staff = menu(QStringLiteral("员工管理"));
    addEntry(staff, QStringLiteral("员工信息管理"), disabledBy(Permission::Employees), [this] {
        TFwsGlFm screen(m_session, this);
        screen.setModalRunner([this](QDialog& dialog) { return runModal(dialog); });
        runModal(screen);
    });
    addEntry(staff, QStringLiteral("员工等级设置"), refusedBy(Permission::Administration, noRight),
             [this] {
                 TYgDjFm screen(m_session, this);
                 runModal(screen);
             });
    addEntry(staff, QStringLiteral("员工提成统计"), none, [this] {
        TFwsTcTjFm screen(m_session, this);
        runModal(screen);
    });
    addEntry(staff, QStringLiteral("员工提成明细"), none, [this] {
        TFwsTcMxFm screen(m_session, this);
        runModal(screen);
    });
    addEntry(staff, QStringLiteral("工资记录"), none, [this] {
        TGongZiRecordFm screen(m_session, this);
        runModal(screen);
    });

    QMenu* maintenance = menu(QStringLiteral("系统维护"));
    addEntry(maintenance, QStringLiteral("管理员设置"), disabledBy(Permission::Administration),
             [this] {
                 TAdminFm screen(m_session, this);
                 runModal(screen);
             });
    addEntry(maintenance, QStringLiteral("管理密码修改"), none, [this] {
        TAdminChangePassFm screen(m_session, this);
        runModal(screen);
    });
    addEntry(maintenance, QStringLiteral("会员密码修改"), none, [this] {
        THYChangePassFm screen(m_session, this);
        runModal(screen);
    });
    addEntry(maintenance, QStringLiteral("数据备份"), disabledBy(Permission::Backup),
             [this] { backupCommand(); });
    addEntry(maintenance, QStringLiteral("数据恢复"), disabledBy(Permission::Restore),
             [this] { restoreCommand(); });
    // Hidden unless the installation asks for it (system.ini [IcCard] menu=1).
    addEntry(
        maintenance, QStringLiteral("IC卡设备设置"), none,
        [this] {
            if (!m_seticm)
                m_seticm = new TSeticmFm(m_session, this);
            runModal(*m_seticm);
        },
        m_session.config().read(QStringLiteral("IcCard"), QStringLiteral("menu")).trimmed() !=
            u"1");
    addEntry(maintenance, QStringLiteral("系统信息设置"), disabledBy(Permission::Administration),
             [this] {
                 TSysInfoFm screen(m_session, this);
                 runModal(screen);
             });
    addEntry(maintenance, QStringLiteral("EXCEL导入"),
             refusedBy(Permission::Administration, noRight), [this] {
                 TInExcelDataFm screen(m_session, this);
                 runModal(screen);
             });
    addEntry(maintenance, QStringLiteral("POS打印机设置"),
             refusedBy(Permission::Administration, noRight), [this] {
                 TPosPrtSetFm screen(m_session, this);
                 runModal(screen);
             });
    addEntry(maintenance, QStringLiteral("数据库设置"), disabledBy(Permission::Administration),
             [this] {
                 TSetDataFm screen(m_session, this);
                 runModal(screen);
             });
    addEntry(maintenance, QStringLiteral("数据初始化"), disabledBy(Permission::DataClearing),
             [this] {
                 TDataClearFm screen(m_session, this);
                 runModal(screen);
             });

    QMenu* help = menu(QStringLiteral("帮助"));
    addEntry(help, QStringLiteral("帮助"), none, [this] { helpCommand(); });
    addEntry(help, QStringLiteral("关于"), none, [this] {
        TAboutFm screen(m_session, this);
        runModal(screen);
    });
}

void TMainFm::buildToolBar()
{
    QToolBar* tools = addToolBar(QStringLiteral("工具栏"));
    tools->setObjectName(QStringLiteral("mainToolBar"));
    tools->setMovable(false);
    tools->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tools->setIconSize(QSize(32, 32));
    const std::function<void()> pending;
    auto button = [&](const QString& caption, const QString& name, std::optional<Permission> gate,
                      std::function<void()> command, bool hidden = false,
                      std::optional<int> picture = std::nullopt) {
        QAction* entry = tools->addAction(caption);
        entry->setObjectName(name);
        entry->setVisible(!hidden);
        if (picture)
            entry->setIcon(tagIcon(*picture));
        if (command)
            connect(entry, &QAction::triggered, this, command);
        else {
            setOffered(entry, false);
            m_pending << caption;
        }
        if (gate && !permitted(*gate))
            setOffered(entry, false);
        if (QWidget* shown = tools->widgetForAction(entry)) {
            shown->setObjectName(name);
            shown->setAccessibleName(caption);
        }
        m_actions << entry;
        return entry;
    };
    button(
        QStringLiteral("开单"), QStringLiteral("openBillButton"), Permission::GuestRegistration,
        [this] { openBillCommand(); }, false, AvailablePicture);
    button(
        QStringLiteral("消费与结帐"), QStringLiteral("consumeButton"), Permission::Consumption,
        [this] { addConsumptionCommand(); }, false, OccupiedPicture);
    button(
        QStringLiteral("xxx"), QStringLiteral("checkOutButton"), Permission::CashierCheckout,
        [this] { checkoutCommand(); }, true);
    button(QStringLiteral("商品项目"), QStringLiteral("goodsButton"), Permission::Goods,
           [this] { catalogueCommand(); });
    button(QStringLiteral("会员管理"), QStringLiteral("membersButton"), Permission::Members,
           [this] { membersCommand(); });
    button(QStringLiteral("系统提示"), QStringLiteral("reminderButton"), std::nullopt, [] {
        Prompter::current().inform(QStringLiteral("为了您的数据安全 请注意备份您的数据！"));
    });
    button(
        QStringLiteral("退出系统"), QStringLiteral("exitButton"), std::nullopt,
        [this] { exitCommand(); }, false, OutOfServicePicture);
}

void TMainFm::membersCommand()
{
    TMemberFm screen(m_session, this);
    screen.setModalRunner([this](QDialog& dialog) { return runModal(dialog); });
    runModal(screen);
}

QLabel* TMainFm::addPanelLine(QFormLayout* form, const QString& caption, const char* name)
{
    QLabel* value = formparts::value(QLatin1String(name), form->parentWidget());
    form->addRow(formparts::caption(QLatin1String(name) + QStringLiteral("Label"), caption,
                                    form->parentWidget(), value),
                 value);
    m_panel.insert(caption, value);
    return value;
}

QWidget* TMainFm::buildSidePanel()
{
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("sidePanel"));
    panel->setFixedWidth(245);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);

    auto group = [&](const QString& title, const QString& name) {
        auto* box = new QGroupBox(title, panel);
        box->setObjectName(name);
        box->setAccessibleName(title);
        layout->addWidget(box);
        return box;
    };

    QGroupBox* clock = group(QString(), QStringLiteral("clockGroup"));
    auto* clockForm = new QFormLayout(clock);
    addPanelLine(clockForm, QStringLiteral("时间:"), "clockValue");

    QGroupBox* selected = group(QString(), QStringLiteral("selectedTagGroup"));
    auto* selectedForm = new QFormLayout(selected);
    QLabel* tag = addPanelLine(selectedForm, QStringLiteral("牌号:"), "tagValue");
    QFont big = tag->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 4);
    tag->setFont(big);
    addPanelLine(selectedForm, QStringLiteral("当前状态:"), "stateValue");
    addPanelLine(selectedForm, QStringLiteral("计费标准:"), "standardValue");
    addPanelLine(selectedForm, QStringLiteral("进店时间:"), "entryTimeValue");
    addPanelLine(selectedForm, QStringLiteral("已用时间:"), "elapsedValue");
    addPanelLine(selectedForm, QStringLiteral("已交押金:"), "depositValue");
    addPanelLine(selectedForm, QStringLiteral("消费金额:"), "consumedValue");

    QGroupBox* totals = group(QStringLiteral("总状态"), QStringLiteral("countsGroup"));
    auto* totalsForm = new QFormLayout(totals);
    addPanelLine(totalsForm, QStringLiteral("手牌总数"), "totalCount");
    addPanelLine(totalsForm, QStringLiteral("当前占用"), "occupiedCount");
    addPanelLine(totalsForm, QStringLiteral("当前空闲"), "freeCount");
    addPanelLine(totalsForm, QStringLiteral("当前预定"), "reservedCount");
    addPanelLine(totalsForm, QStringLiteral("当前停用"), "outOfServiceCount");

    QGroupBox* search =
        group(QStringLiteral("快速查找手牌号  快捷键F3"), QStringLiteral("searchGroup"));
    auto* searchLayout = new QVBoxLayout(search);
    m_searchBox = new QLineEdit(search);
    m_searchBox->setObjectName(QStringLiteral("searchBox"));
    m_searchBox->setAccessibleName(search->title());
    searchLayout->addWidget(m_searchBox);
    connect(m_searchBox, &QLineEdit::returnPressed, this, [this] { quickSearch(); });

    layout->addStretch();
    return panel;
}

void TMainFm::buildBoard()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("board"));

    m_roomTabs = new QTabBar(central);
    m_roomTabs->setObjectName(QStringLiteral("roomTabs"));
    m_roomTabs->setExpanding(false);
    m_roomTabs->setDrawBase(true);
    QFont tabFont = m_roomTabs->font();
    tabFont.setBold(true);
    tabFont.setPointSize(tabFont.pointSize() + 6);
    m_roomTabs->setFont(tabFont);

    m_tiles = new QListWidget(central);
    m_tiles->setObjectName(QStringLiteral("tileList"));
    m_tiles->setAccessibleName(QStringLiteral("手牌"));
    m_tiles->setViewMode(QListView::IconMode);
    m_tiles->setIconSize(QSize(64, 64));
    m_tiles->setGridSize(QSize(92, 96));
    m_tiles->setMovement(QListView::Static);
    m_tiles->setResizeMode(QListView::Adjust);
    m_tiles->setWrapping(true);
    m_tiles->setUniformItemSizes(true);
    m_tiles->setLayoutMode(QListView::Batched);
    m_tiles->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tiles->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tiles, &QListWidget::itemSelectionChanged, this, [this] { tileSelected(); });
    connect(m_tiles, &QListWidget::itemDoubleClicked, this, [this] { tileDoubleClicked(); });
    connect(m_tiles, &QListWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        preparePopup();
        m_popup->exec(m_tiles->viewport()->mapToGlobal(at));
    });

    auto* middle = new QHBoxLayout;
    middle->setSpacing(6);
    middle->addWidget(m_tiles, 1);
    middle->addWidget(buildSidePanel());

    auto* buttonBar = new QHBoxLayout;
    auto addButton = [&](const QString& caption, const char* name, bool hidden,
                         std::function<void()> action) {
        auto* b = new QPushButton(caption, central);
        b->setObjectName(QLatin1String(name));
        b->setAccessibleName(caption);
        b->setVisible(!hidden);
        if (action)
            connect(b, &QPushButton::clicked, this, action);
        buttonBar->addWidget(b);
        m_buttons << b;
    };
    addButton(QStringLiteral("打印"), "printButton", false, [this] { printLines(); });
    addButton(QStringLiteral("Excel"), "excelButton", false, [this] { exportLines(); });
    addButton(QStringLiteral("显示可用"), "showFreeButton", true, {});
    addButton(QStringLiteral("显示预定"), "showReservedButton", true, {});
    addButton(QStringLiteral("刷新"), "refreshButton", true, [this] { RefreshSelection(); });
    buttonBar->addStretch();

    m_grid = new DataGrid(m_session.database(), central);
    m_grid->setObjectName(QStringLiteral("linesGrid"));
    m_grid->setAccessibleName(QStringLiteral("消费明细"));
    m_grid->setKindTable(QStringLiteral("手牌消费"));
    m_grid->setKeyColumns({QStringLiteral("ID")});
    // The discount of a line is kept in 折扣; its column is titled as the venue
    // knows it. Amount columns are wide enough for their two decimals.
    m_grid->setColumns({
        GridColumn::plain(QStringLiteral("商品名"), {}, 100),
        GridColumn::plain(QStringLiteral("单价"), {}, 60),
        GridColumn::plain(QStringLiteral("折扣"), QStringLiteral("打折率"), 50),
        GridColumn::plain(QStringLiteral("数量"), {}, 40),
        GridColumn::plain(QStringLiteral("合计"), {}, 70),
        GridColumn::plain(QStringLiteral("消费时间"), {}, 140),
        GridColumn::plain(QStringLiteral("员工编号"), {}, 80),
        GridColumn::plain(QStringLiteral("员工姓名"), {}, 80),
        GridColumn::plain(QStringLiteral("营业员"), {}, 80),
    });
    m_grid->setMinimumHeight(160);

    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_roomTabs);
    layout->addLayout(middle, 3);
    layout->addLayout(buttonBar);
    layout->addWidget(m_grid, 1);
    setCentralWidget(central);

    m_searchShortcut = new QShortcut(QKeySequence(Qt::Key_F3), this);
    m_searchShortcut->setObjectName(QStringLiteral("searchShortcut"));
    connect(m_searchShortcut, &QShortcut::activated, this, &TMainFm::focusSearch);
}

void TMainFm::buildPopup()
{
    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("tilePopup"));
    auto disabledBy = [](Permission permission) {
        Gate gate;
        gate.permission = permission;
        return gate;
    };
    addEntry(m_popup, openBillCaption, disabledBy(Permission::GuestRegistration),
             [this] { openBillScreen(); });
    addEntry(m_popup, consumeCaption, disabledBy(Permission::Consumption),
             [this] { addConsumptionScreen(selectedTag()); });
    addEntry(
        m_popup, checkoutCaption, disabledBy(Permission::CashierCheckout),
        [this] { popupCheckoutCommand(); }, true);
    addEntry(
        m_popup, reserveCaption, Gate{}, [] {}, true);
    addEntry(m_popup, changeStateCaption, Gate{}, [this] {
        if (selectedTag().isEmpty())
            return;
        TSpStatusFm screen(m_session, *this, this);
        runModal(screen);
    });
    addEntry(
        m_popup, cancelCaption, Gate{}, [this] { cancelBillCommand(); }, true);
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
        panel->setAccessibleName(texts[i]);
        panel->setMinimumWidth(widths[i]);
        bar->addWidget(panel);
    }
}

void TMainFm::buildRoomTabs()
{
    fillRoomTabs();
    // Connected once here: rebuilding the tabs later must not add a second reload per change.
    connect(m_roomTabs, &QTabBar::currentChanged, this, [this] { ReloadTags(); });
}

bool TMainFm::fillRoomTabs()
{
    QStringList names;
    try {
        Rows rows = m_session.database().query(QStringLiteral("select 包厢类型 from 包厢类型"));
        while (rows.next())
            names << rows.text(QStringLiteral("包厢类型"));
    } catch (const DatabaseError& error) {
        showDatabaseError(error.text());
        return false;
    }
    const QString active = activeRoomType();
    const QSignalBlocker blocker(m_roomTabs);
    while (m_roomTabs->count() > 0)
        m_roomTabs->removeTab(m_roomTabs->count() - 1);
    for (const QString& name : std::as_const(names))
        m_roomTabs->addTab(name);
    const int kept = names.indexOf(active);
    m_roomTabs->setCurrentIndex(kept >= 0 ? kept : (names.isEmpty() ? -1 : 0));
    return true;
}

void TMainFm::ReloadRoomTypes()
{
    // A failed read keeps the tabs, and the tiles of the tab shown, as they were.
    if (!fillRoomTabs())
        return;
    ReloadTags();
    RecountStates();
}

void TMainFm::showStartingContent()
{
    showClock();
    clearSelectedTagTexts();
    m_searchBox->clear();
    ReloadTags();
    try {
        // At first the grid lists the lines of every open bill.
        m_grid->setQuery(QStringLiteral("select * from 手牌消费"));
    } catch (const DatabaseError& error) {
        showDatabaseError(error.text());
    }
}

// ---------------------------------------------------------------- helpers

bool TMainFm::permitted(Permission permission) const
{
    return m_session.permissions.has(permission);
}

int TMainFm::runModal(QDialog& dialog)
{
    return m_modalRunner ? m_modalRunner(dialog) : dialog.exec();
}

void TMainFm::showDatabaseError(const QString& text)
{
    Prompter::current().error(text);
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

void TMainFm::setOffered(QAction* entry, bool offered)
{
    // A hidden action reads as disabled whatever it is set to, so what the
    // entry offers is kept beside it.
    entry->setProperty("offered", offered);
    entry->setEnabled(offered);
}

bool TMainFm::isOffered(const QAction* entry)
{
    const QVariant offered = entry->property("offered");
    return offered.isValid() ? offered.toBool() : true;
}

QAction* TMainFm::popupAction(const QString& caption) const
{
    for (QAction* entry : m_popupActions) {
        if (entry->text() == caption)
            return entry;
    }
    return nullptr;
}

QPushButton* TMainFm::button(const QString& caption) const
{
    for (QPushButton* b : m_buttons) {
        if (b->text() == caption)
            return b;
    }
    return nullptr;
}

QString TMainFm::panelText(const QString& caption) const
{
    const QLabel* value = m_panel.value(caption);
    return value ? value->text() : QString();
}

std::optional<int> TMainFm::tilePicture(const QString& tag) const
{
    for (int i = 0; i < m_tiles->count(); ++i) {
        const QListWidgetItem* item = m_tiles->item(i);
        if (item->text() == tag)
            return item->data(PictureRole).toInt();
    }
    return std::nullopt;
}

QListWidgetItem* TMainFm::selectedItem() const
{
    const QList<QListWidgetItem*> items = m_tiles->selectedItems();
    return items.isEmpty() ? nullptr : items.first();
}

void TMainFm::setTilePicture(QListWidgetItem* item, int picture)
{
    item->setData(PictureRole, picture);
    item->setIcon(tagIcon(picture));
}

void TMainFm::clearSelectedTagTexts()
{
    for (const char16_t* caption : {u"牌号:", u"当前状态:", u"计费标准:", u"进店时间:",
                                    u"已用时间:", u"已交押金:", u"消费金额:"})
        m_panel.value(QString::fromUtf16(caption))->clear();
}

void TMainFm::showClock()
{
    m_panel.value(QStringLiteral("时间:"))
        ->setText(m_clock().toString(QStringLiteral("yyyy-MM-dd hh:mm")));
}

// ---------------------------------------------------------------- the board

QString TMainFm::selectedTag() const
{
    const QListWidgetItem* item = selectedItem();
    return item ? item->text() : QString();
}

QString TMainFm::shownTag() const
{
    return panelText(QStringLiteral("牌号:"));
}

QString TMainFm::activeRoomType() const
{
    const int index = m_roomTabs->currentIndex();
    return index >= 0 ? m_roomTabs->tabText(index) : QString();
}

void TMainFm::ReloadTags()
{
    const QString room = activeRoomType();
    // Read first: when the statement fails the tiles shown stay as they were.
    QList<QPair<QString, int>> tags;
    if (!room.isEmpty()) {
        try {
            Rows rows = m_session.database().query(
                QStringLiteral("select 手牌号码, 手牌状态 from 手牌管理 where 所属包厢 = ? "
                               "order by number, 手牌号码"),
                {room});
            while (rows.next())
                tags.append({rows.text(QStringLiteral("手牌号码")),
                             tagPicture(rows.text(QStringLiteral("手牌状态")))});
        } catch (const DatabaseError& error) {
            showDatabaseError(error.text());
            return;
        }
    }
    const QSignalBlocker blocker(m_tiles);
    m_tiles->setUpdatesEnabled(false);
    m_tiles->clear();
    for (const auto& [tag, picture] : std::as_const(tags)) {
        auto* item = new QListWidgetItem(tag);
        setTilePicture(item, picture);
        item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
        m_tiles->addItem(item);
    }
    m_tiles->setUpdatesEnabled(true);
}

void TMainFm::recount()
{
    const TagStateCounts counts = countTagStates(m_session.database());
    m_panel.value(QStringLiteral("手牌总数"))->setText(QString::number(counts.total));
    m_panel.value(QStringLiteral("当前占用"))->setText(QString::number(counts.occupied));
    m_panel.value(QStringLiteral("当前空闲"))->setText(QString::number(counts.free));
    m_panel.value(QStringLiteral("当前预定"))->setText(QString::number(counts.reserved));
    m_panel.value(QStringLiteral("当前停用"))->setText(QString::number(counts.outOfService));
}

void TMainFm::refreshSelected()
{
    QListWidgetItem* item = selectedItem();
    if (!item)
        return;
    const std::optional<QString> state = storedTagState(m_session.database(), item->text());
    const std::optional<int> picture = state ? knownTagPicture(*state) : std::nullopt;
    if (!picture)
        return;
    setTilePicture(item, *picture);
    m_panel.value(QStringLiteral("当前状态:"))->setText(*state);
}

void TMainFm::RecountStates()
{
    try {
        recount();
    } catch (const DatabaseError& error) {
        showDatabaseError(error.text());
    }
}

void TMainFm::RefreshSelection()
{
    try {
        recount();
        refreshSelected();
    } catch (const DatabaseError& error) {
        showDatabaseError(error.text());
    }
}

void TMainFm::ShowSelectedLines()
{
    const QListWidgetItem* item = selectedItem();
    if (!item)
        return;
    try {
        if (item->data(PictureRole).toInt() == OccupiedPicture)
            m_grid->setQuery(QStringLiteral("select * from 手牌消费 where 手牌号码 = ?"),
                             {item->text()});
        else
            m_grid->clear();
    } catch (const DatabaseError& error) {
        showDatabaseError(error.text());
    }
}

bool TMainFm::selectTile(const QString& tag)
{
    for (int i = 0; i < m_tiles->count(); ++i) {
        QListWidgetItem* item = m_tiles->item(i);
        if (item->text() != tag)
            continue;
        {
            const QSignalBlocker blocker(m_tiles);
            m_tiles->setCurrentItem(item);
            item->setSelected(true);
        }
        m_tiles->scrollToItem(item);
        tileSelected();
        return true;
    }
    return false;
}

void TMainFm::tileSelected()
{
    const QListWidgetItem* item = selectedItem();
    if (!item)
        return;
    const QString tag = item->text();
    // The number follows the selection before the read: the commands open the
    // tag it shows, and must never open the last guest's bill after a failed
    // read. Only the other texts stay as they were when the read fails.
    m_panel.value(QStringLiteral("牌号:"))->setText(tag);
    TagDetails details;
    try {
        details = readTagDetails(m_session.database(), tag);
    } catch (const DatabaseError& error) {
        showDatabaseError(error.text());
        return;
    }
    ShowSelectedLines();
    auto set = [this](const char16_t* caption, const QString& text) {
        m_panel.value(QString::fromUtf16(caption))->setText(text);
    };
    set(u"计费标准:", QStringLiteral("标准"));
    if (details.hasOpenBill) {
        set(u"当前状态:", QStringLiteral("占用"));
        set(u"进店时间:", dateTimeText(details.entryTime));
        set(u"已用时间:", details.entryTime.isValid()
                              ? elapsedText(details.entryTime.secsTo(m_clock()))
                              : QStringLiteral("0"));
        set(u"已交押金:", details.deposit.toString());
        set(u"消费金额:", details.consumed.toString());
    } else {
        set(u"当前状态:", QStringLiteral("可用"));
        for (const char16_t* caption : {u"进店时间:", u"已用时间:", u"已交押金:", u"消费金额:"})
            set(caption, QStringLiteral("0"));
    }
}

void TMainFm::tileDoubleClicked()
{
    RefreshSelection();
    const QListWidgetItem* item = selectedItem();
    // Without a tile the state text may still describe an earlier one.
    if (!item)
        return;
    m_panel.value(QStringLiteral("牌号:"))->setText(item->text());
    ShowSelectedLines();
    m_tiles->viewport()->update();
    // One screen per double-click, chosen by the state read now: a checkout
    // from the add-consumption screen frees the tag, and a bill must not be
    // opened on it behind the operator's back.
    const QString state = panelText(QStringLiteral("当前状态:"));
    const QString tag = item->text();
    if (state == u"占用") {
        if (permitted(Permission::Consumption))
            addConsumptionScreen(tag);
        else
            Prompter::current().inform(QStringLiteral("没有权限!"));
    } else if (state == u"可用") {
        if (permitted(Permission::GuestRegistration))
            openBillScreen();
        else
            Prompter::current().inform(QStringLiteral("没有权限!"));
    }
}

void TMainFm::preparePopup()
{
    const QListWidgetItem* item = selectedItem();
    const QList<QAction*> entries = m_popupActions;
    if (!item) {
        for (QAction* entry : entries)
            setOffered(entry, false);
        return;
    }
    ShowSelectedLines();
    m_panel.value(QStringLiteral("牌号:"))->setText(item->text());
    try {
        m_panel.value(QStringLiteral("消费金额:"))
            ->setText(consumedAmount(m_session.database(), item->text()).toString());
    } catch (const DatabaseError& error) {
        showDatabaseError(error.text());
    }
    // Which entries a tile's picture offers: 开单, 消费与结帐, 结帐, 预定, 修改状态, 撤单.
    static const bool offered[4][6] = {
        {true, false, false, true, true, false},
        {false, true, true, false, false, true},
        {true, false, false, false, true, false},
        {false, false, false, false, true, false},
    };
    int picture = item->data(PictureRole).toInt();
    if (picture < 0 || picture > 3)
        picture = AvailablePicture;
    for (int i = 0; i < entries.size(); ++i) {
        QAction* entry = entries[i];
        const Gate gate = m_gates.value(entry);
        const bool allowed = !gate.permission || gate.refused || permitted(*gate.permission);
        const bool hasScreen = !m_pending.contains(entry->text());
        setOffered(entry, offered[picture][i] && allowed && hasScreen);
    }
}

bool TMainFm::quickSearch()
{
    const QString wanted = m_searchBox->text();
    if (selectTile(wanted))
        return true;
    Prompter::current().warn(QStringLiteral("没有找到！注意字符大小写！"));
    return false;
}

void TMainFm::focusSearch()
{
    m_searchBox->setFocus(Qt::ShortcutFocusReason);
    m_searchBox->selectAll();
}

void TMainFm::tick()
{
    showClock();
    if (m_session.backendCode() != u"s")
        return;
    try {
        recount();
        refreshSelected();
        m_tickFailing = false;
    } catch (const DatabaseError& error) {
        // A server that went away is reported once, not every three seconds.
        if (!m_tickFailing)
            showDatabaseError(error.text());
        m_tickFailing = true;
    }
}

// ---------------------------------------------------------------- screens

void TMainFm::openBillScreen()
{
    TOpenDanFm screen(m_session, *this, this);
    runModal(screen);
}

void TMainFm::addConsumptionScreen(const QString& tag)
{
    if (tag.isEmpty())
        return;
    // The screen takes its tag from "牌号:"; it is the tag the command checked.
    m_panel.value(QStringLiteral("牌号:"))->setText(tag);
    TAddConsumeFm screen(m_session, *this, this);
    runModal(screen);
    // The screen may have checked the group out; show what is stored now.
    RefreshSelection();
}

void TMainFm::checkoutScreen(const QString& tag)
{
    TCheckOutFm screen(m_session, *this, tag, this);
    runModal(screen);
    RefreshSelection();
}

// ---------------------------------------------------------------- commands

const QListWidgetItem* TMainFm::tileForCommand(int refusedPicture, const QString& refusal,
                                               int wantedPicture) const
{
    const QListWidgetItem* item = selectedItem();
    if (!item) {
        Prompter::current().inform(noTagText);
        return nullptr;
    }
    const int picture = item->data(PictureRole).toInt();
    if (picture == refusedPicture) {
        Prompter::current().inform(refusal);
        return nullptr;
    }
    // Reserved and out-of-service tiles stop without a word.
    return picture == wantedPicture ? item : nullptr;
}

void TMainFm::openBillCommand()
{
    if (tileForCommand(OccupiedPicture, QStringLiteral("请选择一个没被占用的手牌来开单"),
                       AvailablePicture))
        openBillScreen();
}

void TMainFm::addConsumptionCommand()
{
    if (const QListWidgetItem* item = tileForCommand(
            AvailablePicture, QStringLiteral("该手牌还没有开单，无法增加消费！"), OccupiedPicture))
        addConsumptionScreen(item->text());
}

void TMainFm::checkoutCommand()
{
    if (const QListWidgetItem* item = tileForCommand(
            AvailablePicture, QStringLiteral("该手牌还没有开单，无法结帐！"), OccupiedPicture))
        checkoutScreen(item->text());
}

void TMainFm::popupCheckoutCommand()
{
    const std::optional<Money> consumed = Money::parse(panelText(QStringLiteral("消费金额:")));
    if (!consumed || consumed->isZero()) {
        Prompter::current().inform(QStringLiteral("操作失败:消费金额为0,不能结帐."));
        return;
    }
    const QString tag = selectedTag();
    if (tag.isEmpty()) {
        Prompter::current().inform(noTagText);
        return;
    }
    checkoutScreen(tag);
}

void TMainFm::cancelBillCommand()
{
    if (!permitted(Permission::CancelBill)) {
        Prompter::current().inform(
            QStringLiteral("操作失败:您没有撤单权限,请让有此权限的管理员来操作!"));
        return;
    }
    const QString tag = selectedTag();
    if (tag.isEmpty()) {
        Prompter::current().inform(noTagText);
        return;
    }
    QStringList freed;
    try {
        freed = cancelOpenBill(m_session.database(), tag);
    } catch (const DatabaseError& error) {
        showDatabaseError(error.text());
        return;
    }
    RefreshSelection();
    // The other tags of the group are free too; their tiles follow at once.
    for (int i = 0; i < m_tiles->count(); ++i) {
        QListWidgetItem* item = m_tiles->item(i);
        if (freed.contains(item->text()))
            setTilePicture(item, AvailablePicture);
    }
    ShowSelectedLines();
    Prompter::current().inform(QStringLiteral("撤单完毕"));
}

void TMainFm::printLines()
{
    ShowSelectedLines();
    QString statement = m_grid->statement();
    QVariantList parameters = m_grid->parameters();
    if (statement.isEmpty()) {
        statement = QStringLiteral("select * from 手牌消费 where 1 = 0");
        parameters.clear();
    }
    m_previewer(boardReportLayout(), statement, parameters);
}

void TMainFm::exportLines()
{
    ShowSelectedLines();
    QString statement = m_grid->statement();
    QVariantList parameters = m_grid->parameters();
    if (statement.isEmpty()) {
        statement = QStringLiteral("select * from 手牌消费 where 1 = 0");
        parameters.clear();
    }
    SpreadsheetExportOptions options;
    options.name = QStringLiteral("手牌消费");
    options.table = QStringLiteral("手牌消费");
    ExportQueryToSpreadsheet(m_session.database(), statement, parameters, options);
}

void TMainFm::backupCommand()
{
    const QString proposed = m_lastBackupName +
                             QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) +
                             QStringLiteral("备份文件");
    const QString chosen =
        FileChooser::current().saveFileName(this, QStringLiteral("数据备份"), proposed);
    m_lastBackupName = chosen.isEmpty() ? proposed : chosen;
    if (chosen.isEmpty())
        return;
    const DatabaseBackup::Result result = DatabaseBackup::backUp(m_session.database(), chosen);
    switch (result.outcome) {
    case DatabaseBackup::Result::Outcome::Done:
        Prompter::current().inform(QStringLiteral("数据备份成功！\n%1").arg(result.path));
        break;
    case DatabaseBackup::Result::Outcome::NotAvailable:
        Prompter::current().inform(result.problem);
        break;
    case DatabaseBackup::Result::Outcome::Failed:
        Prompter::current().error(QStringLiteral("数据备份失败:%1").arg(result.problem));
        break;
    }
}

void TMainFm::restoreCommand()
{
    Database& db = m_session.database();
    if (db.backend() != Backend::Sqlite) {
        Prompter::current().inform(
            QStringLiteral("服务器上的数据库不能在这里恢复,请在数据库服务器上恢复."));
        return;
    }
    const QString chosen = FileChooser::current().openFileName(this, QStringLiteral("数据恢复"));
    if (chosen.isEmpty())
        return;
    const DatabaseBackup::Result result = DatabaseBackup::restore(db, chosen);
    if (result.done()) {
        Prompter::current().inform(QStringLiteral("数据恢复成功，需要重新启动软件！"));
        terminate();
        return;
    }
    if (!db.isOpen()) {
        // The file could not be put in place; go on with the one that is there.
        db.open(ConnectionDescription::parse(m_session.connectionText()), m_session.homeFolder());
    }
    Prompter::current().error(QStringLiteral("数据恢复失败,数据库没有改变:%1").arg(result.problem));
}

void TMainFm::exitCommand()
{
    TCloseQueryFm dialog(this);
    runModal(dialog);
    switch (dialog.choice()) {
    case TCloseQueryFm::Choice::Exit:
        terminate();
        break;
    case TCloseQueryFm::Choice::BackupAndExit:
        backupAndExit();
        break;
    case TCloseQueryFm::Choice::Cancel:
        break;
    }
}

void TMainFm::backupAndExit()
{
    Database& db = m_session.database();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd HHmmss"));
    QString target;
    const QString file = DatabaseBackup::databaseFile(db);
    if (!file.isEmpty()) {
        const QFileInfo info(file);
        target = info.absoluteDir().filePath(stamp + info.fileName());
    } else {
        target = QDir(m_session.homeFolder())
                     .filePath(stamp + db.connection().databaseName() + QStringLiteral(".dump"));
    }
    const DatabaseBackup::Result result = DatabaseBackup::backUp(db, target);
    if (!result.done()) {
        const QString text =
            QStringLiteral("退出前的数据备份没有完成:%1\n是否仍然退出?").arg(result.problem);
        if (!Prompter::current().ask(text))
            return;
    }
    db.close();
    terminate();
}

void TMainFm::catalogueCommand()
{
    TXmFm screen(m_session, this);
    screen.setModalRunner([this](QDialog& dialog) { return runModal(dialog); });
    runModal(screen);
}

void TMainFm::helpCommand()
{
    // The guide lives beside the program; a copy from the program's own
    // resources is put there when it is missing.
    const QString name = QStringLiteral("help.html");
    QString path = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    if (!QFileInfo::exists(path))
        path = QDir(m_session.homeFolder()).filePath(name);
    if (!QFileInfo::exists(path)) {
        if (!QFile::copy(QStringLiteral(":/help.html"), path)) {
            path = QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
                       .filePath(QStringLiteral("shoupai-help.html"));
            QFile::remove(path);
            QFile::copy(QStringLiteral(":/help.html"), path);
        }
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                        QFile::ReadOther);
    }
    m_urlOpener(QUrl::fromLocalFile(path));
}

void TMainFm::terminate()
{
    m_exiting = true;
    m_timer->stop();
    emit terminationRequested();
    QCoreApplication::quit();
}

void TMainFm::closeEvent(QCloseEvent* event)
{
    // The run ends through the exit command, never through the window frame.
    if (m_exiting)
        event->accept();
    else
        event->ignore();
}

void TMainFm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Shown by the program (not restored by the desktop): with the reader flag
    // set at login, the card reader is opened.
    if (!event->spontaneous() && m_session.icReaderEnabled)
        IcInit();
}

} // namespace shoupai
