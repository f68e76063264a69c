#include "AccessibleText.h"
#include "FloorFixture.h"
#include "billing/AddConsumeUt.h"
#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "floor/TagState.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace shoupai;
using namespace shoupai::test;

namespace {

QStringList tileTexts(const TMainFm& main)
{
    QStringList texts;
    for (int i = 0; i < main.tileList()->count(); ++i)
        texts << main.tileList()->item(i)->text();
    return texts;
}

QStringList tabTexts(const TMainFm& main)
{
    QStringList texts;
    for (int i = 0; i < main.roomTabs()->count(); ++i)
        texts << main.roomTabs()->tabText(i);
    return texts;
}

QMap<QString, bool> popupState(TMainFm& main)
{
    main.preparePopup();
    QMap<QString, bool> state;
    for (const char16_t* caption :
         {u"开    单", u"消费与结帐", u"结    帐", u"预    定", u"修改状态", u"撤单"})
        state[QString::fromUtf16(caption)] =
            TMainFm::isOffered(main.popupAction(QString::fromUtf16(caption)));
    return state;
}

} // namespace

class TestBoard : public QObject
{
    Q_OBJECT
private slots:
    void tabsTilesAndPictures();
    void countsCoverAllRoomsInOneGroupedRead();
    void selectionTexts();
    void elapsedTimeRunsPastOneDay();
    void quickSearchIsExactAndStaysOnTheTab();
    void popupEnablingByStateAndPermission();
    void doubleClickHonoursGatesAndOpensOneScreen();
    void timerFollowsTheServerOnly();
    void mouseClickAndDoubleClick();
    void failingStatementKeepsTheBoard();
    void failedReadStillOpensTheSelectedTag();
    void roomTypesReloadInPlace();
    void screenReadersHearValuesNamedByCaptions();
};

void TestBoard::tabsTilesAndPictures()
{
    Venue venue;
    setTagState(venue.db(), QStringLiteral("A02"), QStringLiteral("维修中"));
    setTagState(venue.db(), QStringLiteral("A03"), QStringLiteral("占用"));
    ScriptedPrompter prompter;
    TMainFm main(venue.session());

    QCOMPARE(main.roomTabs()->count(), 3);
    QCOMPARE(main.roomTabs()->tabText(0), QStringLiteral("大厅"));
    QCOMPARE(main.roomTabs()->tabText(1), QStringLiteral("贵宾房"));
    QCOMPARE(main.roomTabs()->tabText(2), QStringLiteral("休息厅"));
    QVERIFY(main.roomTabs()->font().bold());
    QCOMPARE(main.activeRoomType(), QStringLiteral("大厅"));

    QCOMPARE(main.tileList()->count(), 15);
    QCOMPARE(tileTexts(main).first(), QStringLiteral("A01"));
    QCOMPARE(main.tileList()->viewMode(), QListView::IconMode);
    QCOMPARE(main.tileList()->iconSize(), QSize(64, 64));
    QCOMPARE(main.tilePicture(QStringLiteral("A01")), 0);
    QCOMPARE(main.tilePicture(QStringLiteral("A02")), 0); // an unknown state shows as available
    QCOMPARE(main.tilePicture(QStringLiteral("A03")), 1);
    QCOMPARE(main.tilePicture(QStringLiteral("A15")), 3);
    for (int picture = 0; picture < 4; ++picture)
        QVERIFY(!tagIcon(picture).pixmap(64, 64).isNull());

    // Changing the tab rebuilds the tiles; the selection is lost, the panel keeps its texts.
    QVERIFY(main.selectTile(QStringLiteral("A01")));
    main.roomTabs()->setCurrentIndex(1);
    QCOMPARE(main.activeRoomType(), QStringLiteral("贵宾房"));
    QCOMPARE(main.tileList()->count(), 10);
    QCOMPARE(main.tilePicture(QStringLiteral("V10")), 2);
    QVERIFY(!main.tilePicture(QStringLiteral("A01")));
    QCOMPARE(main.selectedTag(), QString());
    QCOMPARE(main.shownTag(), QStringLiteral("A01"));

    // Another workstation's change reaches the tiles on the next reload only.
    setTagState(venue.db(), QStringLiteral("V01"), QStringLiteral("停用"));
    QCOMPARE(main.tilePicture(QStringLiteral("V01")), 0);
    main.ReloadTags();
    QCOMPARE(main.tilePicture(QStringLiteral("V01")), 3);
    QCOMPARE(prompter.shown().size(), 0);
}

void TestBoard::countsCoverAllRoomsInOneGroupedRead()
{
    Venue venue;
    ScriptedPrompter prompter;
    TMainFm main(venue.session());
    QCOMPARE(main.panelText(QStringLiteral("手牌总数")), QStringLiteral("30"));
    QCOMPARE(main.panelText(QStringLiteral("当前占用")), QStringLiteral("0"));
    QCOMPARE(main.panelText(QStringLiteral("当前空闲")), QStringLiteral("28"));
    QCOMPARE(main.panelText(QStringLiteral("当前预定")), QStringLiteral("1"));
    QCOMPARE(main.panelText(QStringLiteral("当前停用")), QStringLiteral("1"));

    setTagState(venue.db(), QStringLiteral("A02"), QStringLiteral("维修中"));
    setTagState(venue.db(), QStringLiteral("V03"), QStringLiteral("占用"));
    setTagState(venue.db(), QStringLiteral("S01"), QStringLiteral("占用"));
    venue.db().exec(QStringLiteral("update 手牌管理 set 手牌状态 = null where 手牌号码 = ?"),
                    {QStringLiteral("S02")});
    main.RecountStates();
    // States outside the four count in the total only.
    QCOMPARE(main.panelText(QStringLiteral("手牌总数")), QStringLiteral("30"));
    QCOMPARE(main.panelText(QStringLiteral("当前占用")), QStringLiteral("2"));
    QCOMPARE(main.panelText(QStringLiteral("当前空闲")), QStringLiteral("24"));
    QCOMPARE(main.panelText(QStringLiteral("当前预定")), QStringLiteral("1"));
    QCOMPARE(main.panelText(QStringLiteral("当前停用")), QStringLiteral("1"));
}

void TestBoard::selectionTexts()
{
    Venue venue;
    const QDateTime now(QDate(2026, 3, 1), QTime(15, 0, 0));
    openBill(venue.db(), QStringLiteral("A03"), QStringLiteral("A03"), now.addSecs(-3600),
             Money::fromUnits(100));
    ScriptedPrompter prompter;
    TMainFm main(venue.session());
    main.setClock([now] { return now; });

    // An open bill without lines.
    QVERIFY(main.selectTile(QStringLiteral("A03")));
    QCOMPARE(main.shownTag(), QStringLiteral("A03"));
    QCOMPARE(main.panelText(QStringLiteral("当前状态:")), QStringLiteral("占用"));
    QCOMPARE(main.panelText(QStringLiteral("计费标准:")), QStringLiteral("标准"));
    QCOMPARE(main.panelText(QStringLiteral("进店时间:")), QStringLiteral("2026-03-01 14:00:00"));
    QCOMPARE(main.panelText(QStringLiteral("已用时间:")), QStringLiteral("01:00:00"));
    QCOMPARE(main.panelText(QStringLiteral("已交押金:")), QStringLiteral("100"));
    QCOMPARE(main.panelText(QStringLiteral("消费金额:")), QStringLiteral("0"));
    QCOMPARE(main.linesGrid()->recordCount(), 0);

    addLine(venue.db(), QStringLiteral("A03"), QStringLiteral("A03"), QStringLiteral("可乐"), 2,
            Money::fromUnits(30));
    addLine(venue.db(), QStringLiteral("A03"), QStringLiteral("A03"), QStringLiteral("花生"), 1,
            *Money::parse(u"15.5"));
    addLine(venue.db(), QStringLiteral("A04"), QStringLiteral("A04"), QStringLiteral("茶"), 1,
            Money::fromUnits(8));
    QVERIFY(main.selectTile(QStringLiteral("A03")));
    QCOMPARE(main.panelText(QStringLiteral("消费金额:")), QStringLiteral("75.5"));
    QCOMPARE(main.linesGrid()->recordCount(), 2);

    // A free tile: zeros, and the grid empties.
    QVERIFY(main.selectTile(QStringLiteral("A01")));
    QCOMPARE(main.panelText(QStringLiteral("当前状态:")), QStringLiteral("可用"));
    for (const char16_t* caption : {u"进店时间:", u"已用时间:", u"已交押金:", u"消费金额:"})
        QCOMPARE(main.panelText(QString::fromUtf16(caption)), QStringLiteral("0"));
    QCOMPARE(main.linesGrid()->recordCount(), 0);

    // A reserved tile reads "可用" on a click and its stored state after a refresh.
    main.roomTabs()->setCurrentIndex(1);
    QVERIFY(main.selectTile(QStringLiteral("V10")));
    QCOMPARE(main.panelText(QStringLiteral("当前状态:")), QStringLiteral("可用"));
    main.RefreshSelection();
    QCOMPARE(main.panelText(QStringLiteral("当前状态:")), QStringLiteral("预定"));
    QCOMPARE(main.tilePicture(QStringLiteral("V10")), 2);

    // A refresh re-reads the selected tile only.
    setTagState(venue.db(), QStringLiteral("V10"), QStringLiteral("停用"));
    setTagState(venue.db(), QStringLiteral("V01"), QStringLiteral("停用"));
    main.RefreshSelection();
    QCOMPARE(main.tilePicture(QStringLiteral("V10")), 3);
    QCOMPARE(main.tilePicture(QStringLiteral("V01")), 0);
    QCOMPARE(main.panelText(QStringLiteral("当前停用")), QStringLiteral("3"));
    // A value outside the four leaves the tile and the text alone.
    setTagState(venue.db(), QStringLiteral("V10"), QStringLiteral("维修中"));
    main.RefreshSelection();
    QCOMPARE(main.tilePicture(QStringLiteral("V10")), 3);
    QCOMPARE(main.panelText(QStringLiteral("当前状态:")), QStringLiteral("停用"));
    QCOMPARE(prompter.shown().size(), 0);
}

void TestBoard::elapsedTimeRunsPastOneDay()
{
    QCOMPARE(elapsedText(0), QStringLiteral("00:00:00"));
    QCOMPARE(elapsedText(25 * 3600 + 10 * 60), QStringLiteral("25:10:00"));
    QCOMPARE(elapsedText(100 * 3600 + 59), QStringLiteral("100:00:59"));
    QCOMPARE(elapsedText(-5), QStringLiteral("00:00:00"));

    Venue venue;
    const QDateTime entered(QDate(2026, 1, 30), QTime(23, 30, 0));
    openBill(venue.db(), QStringLiteral("A05"), QStringLiteral("A05"), entered);
    ScriptedPrompter prompter;
    TMainFm main(venue.session());
    QDateTime now(QDate(2026, 1, 31), QTime(0, 30, 0));
    main.setClock([&now] { return now; });
    QVERIFY(main.selectTile(QStringLiteral("A05")));
    QCOMPARE(main.panelText(QStringLiteral("已用时间:")), QStringLiteral("01:00:00"));
    now = now.addSecs(24 * 3600 + 10 * 60);
    QVERIFY(main.selectTile(QStringLiteral("A05")));
    QCOMPARE(main.panelText(QStringLiteral("已用时间:")), QStringLiteral("25:10:00"));
}

void TestBoard::quickSearchIsExactAndStaysOnTheTab()
{
    Venue venue;
    ScriptedPrompter prompter;
    TMainFm main(venue.session());
    QCOMPARE(main.searchBox()->text(), QString());

    main.searchBox()->setText(QStringLiteral("a01"));
    QVERIFY(!main.quickSearch());
    QCOMPARE(prompter.lastText(), QStringLiteral("没有找到！注意字符大小写！"));
    QCOMPARE(prompter.shown().last().kind, Prompter::Kind::Warning);
    QCOMPARE(main.selectedTag(), QString());

    main.searchBox()->setText(QStringLiteral("V01")); // on another tab
    QVERIFY(!main.quickSearch());
    QCOMPARE(prompter.shown().size(), 2);

    main.searchBox()->setText(QStringLiteral("A07"));
    QTest::keyClick(main.searchBox(), Qt::Key_Return);
    QCOMPARE(main.selectedTag(), QStringLiteral("A07"));
    QCOMPARE(main.shownTag(), QStringLiteral("A07"));
    QCOMPARE(main.panelText(QStringLiteral("当前状态:")), QStringLiteral("可用"));
    QCOMPARE(prompter.shown().size(), 2);

    // F3 takes the operator to the search box.
    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    main.tileList()->setFocus();
    QCOMPARE(main.searchShortcut()->key(), QKeySequence(Qt::Key_F3));
    QTest::keyClick(&main, Qt::Key_F3);
    QTRY_VERIFY(main.searchBox()->hasFocus());
}

void TestBoard::popupEnablingByStateAndPermission()
{
    using State = QMap<QString, bool>;
    auto expect = [](bool open, bool consume, bool checkout, bool reserve, bool change,
                     bool cancel) {
        return State{
            {QStringLiteral("开    单"), open},     {QStringLiteral("消费与结帐"), consume},
            {QStringLiteral("结    帐"), checkout}, {QStringLiteral("预    定"), reserve},
            {QStringLiteral("修改状态"), change},   {QStringLiteral("撤单"), cancel}};
    };
    // "修改状态" is offered on every tile that no bill occupies.
    {
        Venue venue;
        openBill(venue.db(), QStringLiteral("A03"), QStringLiteral("A03"));
        addLine(venue.db(), QStringLiteral("A03"), QStringLiteral("A03"), QStringLiteral("可乐"), 2,
                Money::fromUnits(5));
        setTagState(venue.db(), QStringLiteral("A04"), QStringLiteral("预定"));
        ScriptedPrompter prompter;
        TMainFm main(venue.session());
        QCOMPARE(popupState(main), expect(false, false, false, false, false, false));
        QVERIFY(main.selectTile(QStringLiteral("A01")));
        QCOMPARE(popupState(main), expect(true, false, false, true, true, false));
        QVERIFY(main.selectTile(QStringLiteral("A03")));
        main.ShowSelectedLines();
        QCOMPARE(popupState(main), expect(false, true, true, false, false, true));
        QCOMPARE(main.panelText(QStringLiteral("消费金额:")), QStringLiteral("10"));
        QVERIFY(main.selectTile(QStringLiteral("A04")));
        QCOMPARE(popupState(main), expect(true, false, false, false, true, false));
        QVERIFY(main.selectTile(QStringLiteral("A15")));
        QCOMPARE(popupState(main), expect(false, false, false, false, true, false));
        // The hidden entries are in the menu and never shown.
        for (const char16_t* caption : {u"结    帐", u"预    定", u"撤单"})
            QVERIFY(!main.popupAction(QString::fromUtf16(caption))->isVisible());
        QVERIFY(main.popupAction(QStringLiteral("开    单"))->isVisible());
        QCOMPARE(main.tilePopup()->actions().size(), 6);
    }
    {
        Venue venue(allBut(
            {Permission::GuestRegistration, Permission::Consumption, Permission::CashierCheckout}));
        openBill(venue.db(), QStringLiteral("A03"), QStringLiteral("A03"));
        ScriptedPrompter prompter;
        TMainFm main(venue.session());
        QVERIFY(main.selectTile(QStringLiteral("A01")));
        QCOMPARE(popupState(main), expect(false, false, false, true, true, false));
        QVERIFY(main.selectTile(QStringLiteral("A03")));
        // "撤单" is refused when chosen, not disabled.
        QCOMPARE(popupState(main), expect(false, false, false, false, false, true));
    }
}

void TestBoard::doubleClickHonoursGatesAndOpensOneScreen()
{
    {
        Venue venue;
        openBill(venue.db(), QStringLiteral("A03"), QStringLiteral("A03"));
        ScriptedPrompter prompter;
        TMainFm main(venue.session());
        ScreenRecorder screens(main);

        QVERIFY(main.selectTile(QStringLiteral("A01")));
        main.tileDoubleClicked();
        QCOMPARE(screens.opened(), QStringList{QStringLiteral("TOpenDanFm")});

        // The add-consumption screen checks the group out and frees the tag:
        // no open-bill screen follows on it.
        screens.clear();
        Database& other = venue.db();
        screens.onShow([&other](QDialog&) {
            other.exec(QStringLiteral("delete from 手牌开单 where 主手牌号 = ?"),
                       {QStringLiteral("A03")});
            setTagState(other, QStringLiteral("A03"), QStringLiteral("可用"));
            return int(QDialog::Accepted);
        });
        QVERIFY(main.selectTile(QStringLiteral("A03")));
        main.tileDoubleClicked();
        QCOMPARE(screens.opened(), QStringList{QStringLiteral("TAddConsumeFm")});
        QCOMPARE(main.panelText(QStringLiteral("当前状态:")), QStringLiteral("可用"));
        QCOMPARE(main.tilePicture(QStringLiteral("A03")), 0);

        // Reserved and out-of-service tiles open nothing; neither does no tile.
        screens.clear();
        prompter.clear();
        setTagState(venue.db(), QStringLiteral("A04"), QStringLiteral("预定"));
        main.ReloadTags();
        main.tileDoubleClicked();
        QVERIFY(main.selectTile(QStringLiteral("A04")));
        main.tileDoubleClicked();
        QVERIFY(main.selectTile(QStringLiteral("A15")));
        main.tileDoubleClicked();
        QCOMPARE(screens.opened(), QStringList());
        QCOMPARE(prompter.shown().size(), 0);
    }
    {
        // Without the flags a double-click does what the toolbar would not.
        Venue venue(allBut({Permission::GuestRegistration, Permission::Consumption}));
        openBill(venue.db(), QStringLiteral("A03"), QStringLiteral("A03"));
        ScriptedPrompter prompter;
        TMainFm main(venue.session());
        ScreenRecorder screens(main);
        QVERIFY(main.selectTile(QStringLiteral("A01")));
        main.tileDoubleClicked();
        QVERIFY(main.selectTile(QStringLiteral("A03")));
        main.tileDoubleClicked();
        QCOMPARE(screens.opened(), QStringList());
        // The operator is told why nothing opens, once per double-click.
        QCOMPARE(prompter.texts(), (QStringList{"没有权限!", "没有权限!"}));
        QCOMPARE(prompter.shown().first().kind, Prompter::Kind::Information);
        // The stored state is still shown, as for an operator with the flags.
        QCOMPARE(main.panelText(QStringLiteral("当前状态:")), QStringLiteral("占用"));
    }
}

void TestBoard::timerFollowsTheServerOnly()
{
    Venue venue;
    ScriptedPrompter prompter;
    TMainFm main(venue.session());
    QVERIFY(main.clockTimer()->isActive());
    QCOMPARE(main.clockTimer()->interval(), 3000);
    const QDateTime now(QDate(2026, 5, 6), QTime(7, 8, 9));
    main.setClock([now] { return now; });
    QVERIFY(main.selectTile(QStringLiteral("A02")));

    auto workstation = venue.storage().openAnother();
    setTagState(*workstation, QStringLiteral("A02"), QStringLiteral("停用"));
    main.tick();
    QCOMPARE(main.panelText(QStringLiteral("时间:")), QStringLiteral("2026-05-06 07:08"));
    const bool server = venue.session().backendCode() == u"s";
    QCOMPARE(main.panelText(QStringLiteral("当前停用")),
             server ? QStringLiteral("2") : QStringLiteral("1"));
    QCOMPARE(main.tilePicture(QStringLiteral("A02")), server ? 3 : 0);

    if (server) {
        // A server that went away is reported once, not on every tick.
        venue.session().database().close();
        main.tick();
        main.tick();
        main.tick();
        QCOMPARE(prompter.shown().size(), 1);
        QCOMPARE(prompter.shown().first().kind, Prompter::Kind::Error);
    } else {
        QCOMPARE(prompter.shown().size(), 0);
    }
}

void TestBoard::mouseClickAndDoubleClick()
{
    Venue venue;
    openBill(venue.db(), QStringLiteral("A03"), QStringLiteral("A03"));
    ScriptedPrompter prompter;
    TMainFm main(venue.session());
    ScreenRecorder screens(main);
    main.resize(1200, 800);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QListWidget* tiles = main.tileList();
    auto centreOf = [tiles](const QString& tag) {
        const QList<QListWidgetItem*> found = tiles->findItems(tag, Qt::MatchExactly);
        return tiles->visualItemRect(found.value(0)).center();
    };
    QTest::mouseClick(tiles->viewport(), Qt::LeftButton, {}, centreOf(QStringLiteral("A03")));
    QCOMPARE(main.shownTag(), QStringLiteral("A03"));
    QCOMPARE(main.panelText(QStringLiteral("当前状态:")), QStringLiteral("占用"));
    QTest::mouseDClick(tiles->viewport(), Qt::LeftButton, {}, centreOf(QStringLiteral("A03")));
    QCOMPARE(screens.opened(), QStringList{QStringLiteral("TAddConsumeFm")});
    QTest::mouseClick(tiles->viewport(), Qt::LeftButton, {}, centreOf(QStringLiteral("A01")));
    QTest::mouseDClick(tiles->viewport(), Qt::LeftButton, {}, centreOf(QStringLiteral("A01")));
    QCOMPARE(screens.opened().last(), QStringLiteral("TOpenDanFm"));
}

void TestBoard::failingStatementKeepsTheBoard()
{
    Venue venue;
    openBill(venue.db(), QStringLiteral("A03"), QStringLiteral("A03"), QDateTime::currentDateTime(),
             Money::fromUnits(50));
    ScriptedPrompter prompter;
    TMainFm main(venue.session());
    QVERIFY(main.selectTile(QStringLiteral("A03")));
    const QStringList before = tileTexts(main);
    QCOMPARE(before.size(), 15);

    // The tables go away underneath the board, as with a server that is lost.
    venue.db().exec(QStringLiteral("alter table 手牌管理 rename to 手牌管理旧"));
    venue.db().exec(QStringLiteral("alter table 手牌开单 rename to 手牌开单旧"));
    main.ReloadTags();
    QCOMPARE(prompter.shown().size(), 1);
    QCOMPARE(tileTexts(main), before);
    QCOMPARE(main.tilePicture(QStringLiteral("A03")), 1);

    // A click whose read fails shows the clicked tag's number; the other
    // texts stay as they were.
    main.tileList()->setCurrentItem(main.tileList()->item(0));
    QCOMPARE(prompter.shown().size(), 2);
    QCOMPARE(main.shownTag(), QStringLiteral("A01"));
    QCOMPARE(main.panelText(QStringLiteral("已交押金:")), QStringLiteral("50"));
}

void TestBoard::failedReadStillOpensTheSelectedTag()
{
    Venue venue;
    openBill(venue.db(), QStringLiteral("A03"), QStringLiteral("A03"), QDateTime::currentDateTime(),
             Money::fromUnits(50));
    openBill(venue.db(), QStringLiteral("A05"), QStringLiteral("A05"));
    ScriptedPrompter prompter;
    TMainFm main(venue.session());
    ScreenRecorder screens(main);
    QStringList openedTags;
    screens.onShow([&openedTags](QDialog& dialog) {
        if (auto* screen = qobject_cast<TAddConsumeFm*>(&dialog))
            openedTags << screen->tag();
        return int(QDialog::Rejected);
    });
    QVERIFY(main.selectTile(QStringLiteral("A03")));

    // The open bills cannot be read while the next guest's tile is clicked.
    venue.db().exec(QStringLiteral("alter table 手牌开单 rename to 手牌开单旧"));
    QVERIFY(main.selectTile(QStringLiteral("A05")));
    QCOMPARE(prompter.shown().size(), 1);
    QCOMPARE(main.shownTag(), QStringLiteral("A05"));

    // Every way to the add-consumption screen opens the selected guest's bill.
    main.action(QStringLiteral("消费与结帐"))->trigger();
    main.addConsumptionCommand();
    main.preparePopup();
    main.popupAction(QStringLiteral("消费与结帐"))->trigger();
    main.tileDoubleClicked();
    QCOMPARE(openedTags, (QStringList{"A05", "A05", "A05", "A05"}));
}

void TestBoard::roomTypesReloadInPlace()
{
    Venue venue;
    ScriptedPrompter prompter;
    TMainFm main(venue.session());
    QSignalSpy reloads(main.tileList()->model(), &QAbstractItemModel::modelReset);
    main.roomTabs()->setCurrentIndex(1);
    QCOMPARE(reloads.count(), 1);
    QVERIFY(main.selectTile(QStringLiteral("V01")));
    const QString outOfService = main.panelText(QStringLiteral("当前停用"));

    // The setup screen adds one room type with a tag and removes another.
    venue.db().exec(QStringLiteral("insert into 包厢类型 (包厢类型, 包厢性质, 计费方式) "
                                   "values (?, ?, ?)"),
                    {QStringLiteral("棋牌室"), QStringLiteral("包间"), QStringLiteral("按次计费")});
    venue.db().exec(QStringLiteral("insert into 手牌管理 (手牌号码, 所属包厢, 手牌状态, number) "
                                   "values (?, ?, ?, ?)"),
                    {QStringLiteral("Q01"), QStringLiteral("棋牌室"), QStringLiteral("可用"), 1});
    venue.db().exec(QStringLiteral("delete from 包厢类型 where 包厢类型 = ?"),
                    {QStringLiteral("休息厅")});
    setTagState(venue.db(), QStringLiteral("V02"), QStringLiteral("停用"));

    reloads.clear();
    main.ReloadRoomTypes();
    QCOMPARE(tabTexts(main), (QStringList{"大厅", "贵宾房", "棋牌室"}));
    QCOMPARE(main.activeRoomType(), QStringLiteral("贵宾房"));
    QCOMPARE(main.roomTabs()->currentIndex(), 1);
    // The tiles were rebuilt once and the counts redone.
    QCOMPARE(reloads.count(), 1);
    QCOMPARE(main.tilePicture(QStringLiteral("V02")), 3);
    QCOMPARE(main.panelText(QStringLiteral("当前停用")), QString::number(outOfService.toInt() + 1));

    // Rebuilding again does not connect the tabs twice: one change, one reload.
    main.ReloadRoomTypes();
    reloads.clear();
    main.roomTabs()->setCurrentIndex(2);
    QCOMPARE(reloads.count(), 1);
    QCOMPARE(tileTexts(main), QStringList{QStringLiteral("Q01")});

    // The active room type removed: the first tab becomes the active one.
    venue.db().exec(QStringLiteral("delete from 包厢类型 where 包厢类型 = ?"),
                    {QStringLiteral("棋牌室")});
    main.ReloadRoomTypes();
    QCOMPARE(tabTexts(main), (QStringList{"大厅", "贵宾房"}));
    QCOMPARE(main.activeRoomType(), QStringLiteral("大厅"));
    QCOMPARE(main.tileList()->count(), 15);
    QCOMPARE(prompter.shown().size(), 0);

    // A failed read keeps the tabs and says so.
    venue.db().exec(QStringLiteral("alter table 包厢类型 rename to 包厢类型旧"));
    main.ReloadRoomTypes();
    QCOMPARE(prompter.shown().size(), 1);
    QCOMPARE(prompter.shown().first().kind, Prompter::Kind::Error);
    QCOMPARE(tabTexts(main), (QStringList{"大厅", "贵宾房"}));
    QCOMPARE(main.tileList()->count(), 15);
}

void TestBoard::screenReadersHearValuesNamedByCaptions()
{
    Venue venue;
    openBill(venue.db(), QStringLiteral("A03"), QStringLiteral("A03"), QDateTime::currentDateTime(),
             Money::fromUnits(100));
    addLine(venue.db(), QStringLiteral("A03"), QStringLiteral("A03"), QStringLiteral("可乐"), 2,
            *Money::parse(u"12.5"));
    ScriptedPrompter prompter;
    TMainFm main(venue.session());
    QVERIFY(main.selectTile(QStringLiteral("A03")));

    const struct
    {
        const char* objectName;
        const char* caption;
        const char* shown;
    } fields[] = {
        {"tagValue", "牌号:", "A03"},         {"depositValue", "已交押金:", "100"},
        {"consumedValue", "消费金额:", "25"}, {"stateValue", "当前状态:", "占用"},
        {"occupiedCount", "当前占用", "1"},   {"totalCount", "手牌总数", "30"},
    };
    for (const auto& field : fields) {
        auto* label = main.findChild<QLabel*>(QLatin1String(field.objectName));
        QVERIFY2(label, field.objectName);
        const Heard value = heard(label);
        // The value is read, and the caption names it once (a group box's
        // title may name it too).
        QCOMPARE(value.name, QString::fromUtf8(field.shown));
        QCOMPARE(value.labels.count(QString::fromUtf8(field.caption)), 1);
    }
    // The search box is an input: its caption is its name.
    QCOMPARE(heard(main.searchBox()).name, QStringLiteral("快速查找手牌号  快捷键F3"));
}

QTEST_MAIN(TestBoard)
#include "tst_board.moc"
