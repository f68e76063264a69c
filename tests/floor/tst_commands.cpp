#include "FloorFixture.h"
#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "common/SpreadsheetExport.h"
#include "floor/AboutUt.h"
#include "floor/BoardReport.h"
#include "floor/CloseQueryUt.h"
#include "floor/SysInfoUt.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QUrl>

using namespace shoupai;
using namespace shoupai::test;

namespace {

QStringList captions(const QList<QAction*>& actions)
{
    QStringList texts;
    for (const QAction* a : actions) {
        if (!a->isSeparator())
            texts << a->text();
    }
    return texts;
}

QMenu* menuOf(TMainFm& main, const QString& caption)
{
    return main.menuBar()->findChild<QMenu*>(caption);
}

// Plays the button of the exit dialog with the given caption.
int pressButton(QDialog& dialog, const QString& caption)
{
    for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
        if (b->text() == caption) {
            b->click();
            return dialog.result();
        }
    }
    return -1;
}

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT
private slots:
    void menusToolbarAndButtonsInOrder();
    void eachGateForAnOperatorWithoutTheFlag();
    void openConsumeAndCheckoutChecks();
    void reminderAboutAndShopInformation();
    void closingAndExitDialog();
    void helpOpensTheGuide();
    void cancellationFromThePopup();
    void printAndExportTheLines();
};

void TestCommands::menusToolbarAndButtonsInOrder()
{
    Venue venue;
    ScriptedPrompter prompter;
    TMainFm main(venue.session());
    QCOMPARE(captions(main.menuBar()->actions()),
             (QStringList{"查询统计", "系统管理", "库存管理", "会员管理", "员工管理", "系统维护",
                          "帮助"}));
    QVERIFY(!main.action(QStringLiteral("库存管理"))->isVisible());
    QCOMPARE(captions(menuOf(main, "查询统计")->actions()),
             (QStringList{"当前消费查询", "营业额查询", "帐单查询", "账单消费明细查询",
                          "营业项目统计", "进货记录统计", "营业图表"}));
    QCOMPARE(captions(menuOf(main, "系统管理")->actions()),
             (QStringList{"商品项目管理", "商品类型设置", "手牌与包厢设置"}));
    QCOMPARE(captions(menuOf(main, "会员管理")->actions()),
             (QStringList{"会员信息管理", "会员类型管理", "会员消费查询", "充值记录统计"}));
    QCOMPARE(
        captions(menuOf(main, "员工管理")->actions()),
        (QStringList{"员工信息管理", "员工等级设置", "员工提成统计", "员工提成明细", "工资记录"}));
    QCOMPARE(captions(menuOf(main, "系统维护")->actions()),
             (QStringList{"管理员设置", "管理密码修改", "会员密码修改", "数据备份", "数据恢复",
                          "IC卡设备设置", "系统信息设置", "EXCEL导入", "POS打印机设置",
                          "数据库设置", "数据初始化"}));
    QCOMPARE(captions(menuOf(main, "帮助")->actions()), (QStringList{"帮助", "关于"}));
    QCOMPARE(
        captions(main.findChild<QToolBar*>("mainToolBar")->actions()),
        (QStringList{"开单", "消费与结帐", "xxx", "商品项目", "会员管理", "系统提示", "退出系统"}));
    QCOMPARE(captions(main.tilePopup()->actions()),
             (QStringList{"开    单", "消费与结帐", "结    帐", "预    定", "修改状态", "撤单"}));

    for (const char* hidden : {"营业额查询", "IC卡设备设置", "xxx"})
        QVERIFY2(!main.action(QString::fromUtf8(hidden))->isVisible(), hidden);
    for (const char* hidden : {"显示可用", "显示预定", "刷新"}) {
        QVERIFY(main.button(QString::fromUtf8(hidden)));
        QVERIFY(main.button(QString::fromUtf8(hidden))->isHidden());
    }
    QVERIFY(!main.button(QStringLiteral("打印"))->isHidden());
    QVERIFY(!main.button(QStringLiteral("Excel"))->isHidden());

    // The grid's columns, and the three panels of the status bar.
    QCOMPARE(main.linesGrid()->model()->columnSpecs().size(), 9);
    QCOMPARE(main.linesGrid()->model()->columnSpecs().first().title(), QStringLiteral("商品名"));
    QCOMPARE(main.linesGrid()->model()->columnSpecs().at(2).title(), QStringLiteral("打折率"));
    QCOMPARE(main.findChild<QLabel*>("companyPanel")->text(), QStringLiteral("测试公司"));
    QCOMPARE(main.findChild<QLabel*>("webPanel")->text(), QStringLiteral("www.example.cn"));
    QCOMPARE(main.findChild<QLabel*>("telPanel")->text(), QStringLiteral("010-1234"));
    QCOMPARE(main.findChild<QWidget*>("sidePanel")->width(), 245);

    // Every entry has its screen: none waits disabled.
    const QStringList pending = main.pendingEntries();
    QVERIFY2(pending.isEmpty(), qPrintable(pending.join(u',')));
    for (const char* caption : {"帐单查询", "当前消费查询", "营业图表", "数据备份", "数据恢复", "系统信息设置", "POS打印机设置",
                                "帮助", "关于", "开单", "系统提示", "退出系统", "员工信息管理", "员工等级设置",
                                "员工提成统计", "员工提成明细", "工资记录", "手牌与包厢设置", "修改状态", "进货记录统计",
                                "商品项目管理", "商品类型设置", "商品项目", "IC卡设备设置", "会员信息管理",
                                "会员类型管理", "充值记录统计", "会员密码修改", "会员管理", "EXCEL导入"})
        QVERIFY2(!pending.contains(QString::fromUtf8(caption)), caption);

    ScreenRecorder screens(main);
    main.action(QStringLiteral("帐单查询"))->trigger();
    QCOMPARE(screens.opened(), QStringList{QStringLiteral("TCxJzJlFm")});

    // The administration entries open their screens.
    screens.clear();
    const QStringList administration{"管理员设置", "管理密码修改", "数据库设置", "数据初始化"};
    for (const QString& caption : administration) {
        QVERIFY2(!pending.contains(caption), qPrintable(caption));
        main.action(caption)->trigger();
    }
    QCOMPARE(screens.opened(),
             (QStringList{"TAdminFm", "TAdminChangePassFm", "TSetDataFm", "TDataClearFm"}));
    QCOMPARE(prompter.shown().size(), 0);
}

void TestCommands::eachGateForAnOperatorWithoutTheFlag()
{
    struct Case
    {
        Permission withheld;
        QStringList disabled;
    };
    const QList<Case> cases = {
        {Permission::CashierCheckout, {"xxx"}},
        {Permission::Consumption, {"消费与结帐"}},
        {Permission::GuestRegistration, {"开单"}},
        {Permission::BusinessQueries, {"查询统计"}},
        {Permission::Administration, {"系统信息设置", "管理员设置", "数据库设置"}},
        {Permission::Backup, {"数据备份"}},
        {Permission::Restore, {"数据恢复"}},
        {Permission::DataClearing, {"数据初始化"}},
    };
    {
        Venue venue;
        ScriptedPrompter prompter;
        TMainFm main(venue.session());
        for (const Case& c : cases) {
            for (const QString& caption : c.disabled)
                QVERIFY2(TMainFm::isOffered(main.action(caption)), qPrintable(caption));
        }
        ScreenRecorder screens(main);
        main.action(QStringLiteral("POS打印机设置"))->trigger();
        main.action(QStringLiteral("系统信息设置"))->trigger();
        QCOMPARE(screens.opened(), (QStringList{"TPosPrtSetFm", "TSysInfoFm"}));
    }
    for (const Case& c : cases) {
        Venue venue(allBut({c.withheld}));
        ScriptedPrompter prompter;
        TMainFm main(venue.session());
        for (const QString& caption : c.disabled) {
            QVERIFY2(!TMainFm::isOffered(main.action(caption)), qPrintable(caption));
            QVERIFY2(!main.action(caption)->isEnabled(), qPrintable(caption));
        }
        // Nothing else is taken away.
        for (const char* other :
             {"开单", "消费与结帐", "数据备份", "数据恢复", "系统信息设置", "帮助"}) {
            if (!c.disabled.contains(QString::fromUtf8(other)))
                QVERIFY2(TMainFm::isOffered(main.action(QString::fromUtf8(other))), other);
        }
    }
    {
        // Refused: the entry stays enabled and answers with the message.
        Venue venue(allBut({Permission::Administration, Permission::CancelBill}));
        openBill(venue.db(), QStringLiteral("A03"), QStringLiteral("A03"));
        ScriptedPrompter prompter;
        TMainFm main(venue.session());
        ScreenRecorder screens(main);
        QVERIFY(main.action(QStringLiteral("POS打印机设置"))->isEnabled());
        main.action(QStringLiteral("POS打印机设置"))->trigger();
        QCOMPARE(prompter.lastText(), QStringLiteral("操作失败:没有权限!"));
        QVERIFY(!main.action(QStringLiteral("管理员设置"))->isEnabled());
        QVERIFY(!main.action(QStringLiteral("数据库设置"))->isEnabled());

        QVERIFY(main.selectTile(QStringLiteral("A03")));
        main.preparePopup();
        QVERIFY(TMainFm::isOffered(main.popupAction(QStringLiteral("撤单"))));
        main.cancelBillCommand();
        QCOMPARE(prompter.lastText(),
                 QStringLiteral("操作失败:您没有撤单权限,请让有此权限的管理员来操作!"));
        QCOMPARE(countRows(venue.db(), "select count(*) from 手牌开单"), 1);
        QCOMPARE(screens.opened(), QStringList());
    }
}

void TestCommands::openConsumeAndCheckoutChecks()
{
    Venue venue;
    openBill(venue.db(), QStringLiteral("A03"), QStringLiteral("A03"));
    setTagState(venue.db(), QStringLiteral("A04"), QStringLiteral("预定"));
    ScriptedPrompter prompter;
    TMainFm main(venue.session());
    ScreenRecorder screens(main);
    QAction* open = main.action(QStringLiteral("开单"));
    QAction* consume = main.action(QStringLiteral("消费与结帐"));

    open->trigger();
    QCOMPARE(prompter.lastText(), QStringLiteral("没有选手牌号！"));
    consume->trigger();
    QCOMPARE(prompter.lastText(), QStringLiteral("没有选手牌号！"));
    main.checkoutCommand();
    QCOMPARE(prompter.lastText(), QStringLiteral("没有选手牌号！"));
    QCOMPARE(prompter.shown().size(), 3);

    QVERIFY(main.selectTile(QStringLiteral("A03")));
    open->trigger();
    QCOMPARE(prompter.lastText(), QStringLiteral("请选择一个没被占用的手牌来开单"));
    consume->trigger();
    main.checkoutCommand();
    QCOMPARE(screens.opened(), (QStringList{"TAddConsumeFm", "TCheckOutFm"}));

    screens.clear();
    prompter.clear();
    QVERIFY(main.selectTile(QStringLiteral("A01")));
    consume->trigger();
    QCOMPARE(prompter.lastText(), QStringLiteral("该手牌还没有开单，无法增加消费！"));
    main.checkoutCommand();
    QCOMPARE(prompter.lastText(), QStringLiteral("该手牌还没有开单，无法结帐！"));
    open->trigger();
    QCOMPARE(screens.opened(), QStringList{QStringLiteral("TOpenDanFm")});

    // Reserved and out-of-service tiles: no message, no screen.
    screens.clear();
    prompter.clear();
    for (const char* tag : {"A04", "A15"}) {
        QVERIFY(main.selectTile(QString::fromLatin1(tag)));
        open->trigger();
        consume->trigger();
        main.checkoutCommand();
    }
    QCOMPARE(prompter.shown().size(), 0);
    QCOMPARE(screens.opened(), QStringList());

    // The popup's checkout looks at the amount consumed.
    QVERIFY(main.selectTile(QStringLiteral("A03")));
    main.preparePopup();
    main.popupCheckoutCommand();
    QCOMPARE(prompter.lastText(), QStringLiteral("操作失败:消费金额为0,不能结帐."));
    addLine(venue.db(), QStringLiteral("A03"), QStringLiteral("A03"), QStringLiteral("可乐"), 1,
            Money::fromUnits(5));
    main.preparePopup();
    main.popupCheckoutCommand();
    QCOMPARE(screens.opened(), QStringList{QStringLiteral("TCheckOutFm")});
    main.popupAction(QStringLiteral("消费与结帐"))->trigger();
    QCOMPARE(screens.opened().last(), QStringLiteral("TAddConsumeFm"));
}

void TestCommands::reminderAboutAndShopInformation()
{
    Venue venue;
    ScriptedPrompter prompter;
    TMainFm main(venue.session());
    main.action(QStringLiteral("系统提示"))->trigger();
    QCOMPARE(prompter.lastText(), QStringLiteral("为了您的数据安全 请注意备份您的数据！"));

    {
        TAboutFm about(venue.session());
        QCOMPARE(about.windowTitle(), QStringLiteral("关于"));
        QCOMPARE(about.findChild<QLabel*>("softnameLabel")->text(), QStringLiteral("测试浴场"));
        QVERIFY(about.findChild<QLabel*>("softnameLabel")->font().bold());
        QCOMPARE(about.findChild<QLabel*>("memoLabel")->text(), QStringLiteral("说明"));
        QCOMPARE(about.findChild<QLabel*>("telLabel")->text(), QStringLiteral("010-1234"));
        QCOMPARE(about.findChild<QLabel*>("companyLabel")->text(), QStringLiteral("测试公司"));
        QCOMPARE(about.findChild<QLabel*>("databaseLabel")->text(),
                 testBackend() == Backend::Postgres ? QStringLiteral("数据库:PostgreSQL")
                                                    : QStringLiteral("数据库:SQLite"));
        QVERIFY(!(about.windowFlags() & Qt::WindowCloseButtonHint));
    }

    TSysInfoFm info(venue.session());
    QCOMPARE(info.windowTitle(), QStringLiteral("系统信息设置"));
    QVERIFY(!info.nameBox()->text().isEmpty());
    const QString storedName = info.nameBox()->text();
    info.telBox()->clear();
    info.addressBox()->clear();
    QVERIFY(!info.save());
    QCOMPARE(prompter.lastText(), QStringLiteral("必须认真填写完整！"));
    QCOMPARE(venue.db().scalar("select tel from sysinfo").toString().isEmpty(), false);
    info.nameBox()->setText(QStringLiteral("新店"));
    info.telBox()->setText(QStringLiteral("88"));
    info.addressBox()->setText(QStringLiteral("长街1号"));
    QVERIFY(info.save());
    QCOMPARE(prompter.lastText(), QStringLiteral("重启软件后生效！"));
    QCOMPARE(venue.db().scalar("select name from sysinfo").toString(), QStringLiteral("新店"));
    QCOMPARE(countRows(venue.db(), "select count(*) from sysinfo"), 1);
    // The session's texts change only at the next start.
    QVERIFY(venue.session().shopName != u"新店");

    // An empty table gets its row.
    venue.db().exec("delete from sysinfo");
    TSysInfoFm fresh(venue.session());
    QCOMPARE(fresh.nameBox()->text(), QString());
    fresh.nameBox()->setText(QStringLiteral("甲"));
    fresh.telBox()->setText(QStringLiteral("1"));
    fresh.addressBox()->setText(QStringLiteral("乙"));
    QVERIFY(fresh.save());
    QCOMPARE(countRows(venue.db(), "select count(*) from sysinfo"), 1);
    Q_UNUSED(storedName);
}

void TestCommands::closingAndExitDialog()
{
    Venue venue;
    ScriptedPrompter prompter;
    TMainFm main(venue.session());
    main.show();
    QVERIFY(!main.close());
    QVERIFY(main.isVisible());

    QSignalSpy terminated(&main, &TMainFm::terminationRequested);
    ScreenRecorder screens(main);
    QStringList buttons;
    screens.onShow([&buttons](QDialog& dialog) {
        buttons.clear();
        for (QPushButton* b : dialog.findChildren<QPushButton*>())
            buttons << b->text();
        return pressButton(dialog, QStringLiteral("取消"));
    });
    main.action(QStringLiteral("退出系统"))->trigger();
    QCOMPARE(screens.opened(), QStringList{QStringLiteral("TCloseQueryFm")});
    QCOMPARE(buttons, (QStringList{"直接退出", "备份退出(单机版)", "取消"}));
    QCOMPARE(terminated.count(), 0);
    QVERIFY(!main.isTerminating());
    {
        TCloseQueryFm dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("是否退出?"));
    }

    screens.onShow([](QDialog& dialog) { return pressButton(dialog, QStringLiteral("直接退出")); });
    main.exitCommand();
    QCOMPARE(terminated.count(), 1);
    QVERIFY(main.isTerminating());
    QVERIFY(main.close());
    QCOMPARE(prompter.shown().size(), 0);
}

void TestCommands::helpOpensTheGuide()
{
    Venue venue;
    ScriptedPrompter prompter;
    TMainFm main(venue.session());
    QList<QUrl> opened;
    main.setUrlOpener([&opened](const QUrl& url) {
        opened << url;
        return false; // no viewer: nothing is reported
    });
    main.action(QStringLiteral("帮助"))->trigger();
    QCOMPARE(opened.size(), 1);
    QVERIFY(opened.first().isLocalFile());
    QFile guide(opened.first().toLocalFile());
    QVERIFY(guide.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(guide.readAll());
    QVERIFY(text.contains(QStringLiteral("操作说明")));
    QVERIFY(text.contains(QStringLiteral("数据备份")));
    QCOMPARE(prompter.shown().size(), 0);

    ScreenRecorder screens(main);
    main.action(QStringLiteral("关于"))->trigger();
    QCOMPARE(screens.opened(), QStringList{QStringLiteral("TAboutFm")});
}

void TestCommands::cancellationFromThePopup()
{
    Venue venue;
    Database& db = venue.db();
    for (const char* tag : {"A01", "A02", "A03"}) {
        openBill(db, QString::fromLatin1(tag), QStringLiteral("A01"));
        addLine(db, QString::fromLatin1(tag), QStringLiteral("A01"), QStringLiteral("可乐"), 1,
                Money::fromUnits(5));
    }
    openBill(db, QStringLiteral("A09"), QStringLiteral("A09"));
    ScriptedPrompter prompter;
    TMainFm main(venue.session());
    QVERIFY(main.selectTile(QStringLiteral("A01")));
    main.preparePopup();
    main.cancelBillCommand();
    QCOMPARE(prompter.lastText(), QStringLiteral("撤单完毕"));
    for (const char* tag : {"A01", "A02", "A03"})
        QCOMPARE(main.tilePicture(QString::fromLatin1(tag)), 0);
    QCOMPARE(main.tilePicture(QStringLiteral("A09")), 1);
    QCOMPARE(main.panelText(QStringLiteral("当前状态:")), QStringLiteral("可用"));
    QCOMPARE(main.panelText(QStringLiteral("当前占用")), QStringLiteral("1"));
    QCOMPARE(countRows(db, "select count(*) from 手牌消费"), 0);
    QCOMPARE(countRows(db, "select count(*) from 手牌开单"), 1);
    QCOMPARE(main.linesGrid()->recordCount(), 0);
}

void TestCommands::printAndExportTheLines()
{
    const ReportLayout layout = boardReportLayout();
    QStringList fields, headings;
    for (const ReportColumn& column : layout.columns) {
        fields << column.field;
        headings << column.caption;
    }
    QCOMPARE(fields, (QStringList{"手牌号码", "商品名", "单价", "数量", "折扣", "合计", "员工姓名",
                                  "营业员"}));
    QCOMPARE(headings,
             (QStringList{"手牌号码", "商品名", "单价", "数量", "折", "合计", "服务生", "营业员"}));
    QCOMPARE(layout.summary.size(), 1);
    const QList<ReportItem>& items = layout.summary.first().items;
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0].kind, ReportItem::Kind::Sum);
    QCOMPARE(items[0].text, QStringLiteral("数量:"));
    QCOMPARE(items[0].field, QStringLiteral("数量"));
    QCOMPARE(items[1].text, QStringLiteral("合计:"));
    QCOMPARE(items[1].field, QStringLiteral("合计"));
    QCOMPARE(items[1].suffix, QStringLiteral("元"));
    const QString printedTexts = (layout.titles + layout.headings + layout.footers).join(u' ');
    QVERIFY(printedTexts.contains(QStringLiteral("[DATE]")));
    QVERIFY(printedTexts.contains(QStringLiteral("[TIME]")));

    Venue venue;
    openBill(venue.db(), QStringLiteral("A03"), QStringLiteral("A03"));
    addLine(venue.db(), QStringLiteral("A03"), QStringLiteral("A03"), QStringLiteral("可乐"), 2,
            Money::fromUnits(5));
    addLine(venue.db(), QStringLiteral("A05"), QStringLiteral("A05"), QStringLiteral("茶"), 1,
            Money::fromUnits(8));
    ScriptedPrompter prompter;
    TMainFm main(venue.session());
    QCOMPARE(main.linesGrid()->recordCount(), 2); // every open line at first
    QTemporaryDir folder;
    ScriptedSpreadsheetDesktop desktop(folder.path());
    QVERIFY(main.selectTile(QStringLiteral("A03")));
    main.button(QStringLiteral("Excel"))->click();
    QCOMPARE(desktop.opened().size(), 1);
    QVERIFY(QFileInfo(desktop.opened().first()).size() > 0);
    QCOMPARE(main.linesGrid()->recordCount(), 1);
    QString printed;
    QVariantList printedValues;
    main.setReportPreviewer(
        [&](const ReportLayout& shown, const QString& statement, const QVariantList& values) {
            QCOMPARE(shown.columns.size(), layout.columns.size());
            printed = statement;
            printedValues = values;
        });
    main.button(QStringLiteral("打印"))->click();
    QCOMPARE(printedValues, QVariantList{QStringLiteral("A03")});
    auto check = venue.storage().openAnother();
    QCOMPARE(check->query(printed, printedValues).columnCount() > 8, true);
    // A free tile prints an empty list, never every open line.
    QVERIFY(main.selectTile(QStringLiteral("A01")));
    main.button(QStringLiteral("打印"))->click();
    Rows none = check->query(printed, printedValues);
    QVERIFY(!none.next());
    QCOMPARE(prompter.shown().size(), 0);
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
