#include "BillingTestKit.h"
#include "billing/OpenDanUt.h"
#include "platform/ConnectionDescription.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>

using namespace shoupai;
using namespace shoupai::test;

namespace {

QStringList entries(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

void select(QListWidget* list, const QString& text)
{
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    QVERIFY(!found.isEmpty());
    list->setCurrentItem(found.first());
}

class OpeningThread : public QThread
{
public:
    OpeningThread(QString text, QString folder)
        : m_text(std::move(text)), m_folder(std::move(folder))
    {
    }
    QString taken = QStringLiteral("?");

protected:
    void run() override
    {
        Database db;
        if (db.open(ConnectionDescription::parse(m_text), m_folder))
            taken =
                openGroup(db, {QStringLiteral("A09"), QStringLiteral("A10")}, Money::fromUnits(20));
    }

private:
    QString m_text, m_folder;
};

} // namespace

class TestOpenDan : public QObject
{
    Q_OBJECT
private slots:
    void groupOfThree();
    void ticketPriceZeroAndReservedMainTag();
    void cancelAndDepositInput();
    void tagTakenMeanwhile();
    void failureWritesNothing();
    void restoredScreenKeepsInput();
};

void TestOpenDan::groupOfThree()
{
    Venue v;
    Database& db = v.database();
    db.exec(QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ?"),
            {QStringLiteral("占用"), QStringLiteral("A03")});
    v.board.selected = QStringLiteral("A01");
    v.board.room = QStringLiteral("大厅");
    TOpenDanFm screen(v.session, v.board);
    screen.setOpensConsumption(false);
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));
    QCOMPARE(screen.windowTitle(), QStringLiteral("顾客开单"));
    QCOMPARE(screen.mainTag(), QStringLiteral("A01"));
    QCOMPARE(screen.roomTypeLabel()->text(), QStringLiteral("大厅"));
    QCOMPARE(screen.ticketPriceLabel()->text(), QStringLiteral("20"));
    QCOMPARE(screen.totalLabel()->text(), QStringLiteral("20"));
    QCOMPARE(screen.depositEdit()->text(), QStringLiteral("0"));
    QCOMPARE(screen.guestNameEdit()->text(), QStringLiteral("散客"));
    QCOMPARE(screen.remarkEdit()->toPlainText(), QStringLiteral("无"));
    QVERIFY(screen.openButton()->isDefault());
    // Not the main tag, not occupied (A03), not out of service (A15), no other room.
    const QStringList candidates = entries(screen.candidateList());
    QCOMPARE(candidates.size(), 12);
    QVERIFY(!candidates.contains(QStringLiteral("A01")));
    QVERIFY(!candidates.contains(QStringLiteral("A03")));
    QVERIFY(!candidates.contains(QStringLiteral("A15")));
    QVERIFY(!candidates.contains(QStringLiteral("V01")));
    QCOMPARE(entries(screen.groupList()), QStringList{QStringLiteral("A01")});

    // Nothing selected: nothing moves. The main tag cannot leave.
    screen.candidateList()->setCurrentItem(nullptr);
    screen.moveIn();
    QCOMPARE(screen.groupList()->count(), 1);
    select(screen.groupList(), QStringLiteral("A01"));
    screen.moveOut();
    QCOMPARE(entries(screen.groupList()), QStringList{QStringLiteral("A01")});
    QCOMPARE(screen.candidateList()->count(), 12);

    select(screen.candidateList(), QStringLiteral("A02"));
    screen.moveIn();
    select(screen.candidateList(), QStringLiteral("A04"));
    screen.moveIn();
    select(screen.candidateList(), QStringLiteral("A05"));
    screen.moveIn();
    select(screen.groupList(), QStringLiteral("A05"));
    screen.moveOut();
    QCOMPARE(entries(screen.groupList()),
             (QStringList{QStringLiteral("A01"), QStringLiteral("A02"), QStringLiteral("A04")}));
    QVERIFY(entries(screen.candidateList()).contains(QStringLiteral("A05")));

    screen.guestNameEdit()->setText(QStringLiteral("李'先生"));
    QTest::keyClicks(screen.depositEdit(), QStringLiteral("0"));
    screen.depositEdit()->setText(QStringLiteral("100"));
    screen.remarkEdit()->setPlainText(QStringLiteral("生日"));
    QTest::mouseClick(screen.openButton(), Qt::LeftButton);
    QVERIFY(!screen.isVisible());
    QCOMPARE(screen.result(), int(QDialog::Accepted));
    QVERIFY(v.board.reloads >= 1);
    QVERIFY(v.board.refreshes >= 1);

    Rows rows = db.query(QStringLiteral("select * from 手牌开单 order by 手牌号码"));
    QStringList opened;
    while (rows.next()) {
        opened << rows.text(QStringLiteral("手牌号码"));
        QCOMPARE(rows.text(QStringLiteral("主手牌号")), QStringLiteral("A01"));
        QCOMPARE(rows.text(QStringLiteral("包厢类型")), QStringLiteral("大厅"));
        QCOMPARE(rows.text(QStringLiteral("包厢性质")), QStringLiteral("无"));
        QCOMPARE(rows.text(QStringLiteral("顾客姓名")), QStringLiteral("李'先生"));
        QCOMPARE(rows.money(QStringLiteral("押金金额")), Money::fromUnits(100));
        QCOMPARE(rows.money(QStringLiteral("合计金额")), Money::fromUnits(20));
        QCOMPARE(rows.text(QStringLiteral("备注")), QStringLiteral("生日"));
        QVERIFY(rows.dateTime(QStringLiteral("进店时间")).isValid());
    }
    for (const QString& tag : opened)
        QCOMPARE(tagState(db, tag), QStringLiteral("占用"));
    QCOMPARE(opened,
             (QStringList{QStringLiteral("A01"), QStringLiteral("A02"), QStringLiteral("A04")}));
    Rows tickets = db.query(QStringLiteral("select * from 手牌消费 order by 手牌号码"));
    QStringList ticketTags;
    while (tickets.next()) {
        ticketTags << tickets.text(QStringLiteral("手牌号码"));
        QCOMPARE(tickets.text(QStringLiteral("商品名")), QStringLiteral("门票"));
        QCOMPARE(tickets.money(QStringLiteral("单价")), Money::fromUnits(20));
        QCOMPARE(tickets.money(QStringLiteral("实际单价")), Money::fromUnits(20));
        QCOMPARE(tickets.money(QStringLiteral("合计")), Money::fromUnits(20));
        QCOMPARE(tickets.integer(QStringLiteral("数量")), 1);
        QCOMPARE(tickets.text(QStringLiteral("员工编号")), QStringLiteral("无"));
        QCOMPARE(tickets.text(QStringLiteral("状态")), QStringLiteral("消费完毕"));
        QCOMPARE(tickets.text(QStringLiteral("营业员")), QStringLiteral("收银员甲"));
        QCOMPARE(tickets.text(QStringLiteral("主手牌号")), QStringLiteral("A01"));
        QVERIFY(tickets.text(QStringLiteral("参与打折")).isEmpty());
    }
    QCOMPARE(ticketTags, opened);
    QCOMPARE(tagState(db, QStringLiteral("A05")), QStringLiteral("可用"));
    QCOMPARE(v.prompter.shown().size(), 0);
}

void TestOpenDan::ticketPriceZeroAndReservedMainTag()
{
    Venue v;
    Database& db = v.database();
    v.board.selected = QStringLiteral("S01");
    v.board.room = QStringLiteral("休息厅");
    TOpenDanFm screen(v.session, v.board);
    screen.setOpensConsumption(false);
    screen.load();
    QCOMPARE(screen.ticketPriceLabel()->text(), QStringLiteral("0"));
    select(screen.candidateList(), QStringLiteral("S02"));
    screen.moveIn();
    QVERIFY(screen.KaiDanHs());
    QCOMPARE(count(db, QStringLiteral("select count(*) from 手牌开单 where 主手牌号 = ?"),
                   {QStringLiteral("S01")}),
             2);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 手牌消费")), 0);

    // A reserved tag opens as the main tag, but never joins as a further tag.
    QCOMPARE(openGroup(db, {QStringLiteral("V10")}, Money::fromUnits(50), QStringLiteral("贵宾房")),
             QString());
    QCOMPARE(tagState(db, QStringLiteral("V10")), QStringLiteral("占用"));
    db.exec(QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ?"),
            {QStringLiteral("预定"), QStringLiteral("V09")});
    QCOMPARE(openGroup(db, {QStringLiteral("V01"), QStringLiteral("V09")}, Money::fromUnits(50),
                       QStringLiteral("贵宾房")),
             QStringLiteral("V09"));
    QCOMPARE(tagState(db, QStringLiteral("V01")), QStringLiteral("可用"));
    // A disabled tag never opens.
    QCOMPARE(openGroup(db, {QStringLiteral("A15")}, Money()), QStringLiteral("A15"));
}

void TestOpenDan::cancelAndDepositInput()
{
    Venue v;
    Database& db = v.database();
    v.board.selected = QStringLiteral("A01");
    v.board.room = QStringLiteral("大厅");
    {
        TOpenDanFm screen(v.session, v.board);
        screen.setOpensConsumption(false);
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        select(screen.candidateList(), QStringLiteral("A02"));
        screen.moveIn();
        QTest::mouseClick(screen.findChild<QPushButton*>(QStringLiteral("cancelButton")),
                          Qt::LeftButton);
        QVERIFY(!screen.isVisible());
        QCOMPARE(v.board.reloads, 1);
    }
    QCOMPARE(count(db, QStringLiteral("select count(*) from 手牌开单")), 0);
    QCOMPARE(tagState(db, QStringLiteral("A02")), QStringLiteral("可用"));

    TOpenDanFm screen(v.session, v.board);
    screen.setOpensConsumption(false);
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));
    // Letters, signs and the decimal point are refused by the field.
    screen.depositEdit()->clear();
    QTest::keyClicks(screen.depositEdit(), QStringLiteral("1a-2.5"));
    QCOMPARE(screen.depositEdit()->text(), QStringLiteral("125"));
    // An emptied deposit counts as none.
    screen.depositEdit()->clear();
    QVERIFY(screen.KaiDanHs());
    QCOMPARE(money(db, QStringLiteral("select 押金金额 from 手牌开单 where 手牌号码 = ?"),
                   {QStringLiteral("A01")}),
             Money());
}

void TestOpenDan::tagTakenMeanwhile()
{
    Venue v;
    Database& db = v.database();
    std::unique_ptr<Database> other = v.db.openAnother();
    v.board.selected = QStringLiteral("A01");
    v.board.room = QStringLiteral("大厅");
    TOpenDanFm screen(v.session, v.board);
    screen.setOpensConsumption(false);
    screen.load();
    select(screen.candidateList(), QStringLiteral("A02"));
    screen.moveIn();
    select(screen.candidateList(), QStringLiteral("A07"));
    screen.moveIn();
    // Another workstation opens A07 while this screen is open.
    QCOMPARE(openGroup(*other, {QStringLiteral("A07")}, Money::fromUnits(20)), QString());
    QVERIFY(!screen.KaiDanHs());
    QCOMPARE(v.prompter.lastText(),
             QStringLiteral("手牌A07已被占用或不可用,没有开单,请重新选择手牌!"));
    QCOMPARE(tagState(db, QStringLiteral("A01")), QStringLiteral("可用"));
    QCOMPARE(tagState(db, QStringLiteral("A02")), QStringLiteral("可用"));
    QCOMPARE(count(db, QStringLiteral("select count(*) from 手牌开单 where 主手牌号 = ?"),
                   {QStringLiteral("A01")}),
             0);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 手牌消费 where 主手牌号 = ?"),
                   {QStringLiteral("A01")}),
             0);
    // The taken tag left the group; the candidates were read again.
    QCOMPARE(entries(screen.groupList()),
             (QStringList{QStringLiteral("A01"), QStringLiteral("A02")}));
    QVERIFY(!entries(screen.candidateList()).contains(QStringLiteral("A07")));
    QVERIFY(!entries(screen.candidateList()).contains(QStringLiteral("A02")));
    QVERIFY(screen.KaiDanHs());
    QCOMPARE(tagState(db, QStringLiteral("A02")), QStringLiteral("占用"));

    // Two workstations at once on the same tags: exactly one group opens.
    OpeningThread first(v.db.connectionText(), v.db.folder());
    OpeningThread second(v.db.connectionText(), v.db.folder());
    first.start();
    second.start();
    QVERIFY(first.wait(60000));
    QVERIFY(second.wait(60000));
    QCOMPARE(QSet<QString>({first.taken, second.taken}),
             QSet<QString>({QString(), QStringLiteral("A09")}));
    QCOMPARE(count(db, QStringLiteral("select count(*) from 手牌开单 where 手牌号码 in (?, ?)"),
                   {QStringLiteral("A09"), QStringLiteral("A10")}),
             2);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 手牌消费 where 主手牌号 = ?"),
                   {QStringLiteral("A09")}),
             2);
}

void TestOpenDan::failureWritesNothing()
{
    Venue v;
    Database& db = v.database();
    // The ticket line is the last statement; its table is gone.
    db.exec(QStringLiteral("drop table 手牌消费"));
    v.board.selected = QStringLiteral("A01");
    v.board.room = QStringLiteral("大厅");
    TOpenDanFm screen(v.session, v.board);
    screen.setOpensConsumption(false);
    screen.load();
    select(screen.candidateList(), QStringLiteral("A02"));
    screen.moveIn();
    QVERIFY(!screen.KaiDanHs());
    QCOMPARE(v.prompter.shown().last().kind, Prompter::Kind::Error);
    QVERIFY(!db.inTransaction());
    QCOMPARE(tagState(db, QStringLiteral("A01")), QStringLiteral("可用"));
    QCOMPARE(count(db, QStringLiteral("select count(*) from 手牌开单")), 0);
}

void TestOpenDan::restoredScreenKeepsInput()
{
    Venue v;
    v.board.selected = QStringLiteral("A01");
    v.board.room = QStringLiteral("大厅");
    TOpenDanFm screen(v.session, v.board);
    screen.setOpensConsumption(false);
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));
    // Double clicks move entries both ways.
    screen.findChild<QTabWidget*>(QStringLiteral("tabs"))->setCurrentIndex(1);
    QListWidgetItem* a02 =
        screen.candidateList()->findItems(QStringLiteral("A02"), Qt::MatchExactly).first();
    screen.candidateList()->setCurrentItem(a02);
    QTRY_VERIFY(screen.candidateList()->visualItemRect(a02).isValid());
    const QPoint a02At = screen.candidateList()->visualItemRect(a02).center();
    QTest::mouseClick(screen.candidateList()->viewport(), Qt::LeftButton, {}, a02At);
    QTest::mouseDClick(screen.candidateList()->viewport(), Qt::LeftButton, {}, a02At);
    QCOMPARE(entries(screen.groupList()),
             (QStringList{QStringLiteral("A01"), QStringLiteral("A02")}));
    screen.guestNameEdit()->setText(QStringLiteral("王先生"));
    screen.depositEdit()->setText(QStringLiteral("50"));

    // Minimised and restored: what the operator chose and typed stays.
    screen.showMinimized();
    screen.showNormal();
    QCOMPARE(entries(screen.groupList()),
             (QStringList{QStringLiteral("A01"), QStringLiteral("A02")}));
    QVERIFY(!entries(screen.candidateList()).contains(QStringLiteral("A02")));
    QCOMPARE(screen.guestNameEdit()->text(), QStringLiteral("王先生"));
    QCOMPARE(screen.depositEdit()->text(), QStringLiteral("50"));

    QListWidgetItem* back = screen.groupList()->item(1);
    screen.groupList()->setCurrentItem(back);
    const QPoint backAt = screen.groupList()->visualItemRect(back).center();
    QTest::mouseClick(screen.groupList()->viewport(), Qt::LeftButton, {}, backAt);
    QTest::mouseDClick(screen.groupList()->viewport(), Qt::LeftButton, {}, backAt);
    QCOMPARE(entries(screen.groupList()), QStringList{QStringLiteral("A01")});
    QVERIFY(entries(screen.candidateList()).contains(QStringLiteral("A02")));
}

QTEST_MAIN(TestOpenDan)
#include "tst_opendan.moc"
