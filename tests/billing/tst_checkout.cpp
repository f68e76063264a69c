#include "AccessibleText.h"
#include "BillingTestKit.h"
#include "billing/CheckOutInfoUt.h"
#include "billing/CheckOutUt.h"
#include "billing/CheckoutGroup.h"
#include "common/DataGrid.h"
#include "members/MemberPassword.h"
#include "platform/PasswordHash.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace shoupai;
using namespace shoupai::test;

namespace {

// Two tags with a ticket of 30 each and a line of 50 on A02: 110 in all.
void openGroupOf110(Database& db)
{
    QCOMPARE(openGroup(db, {QStringLiteral("A01"), QStringLiteral("A02")}, Money::fromUnits(30)),
             QString());
    QVERIFY(addLine(db, QStringLiteral("A02"),
                    addGoods(db, QStringLiteral("套餐"), 50, QStringLiteral("洗浴")))
                .stored);
}

// A member type at full price, so that card tests see plain amounts.
void addFullPriceType(Database& db)
{
    db.exec(QStringLiteral("insert into 会员类型 (类型名称, 打折率, 初始积分) values (?, ?, ?)"),
            {QStringLiteral("普通卡"), 1.0, 0.0});
}

void lookUp(TCheckOutFm& screen, const QString& card, const QString& password = {})
{
    screen.cardEdit()->setText(card);
    QVERIFY(screen.ChaHuiYuan());
    if (!password.isEmpty())
        screen.passwordEdit()->setText(password);
    QVERIFY(screen.ChaHuiYuanMiMa());
}

void chooseCard(TCheckOutFm& screen)
{
    screen.paymentModeBox()->setCurrentText(QStringLiteral("卡内扣除"));
    screen.ZhiFuHs();
}

} // namespace

class TestCheckOut : public QObject
{
    Q_OBJECT
private slots:
    void loadsTheGroup();
    void memberLookupAndDiscount();
    void paymentSplits();
    void discountInput();
    void addAndRemoveTags();
    void postingCommands();
    void changesElsewhereAreDetected();
    void receiptValues();
    void memberPasswords();
    void screenReadersHearTheAmounts();
};

void TestCheckOut::loadsTheGroup()
{
    Venue v;
    Database& db = v.database();
    openGroupOf110(db);
    db.exec(QStringLiteral("update 单据号 set 单据号 = ?"), {QStringLiteral("99")});
    // A discount left by an earlier screen is undone at loading.
    checkoutgroup::applyDiscount(db, QStringLiteral("A01"), Money::fromTicks(5000));
    TCheckOutFm screen(v.session, v.board, QStringLiteral("A02"));
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));
    QCOMPARE(screen.windowTitle(), QStringLiteral("顾客结帐 主号:A01"));
    QCOMPARE(screen.billNumber(), QStringLiteral("100"));
    QCOMPARE(screen.findChild<QLabel*>(QStringLiteral("tagValue"))->text(), QStringLiteral("A02"));
    QCOMPARE(screen.guestName(), QStringLiteral("散客"));
    QCOMPARE(screen.memberCard(), QStringLiteral("非会员"));
    QCOMPARE(screen.memberName(), QStringLiteral("散客"));
    QCOMPARE(screen.cardBalanceText(), QStringLiteral("0"));
    QCOMPARE(screen.pointsText(), QStringLiteral("0"));
    QCOMPARE(screen.cardEdit()->text(), QStringLiteral("1"));
    QCOMPARE(screen.rateEdit()->text(), QStringLiteral("1"));
    QCOMPARE(screen.remarkEdit()->toPlainText(), QStringLiteral("无"));
    QCOMPARE(screen.paymentModeBox()->currentText(), QStringLiteral("现金支付"));
    QVERIFY(!screen.paymentModeBox()->isEnabled());
    QVERIFY(!screen.readCardButton()->isEnabled());
    QVERIFY(screen.previewButton()->isChecked());
    QCOMPARE(screen.groupTags(), (QStringList{QStringLiteral("A01"), QStringLiteral("A02")}));
    QCOMPARE(screen.linesGrid()->rowCount(), 3);
    QCOMPARE(screen.consumptionText(), QStringLiteral("110"));
    QCOMPARE(screen.receivableText(), QStringLiteral("110"));
    QCOMPARE(screen.receivedEdit()->text(), QStringLiteral("110"));
    QCOMPARE(screen.cardDeductionText(), QStringLiteral("0"));

    // Taking out the main tag or the screen's own tag does nothing.
    for (const QString& tag : {QStringLiteral("A01"), QStringLiteral("A02")}) {
        screen.groupList()->setCurrentItem(screen.groupList()->findItems(tag, Qt::MatchExactly)[0]);
        QVERIFY(!screen.ShanChuHs());
    }
    QCOMPARE(v.prompter.shown().size(), 0);

    // A group without lines shows 0 everywhere, also after a member's rate.
    QCOMPARE(openGroup(db, {QStringLiteral("S01")}, Money(), QStringLiteral("休息厅")), QString());
    addMember(db, QStringLiteral("G1"), QStringLiteral("金卡客"), QStringLiteral("2863"), 10, 0,
              QStringLiteral("金卡"));
    TCheckOutFm empty(v.session, v.board, QStringLiteral("S01"));
    QVERIFY(empty.load());
    QCOMPARE(empty.consumptionText(), QStringLiteral("0"));
    QCOMPARE(empty.receivableText(), QStringLiteral("0"));
    QCOMPARE(empty.receivedEdit()->text(), QStringLiteral("0"));
    lookUp(empty, QStringLiteral("G1"));
    QCOMPARE(empty.rateEdit()->text(), QStringLiteral("0.80"));
    QCOMPARE(empty.receivableText(), QStringLiteral("0"));

    // A tag without an open bill.
    TCheckOutFm none(v.session, v.board, QStringLiteral("A09"));
    QVERIFY(!none.load());
    QCOMPARE(v.prompter.lastText(), QStringLiteral("手牌A09没有开单!"));
}

void TestCheckOut::memberLookupAndDiscount()
{
    Venue v;
    Database& db = v.database();
    QCOMPARE(openGroup(db, {QStringLiteral("A01")}, Money::fromUnits(30)), QString());
    QVERIFY(addLine(db, QStringLiteral("A01"),
                    addGoods(db, QStringLiteral("按摩套餐"), 100, QStringLiteral("按摩")))
                .stored);
    addMember(db, QStringLiteral("8001"), QStringLiteral("陈金"), QStringLiteral("2863"), 500, 5,
              QStringLiteral("金卡"));
    addMember(db, QStringLiteral("8002"), QStringLiteral("无类"), QStringLiteral("2863"), 500, 5);
    TCheckOutFm screen(v.session, v.board, QStringLiteral("A01"));
    QVERIFY(screen.load());

    screen.cardEdit()->setText(QStringLiteral("nobody"));
    QVERIFY(!screen.ChaHuiYuan());
    QCOMPARE(v.prompter.lastText(), QStringLiteral("没有这个卡号的会员!"));
    QCOMPARE(screen.cardEdit()->selectedText(), QStringLiteral("nobody"));

    // The default password is filled in; Enter twice identifies the member.
    screen.cardEdit()->setText(QStringLiteral("8001"));
    QTest::keyClick(screen.cardEdit(), Qt::Key_Return);
    QCOMPARE(screen.passwordEdit()->text(), QStringLiteral("2863"));
    QTest::keyClick(screen.passwordEdit(), Qt::Key_Return);
    QCOMPARE(screen.memberCard(), QStringLiteral("8001"));
    QCOMPARE(screen.memberName(), QStringLiteral("陈金"));
    QCOMPARE(screen.guestName(), QStringLiteral("陈金"));
    QCOMPARE(screen.findChild<QLabel*>(QStringLiteral("memberTypeValue"))->text(),
             QStringLiteral("金卡"));
    QCOMPARE(screen.cardBalanceText(), QStringLiteral("500"));
    QCOMPARE(screen.pointsText(), QStringLiteral("5"));
    QCOMPARE(screen.rateEdit()->text(), QStringLiteral("0.80"));
    QCOMPARE(screen.consumptionText(), QStringLiteral("130"));
    QCOMPARE(screen.receivableText(), QStringLiteral("110"));
    QCOMPARE(screen.receivedEdit()->text(), QStringLiteral("110"));
    QVERIFY(screen.paymentModeBox()->isEnabled());

    // A wrong password changes nothing shown.
    screen.passwordEdit()->setText(QStringLiteral("0000"));
    QVERIFY(!screen.ChaHuiYuanMiMa());
    QCOMPARE(v.prompter.lastText(), QStringLiteral("密码错误！"));
    QVERIFY(screen.passwordEdit()->text().isEmpty());
    QCOMPARE(screen.memberName(), QStringLiteral("陈金"));

    // A member whose type is unknown keeps the rate and amounts shown.
    lookUp(screen, QStringLiteral("8002"));
    QCOMPARE(screen.memberName(), QStringLiteral("无类"));
    QCOMPARE(screen.rateEdit()->text(), QStringLiteral("0.80"));
    QCOMPARE(screen.receivableText(), QStringLiteral("110"));

    // Reopened after leaving: undiscounted again.
    screen.reject();
    TCheckOutFm again(v.session, v.board, QStringLiteral("A01"));
    QVERIFY(again.load());
    QCOMPARE(again.receivableText(), QStringLiteral("130"));
    QCOMPARE(checkoutgroup::receivableTotal(db, QStringLiteral("A01")), Money::fromUnits(130));
}

void TestCheckOut::paymentSplits()
{
    Venue v;
    Database& db = v.database();
    addFullPriceType(db);
    openGroupOf110(db);
    addMember(db, QStringLiteral("500"), QStringLiteral("富"), QStringLiteral("2863"), 500, 0,
              QStringLiteral("普通卡"));
    addMember(db, QStringLiteral("60"), QStringLiteral("穷"), QStringLiteral("2863"), 60, 0,
              QStringLiteral("普通卡"));
    TCheckOutFm screen(v.session, v.board, QStringLiteral("A01"));
    QVERIFY(screen.load());

    // Card mode without a member falls back to cash.
    chooseCard(screen);
    QCOMPARE(v.prompter.lastText(), QStringLiteral("非会员不能卡内扣除,只能付现金结帐!"));
    QCOMPARE(screen.paymentModeBox()->currentText(), QStringLiteral("现金支付"));
    QCOMPARE(screen.cardDeductionText(), QStringLiteral("0"));

    lookUp(screen, QStringLiteral("500"));
    QCOMPARE(screen.rateEdit()->text(), QStringLiteral("1.00"));
    chooseCard(screen);
    QCOMPARE(screen.cardDeductionText(), QStringLiteral("110"));
    QCOMPARE(screen.receivedEdit()->text(), QStringLiteral("0"));

    lookUp(screen, QStringLiteral("60"));
    QCOMPARE(screen.paymentModeBox()->currentText(), QStringLiteral("卡内扣除"));
    QCOMPARE(screen.cardDeductionText(), QStringLiteral("60"));
    QCOMPARE(screen.receivedEdit()->text(), QStringLiteral("50"));

    // A discount recomputes the split of the chosen mode.
    screen.rateEdit()->setText(QStringLiteral("0.5"));
    QTest::keyClick(screen.rateEdit(), Qt::Key_Return);
    QCOMPARE(screen.receivableText(), QStringLiteral("85"));
    QCOMPARE(screen.cardDeductionText(), QStringLiteral("60"));
    QCOMPARE(screen.receivedEdit()->text(), QStringLiteral("25"));

    // Any key in the mode field means cash.
    QTest::keyClick(screen.paymentModeBox(), Qt::Key_Down);
    QCOMPARE(screen.paymentModeBox()->currentText(), QStringLiteral("现金支付"));
    QCOMPARE(screen.cardDeductionText(), QStringLiteral("0"));
    QCOMPARE(screen.receivedEdit()->text(), QStringLiteral("85"));

    // Pure split rules.
    const PaymentSplit returned = splitPayment(true, Money::fromUnits(60), -Money::fromUnits(5));
    QCOMPARE(returned.cardDeduction, Money());
    QCOMPARE(returned.received, -Money::fromUnits(5));
}

void TestCheckOut::discountInput()
{
    Venue v;
    Database& db = v.database();
    openGroupOf110(db);
    TCheckOutFm screen(v.session, v.board, QStringLiteral("A01"));
    QVERIFY(screen.load());
    screen.rateEdit()->setText(QStringLiteral("0.9"));
    QVERIFY(screen.DaZheHs());
    screen.rateEdit()->setText(QStringLiteral("0.8"));
    QVERIFY(screen.DaZheHs());
    // 0.8 of the list price, not 0.72; the tickets keep their price.
    QCOMPARE(screen.receivableText(), QStringLiteral("100"));
    QCOMPARE(screen.consumptionText(), QStringLiteral("110"));
    for (const QString& bad :
         {QString(), QStringLiteral("."), QStringLiteral("10.5"), QStringLiteral("1.2.3")}) {
        screen.rateEdit()->setText(bad);
        QVERIFY2(!screen.DaZheHs(), qPrintable(bad));
        QCOMPARE(v.prompter.lastText(), QStringLiteral("打折率必须是0到10之间的数字!"));
    }
    QCOMPARE(checkoutgroup::receivableTotal(db, QStringLiteral("A01")), Money::fromUnits(100));
    QCOMPARE(screen.receivableText(), QStringLiteral("100"));
    // The field takes digits and the point only.
    screen.rateEdit()->clear();
    QTest::keyClicks(screen.rateEdit(), QStringLiteral("-0,a7"));
    QCOMPARE(screen.rateEdit()->text(), QStringLiteral("07"));
}

void TestCheckOut::addAndRemoveTags()
{
    Venue v;
    Database& db = v.database();
    addFullPriceType(db);
    openGroupOf110(db);
    // Another group of two, and a reserved tag without a bill.
    QCOMPARE(openGroup(db, {QStringLiteral("A05"), QStringLiteral("A06")}, Money::fromUnits(20)),
             QString());
    addMember(db, QStringLiteral("C1"), QStringLiteral("卡客"), QStringLiteral("2863"), 1000, 0,
              QStringLiteral("普通卡"));
    TCheckOutFm screen(v.session, v.board, QStringLiteral("A02"));
    QVERIFY(screen.load());
    lookUp(screen, QStringLiteral("C1"));
    chooseCard(screen);
    QCOMPARE(screen.cardDeductionText(), QStringLiteral("110"));

    v.prompter.queueInput(QStringLiteral("V10"));
    QVERIFY(!screen.TianJiaHs());
    const ScriptedPrompter::Shown asked = v.prompter.shown()[v.prompter.shown().size() - 2];
    QCOMPARE(asked.kind, Prompter::Kind::Input);
    QCOMPARE(asked.caption, QStringLiteral("sp"));
    QCOMPARE(v.prompter.lastText(), QStringLiteral("手牌V10没有开单,不能添加!"));
    QCOMPARE(tagState(db, QStringLiteral("V10")), QStringLiteral("预定"));
    v.prompter.queueInput(QStringLiteral("A01"));
    QVERIFY(!screen.TianJiaHs());
    QCOMPARE(v.prompter.lastText(), QStringLiteral("手牌A01已经在本组中!"));
    v.prompter.queueInput(std::nullopt);
    QVERIFY(!screen.TianJiaHs());

    // The main tag of another group brings its whole group; the card split follows.
    v.prompter.queueInput(QStringLiteral("A05"));
    QVERIFY(screen.TianJiaHs());
    QCOMPARE(screen.groupTags(), (QStringList{QStringLiteral("A01"), QStringLiteral("A02"),
                                              QStringLiteral("A05"), QStringLiteral("A06")}));
    QCOMPARE(screen.receivableText(), QStringLiteral("150"));
    QCOMPARE(screen.cardDeductionText(), QStringLiteral("150"));
    QCOMPARE(count(db, QStringLiteral("select count(*) from 手牌消费 where 主手牌号 = ?"),
                   {QStringLiteral("A01")}),
             5);

    // Taking a tag out makes it a group of its own with its lines.
    screen.groupList()->setCurrentItem(
        screen.groupList()->findItems(QStringLiteral("A06"), Qt::MatchExactly)[0]);
    v.prompter.queueAnswer(true);
    QVERIFY(screen.ShanChuHs());
    QCOMPARE(v.prompter.lastText(), QStringLiteral("您是否要删除\" A06"));
    QCOMPARE(screen.receivableText(), QStringLiteral("130"));
    QCOMPARE(screen.cardDeductionText(), QStringLiteral("130"));
    QCOMPARE(db.scalar(QStringLiteral("select 主手牌号 from 手牌开单 where 手牌号码 = ?"),
                       {QStringLiteral("A06")})
                 .toString(),
             QStringLiteral("A06"));
    QCOMPARE(db.scalar(QStringLiteral("select 主手牌号 from 手牌消费 where 手牌号码 = ?"),
                       {QStringLiteral("A06")})
                 .toString(),
             QStringLiteral("A06"));

    // After a change of the group the amounts are undiscounted again, on the
    // screen and in the lines, until the rate is applied anew.
    screen.rateEdit()->setText(QStringLiteral("0.5"));
    QVERIFY(screen.DaZheHs());
    QCOMPARE(screen.receivableText(), QStringLiteral("105"));
    v.prompter.queueInput(QStringLiteral("A06"));
    QVERIFY(screen.TianJiaHs());
    QCOMPARE(screen.consumptionText(), QStringLiteral("150"));
    QCOMPARE(screen.receivableText(), QStringLiteral("150"));
    QCOMPARE(checkoutgroup::receivableTotal(db, QStringLiteral("A01")), Money::fromUnits(150));
    QCOMPARE(screen.cardDeductionText(), QStringLiteral("150"));
    QCOMPARE(screen.receivedEdit()->text(), QStringLiteral("0"));
    QTest::keyClick(screen.rateEdit(), Qt::Key_Return);
    QCOMPARE(screen.receivableText(), QStringLiteral("125"));
    QCOMPARE(checkoutgroup::receivableTotal(db, QStringLiteral("A01")), Money::fromUnits(125));
    QCOMPARE(screen.cardDeductionText(), QStringLiteral("125"));

    // Posting frees exactly the tags of the group.
    screen.setConfirmHook([](TCheckOutInfoFm&) { return true; });
    QVERIFY(screen.JieZhang());
    for (const QString& tag : {QStringLiteral("A01"), QStringLiteral("A02"), QStringLiteral("A05"),
                               QStringLiteral("A06")})
        QCOMPARE(tagState(db, tag), QStringLiteral("可用"));
    QCOMPARE(memberBalance(db, QStringLiteral("C1")), Money::fromUnits(875));
}

void TestCheckOut::postingCommands()
{
    Venue v(false);
    Database& db = v.database();
    addFullPriceType(db);
    openGroupOf110(db);
    addMember(db, QStringLiteral("P1"), QStringLiteral("积分客"), QStringLiteral("2863"), 500, 100,
              QStringLiteral("普通卡"));
    const QString before = counter(db);
    TCheckOutFm screen(v.session, v.board, QStringLiteral("A02"));
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));

    // No free-bill permission: F3 stores nothing.
    QTest::keyClick(&screen, Qt::Key_F3);
    QCOMPARE(v.prompter.lastText(),
             QStringLiteral("操作失败:您没有免单权限,请让有更高权限的人来操作!"));
    QVERIFY(!screen.MianDan());
    QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐管理")), 0);

    // Card payment without a member is refused at posting too.
    screen.paymentModeBox()->setCurrentText(QStringLiteral("卡内扣除"));
    QVERIFY(!screen.JieZhang());
    QCOMPARE(v.prompter.lastText(), QStringLiteral("非会员不能卡内扣除,只能付现金结帐!"));
    screen.paymentModeBox()->setCurrentText(QStringLiteral("现金支付"));

    // A received amount that is not a number stops the posting.
    screen.receivedEdit()->setText(QStringLiteral("."));
    QVERIFY(!screen.JieZhang());
    QCOMPARE(v.prompter.lastText(), QStringLiteral("实收金额必须是数字!"));
    screen.receivedEdit()->clear();
    QVERIFY(!screen.JieZhang());

    // The confirmation shows the amounts; cancelling writes nothing.
    lookUp(screen, QStringLiteral("P1"));
    QStringList confirmed;
    screen.setConfirmHook([&](TCheckOutInfoFm& info) {
        confirmed = {info.windowTitle(), info.receivableLabel()->text(),
                     info.receivedLabel()->text(), info.cardDeductionLabel()->text()};
        return false;
    });
    QVERIFY(!screen.JieZhang());
    QCOMPARE(confirmed, (QStringList{QStringLiteral("请再次确认!"), QStringLiteral("110"),
                                     QStringLiteral("110"), QStringLiteral("0")}));
    QVERIFY(TCheckOutInfoFm::instance().confirmButton()->isDefault());
    QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐管理")), 0);

    // Confirmed: a cash bill of a member, 100 points become 210.
    screen.setConfirmHook([](TCheckOutInfoFm&) { return true; });
    v.prompter.clear();
    QVERIFY(screen.JieZhang());
    QCOMPARE(v.prompter.texts(), QStringList{QStringLiteral("谢谢光临！")});
    QCOMPARE(memberPoints(db, QStringLiteral("P1")), Money::fromUnits(210));
    QCOMPARE(counter(db), QString::number(before.toLongLong() + 1));
    QCOMPARE(screen.result(), int(QDialog::Accepted));
    QVERIFY(v.board.reloads > 0);
    Rows header = db.query(QStringLiteral("select * from 结帐管理"));
    QVERIFY(header.next());
    QCOMPARE(header.text(QStringLiteral("顾客姓名")), QStringLiteral("积分客"));
    QCOMPARE(header.text(QStringLiteral("会员卡号")), QStringLiteral("P1"));
    QCOMPARE(header.text(QStringLiteral("手牌号码")), QStringLiteral("A02"));
    QCOMPARE(header.text(QStringLiteral("备注")), QStringLiteral("无"));

    // With the permission, a free bill of a card member: stored, card untouched.
    v.session.permissions.set(Permission::FreeBill, true);
    QCOMPARE(openGroup(db, {QStringLiteral("A03")}, Money::fromUnits(30)), QString());
    TCheckOutFm free(v.session, v.board, QStringLiteral("A03"));
    QVERIFY(free.load());
    lookUp(free, QStringLiteral("P1"));
    chooseCard(free);
    v.prompter.clear();
    QVERIFY(free.MianDan());
    QCOMPARE(v.prompter.texts(), QStringList{QStringLiteral("谢谢光临！")});
    QCOMPARE(db.scalar(QStringLiteral("select 状态 from 结帐管理 where 手牌号码 = ?"),
                       {QStringLiteral("A03")})
                 .toString(),
             QStringLiteral("免单"));
    QCOMPARE(memberBalance(db, QStringLiteral("P1")), Money::fromUnits(500));
    QCOMPARE(memberPoints(db, QStringLiteral("P1")), Money::fromUnits(210));
}

void TestCheckOut::changesElsewhereAreDetected()
{
    Venue v;
    Database& db = v.database();
    openGroupOf110(db);
    std::unique_ptr<Database> other = v.db.openAnother();
    TCheckOutFm screen(v.session, v.board, QStringLiteral("A01"));
    QVERIFY(screen.load());
    screen.setConfirmHook([](TCheckOutInfoFm&) { return true; });

    // A line added at another workstation after loading.
    QVERIFY(
        addLine(*other, QStringLiteral("A02"), goodsNamed(*other, QStringLiteral("可乐"))).stored);
    QVERIFY(!screen.JieZhang());
    QVERIFY(v.prompter.lastText().startsWith(QStringLiteral("该组手牌的消费已经被改变")));
    QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐管理")), 0);
    // The screen read the group again.
    QCOMPARE(screen.receivableText(), QStringLiteral("116"));

    // Another workstation took the shown bill number: the thank-you names the real one.
    const QString shown = screen.billNumber();
    other->exec(QStringLiteral("update 单据号 set 单据号 = ?"), {shown});
    v.prompter.clear();
    QVERIFY(screen.JieZhang());
    const QString used = QString::number(shown.toLongLong() + 1);
    QCOMPARE(v.prompter.lastText(),
             QStringLiteral("谢谢光临！\n单据号%1已被使用,本单单据号为%2").arg(shown, used));
    QCOMPARE(db.scalar(QStringLiteral("select 单据号 from 结帐管理")).toString(), used);

    // A group posted elsewhere takes no further tag.
    QCOMPARE(openGroup(db, {QStringLiteral("A05")}, Money::fromUnits(20)), QString());
    QCOMPARE(openGroup(db, {QStringLiteral("A06")}, Money::fromUnits(20)), QString());
    TCheckOutFm stale(v.session, v.board, QStringLiteral("A05"));
    QVERIFY(stale.load());
    other->exec(QStringLiteral("delete from 手牌开单 where 主手牌号 = ?"), {QStringLiteral("A05")});
    v.prompter.queueInput(QStringLiteral("A06"));
    QVERIFY(!stale.TianJiaHs());
    QCOMPARE(v.prompter.lastText(), QStringLiteral("本组手牌已经结帐或撤单!"));
    QCOMPARE(db.scalar(QStringLiteral("select 主手牌号 from 手牌开单 where 手牌号码 = ?"),
                       {QStringLiteral("A06")})
                 .toString(),
             QStringLiteral("A06"));

    // A tag that another workstation moved out meanwhile is not taken from
    // wherever it is now: nothing is written and the list is read again.
    QCOMPARE(openGroup(db, {QStringLiteral("A01"), QStringLiteral("A02")}, Money::fromUnits(30)),
             QString());
    TCheckOutFm moved(v.session, v.board, QStringLiteral("A01"));
    QVERIFY(moved.load());
    QVERIFY(checkoutgroup::detach(*other, QStringLiteral("A01"), QStringLiteral("A02")));
    QVERIFY(checkoutgroup::join(*other, QStringLiteral("A06"), QStringLiteral("A02")) ==
            checkoutgroup::JoinResult::Joined);
    moved.groupList()->setCurrentItem(
        moved.groupList()->findItems(QStringLiteral("A02"), Qt::MatchExactly)[0]);
    v.prompter.queueAnswer(true);
    QVERIFY(!moved.ShanChuHs());
    QCOMPARE(v.prompter.lastText(), QStringLiteral("手牌A02已经不在本组中!"));
    QCOMPARE(db.scalar(QStringLiteral("select 主手牌号 from 手牌开单 where 手牌号码 = ?"),
                       {QStringLiteral("A02")})
                 .toString(),
             QStringLiteral("A06"));
    QCOMPARE(moved.groupTags(), QStringList{QStringLiteral("A01")});
    QCOMPARE(moved.receivableText(), QStringLiteral("30"));
}

void TestCheckOut::receiptValues()
{
    Venue v;
    Database& db = v.database();
    openGroupOf110(db);
    addMember(db, QStringLiteral("R1"), QStringLiteral("印客"), QStringLiteral("2863"), 40, 3,
              QStringLiteral("银卡"));
    v.session.shopName = QStringLiteral("清泉");
    v.session.shopTel = QStringLiteral("123");
    v.session.shopAddress = QStringLiteral("文二路");
    v.session.checkOutPrtPreview = QStringLiteral("0");
    TCheckOutFm screen(v.session, v.board, QStringLiteral("A02"));
    QVERIFY(screen.load());
    QVERIFY(!screen.previewButton()->isChecked());
    lookUp(screen, QStringLiteral("R1"));
    chooseCard(screen);
    const CheckoutReceipt receipt = screen.receiptValues();
    QCOMPARE(receipt.shopName, QStringLiteral("清泉"));
    QCOMPARE(receipt.shopTel, QStringLiteral("123"));
    QCOMPARE(receipt.shopAddress, QStringLiteral("文二路"));
    QCOMPARE(receipt.tag, QStringLiteral("A02"));
    QCOMPARE(receipt.mainTag, QStringLiteral("A01"));
    QCOMPARE(receipt.memberName, QStringLiteral("印客"));
    QCOMPARE(receipt.billNumber, screen.billNumber());
    QCOMPARE(receipt.entryTime,
             screen.findChild<QLabel*>(QStringLiteral("entryTimeValue"))->text());
    QCOMPARE(receipt.items.size(), 3);
    QCOMPARE(receipt.items[2].name, QStringLiteral("套餐"));
    QCOMPARE(receipt.items[2].quantity, Money::fromUnits(1));
    QCOMPARE(receipt.items[2].unitPrice, Money::fromUnits(50));
    QCOMPARE(receipt.items[2].total, Money::fromUnits(45));
    QCOMPARE(receipt.items[0].total, Money::fromUnits(30));
    QCOMPARE(receipt.consumption, Money::fromUnits(110));
    QCOMPARE(receipt.receivable, Money::fromUnits(105));
    QCOMPARE(receipt.cardDeduction, Money::fromUnits(40));
    QCOMPARE(receipt.received, Money::fromUnits(65));
    QCOMPARE(receipt.cardBalance, Money::fromUnits(40));
    QCOMPARE(receipt.points, Money::fromUnits(3));
    QVERIFY(receipt.paidByCard);
    QCOMPARE(receipt.operatorName, QStringLiteral("收银员甲"));
    QCOMPARE(receipt.discountRateText, QStringLiteral("0.90"));
    QVERIFY(receipt.printedAt.isValid());
    // Printing changes nothing in the database.
    screen.DaYinHs();
    QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐管理")), 0);
}

void TestCheckOut::memberPasswords()
{
    const QString hashed = passwordhash::hash(DefaultMemberPassword);

    // A hashed default password is still recognised and prefilled.
    Venue v;
    Database& db = v.database();
    QCOMPARE(openGroup(db, {QStringLiteral("A01")}, Money::fromUnits(30)), QString());
    addMember(db, QStringLiteral("H1"), QStringLiteral("哈希"), hashed, 0, 0);
    addMember(db, QStringLiteral("H2"), QStringLiteral("秘密"),
              passwordhash::hash(QStringLiteral("abc")), 0, 0);
    addMember(db, QStringLiteral("P1"), QStringLiteral("旧卡"), QStringLiteral("p'1"), 0, 0);
    const auto storedPassword = [&db](const QString& card) {
        return db.scalar(QStringLiteral("select 密码 from 会员管理 where 会员卡号 = ?"), {card})
            .toString();
    };
    TCheckOutFm screen(v.session, v.board, QStringLiteral("A01"));
    QVERIFY(screen.load());
    lookUp(screen, QStringLiteral("H1"));
    QCOMPARE(screen.memberName(), QStringLiteral("哈希"));
    QCOMPARE(storedPassword(QStringLiteral("H1")), hashed);

    // A plain password of an older row: a wrong one changes nothing, the right
    // one identifies the member and is kept as its hash from then on.
    screen.cardEdit()->setText(QStringLiteral("P1"));
    QVERIFY(screen.ChaHuiYuan());
    screen.passwordEdit()->setText(QStringLiteral("P'1"));
    QVERIFY(!screen.ChaHuiYuanMiMa());
    QCOMPARE(storedPassword(QStringLiteral("P1")), QStringLiteral("p'1"));
    lookUp(screen, QStringLiteral("P1"), QStringLiteral("p'1"));
    QCOMPARE(screen.memberName(), QStringLiteral("旧卡"));
    QVERIFY(passwordhash::verify(storedPassword(QStringLiteral("P1")), QStringLiteral("p'1")));
    screen.cardEdit()->setText(QStringLiteral("H2"));
    screen.passwordEdit()->clear();
    QVERIFY(screen.ChaHuiYuan());
    QVERIFY(screen.passwordEdit()->text().isEmpty());
    screen.passwordEdit()->setText(QStringLiteral("abc"));
    QVERIFY(screen.ChaHuiYuanMiMa());
    QCOMPARE(screen.memberName(), QStringLiteral("秘密"));
}

void TestCheckOut::screenReadersHearTheAmounts()
{
    Venue v;
    Database& db = v.database();
    openGroupOf110(db);
    TCheckOutFm screen(v.session, v.board, QStringLiteral("A02"));
    QVERIFY(screen.load());
    auto label = [&screen](const char* name) {
        return screen.findChild<QLabel*>(QLatin1String(name));
    };

    // Value labels: the value is read, the caption names it once.
    const struct
    {
        const char* objectName;
        const char* caption;
        const char* shown;
    } fields[] = {
        {"tagValue", "结帐手牌:", "A02"},           {"guestNameValue", "顾客姓名:", "散客"},
        {"memberCardValue", "会员卡号:", "非会员"}, {"cardBalanceValue", "卡内金额:", "0"},
        {"consumptionValue", "消费金额:", "110"},   {"receivableValue", "应收金额:", "110"},
    };
    for (const auto& field : fields) {
        QVERIFY2(label(field.objectName), field.objectName);
        const Heard value = heard(label(field.objectName));
        QCOMPARE(value.name, QString::fromUtf8(field.shown));
        QCOMPARE(value.labels.count(QString::fromUtf8(field.caption)), 1);
    }
    // The deduction has no caption on the screen; it still says what it is.
    const Heard deduction = heard(label("cardDeductionValue"));
    QCOMPARE(deduction.name, QStringLiteral("0"));
    QCOMPARE(deduction.description, QStringLiteral("卡内扣除"));

    // Inputs keep their caption as their name and are read with their text.
    const Heard received = heard(screen.receivedEdit());
    QCOMPARE(received.name, QStringLiteral("实收金额:"));
    QCOMPARE(received.value, QStringLiteral("110"));
    QCOMPARE(heard(screen.cardEdit()).name, QStringLiteral("会员卡号:"));

    // The confirmation screen reads its three amounts.
    TCheckOutInfoFm confirmation;
    confirmation.fill(QStringLiteral("110"), QStringLiteral("60"), QStringLiteral("50"));
    const struct
    {
        const char* objectName;
        const char* caption;
        const char* shown;
    } confirmed[] = {
        {"receivableValue", "应收金额:", "110"},
        {"receivedValue", "实收金额:", "60"},
        {"cardDeductionValue", "卡内扣除:", "50"},
    };
    for (const auto& field : confirmed) {
        auto* amount = confirmation.findChild<QLabel*>(QLatin1String(field.objectName));
        QVERIFY2(amount, field.objectName);
        const Heard value = heard(amount);
        QCOMPARE(value.name, QString::fromUtf8(field.shown));
        QCOMPARE(value.labels.count(QString::fromUtf8(field.caption)), 1);
    }
}

QTEST_MAIN(TestCheckOut)
#include "tst_checkout.moc"
