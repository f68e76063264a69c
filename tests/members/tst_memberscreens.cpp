#include "MemberTestKit.h"
#include "common/DataGrid.h"
#include "members/ChongZhiRecordUt.h"
#include "members/ChongZhiUt.h"
#include "members/HyChangePassUt.h"
#include "members/MemBerTypeUt.h"
#include "members/MemberAddUt.h"
#include "members/MemberEditUt.h"
#include "members/MemberUt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

class TestMemberScreens : public QObject
{
    Q_OBJECT

private slots:
    void memberListCommands()
    {
        Desk desk;
        addMemberRow(desk.db(), QStringLiteral("A001"), QStringLiteral("张三"),
                     QStringLiteral("50"));
        addMemberRow(desk.db(), QStringLiteral("A002"), QStringLiteral("李四"),
                     QStringLiteral("0"));

        TMemberFm list(desk.session);
        QStringList opened;
        list.setModalRunner([&](QDialog& dialog) {
            opened << dialog.objectName();
            return int(QDialog::Rejected);
        });
        QVERIFY(!list.grid()->model()->fieldNames().contains(QStringLiteral("密码")));
        QCOMPARE(list.grid()->footerText(QStringLiteral("会员卡号")), QStringLiteral("2"));
        QCOMPARE(list.grid()->footerText(QStringLiteral("卡内金额")), QStringLiteral("50.00"));
        QCOMPARE(list.columnBox()->currentText(), QStringLiteral("会员卡号"));

        list.Search();
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("请填写查询条件!"));
        list.columnBox()->setCurrentText(QStringLiteral("会员姓名"));
        list.searchBox()->setText(QStringLiteral("张"));
        list.Search();
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("没有找到符合条件的数据."));
        QCOMPARE(list.grid()->recordCount(), 0);
        // "修改" with nothing listed opens nothing.
        list.Change();
        QVERIFY(opened.isEmpty());
        list.columnBox()->setCurrentText(QStringLiteral("密码"));
        list.searchBox()->setText(QStringLiteral("2863"));
        list.Search();
        QCOMPARE(desk.prompter.lastText(),
                 QStringLiteral("\"密码\"不是会员资料的列名,请重新选择要查询的列!"));

        list.ShowAll();
        QVERIFY(list.grid()->selectByKey(QStringLiteral("会员卡号"), QStringLiteral("A001")));
        desk.prompter.clear();
        list.Delete();
        QCOMPARE(desk.prompter.unanswered(), 1); // the question, answered No
        desk.prompter.queueAnswer(true);
        list.Delete();
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("该会员卡内还有余额,不能删除!"));
        QVERIFY(list.grid()->selectByKey(QStringLiteral("会员卡号"), QStringLiteral("A002")));
        desk.prompter.queueAnswer(true);
        list.Delete();
        QCOMPARE(list.grid()->recordCount(), 1);

        QVERIFY(list.grid()->selectByKey(QStringLiteral("会员卡号"), QStringLiteral("A001")));
        list.Change();
        list.Recharge();
        list.Add();
        QCOMPARE(opened,
                 (QStringList{QStringLiteral("TMemberEditFm"), QStringLiteral("TChongZhiFm"),
                              QStringLiteral("TMemberAddFm")}));

        // Without the permission nothing is asked.
        desk.session.permissions.set(Permission::DeleteMember, false);
        desk.prompter.clear();
        list.Delete();
        QCOMPARE(desk.prompter.texts(), QStringList{QStringLiteral("没有该权限!")});
        QCOMPARE(countOf(desk.db(), QStringLiteral("select count(*) from 会员管理")), 1);
    }

    void rechargeFromTheListShowsTheNewBalance()
    {
        Desk desk;
        addMemberRow(desk.db(), QStringLiteral("A001"), QStringLiteral("张三"),
                     QStringLiteral("50"));
        addMemberRow(desk.db(), QStringLiteral("A002"), QStringLiteral("李四"),
                     QStringLiteral("0"));
        TMemberFm list(desk.session);
        QVERIFY(list.grid()->selectByKey(QStringLiteral("会员卡号"), QStringLiteral("A002")));
        QStringList shown;
        list.setModalRunner([&](QDialog& dialog) {
            auto* screen = qobject_cast<TChongZhiFm*>(&dialog);
            shown << screen->balanceBox()->text() << screen->operatorLabel()->text();
            // The field takes digits and the point only.
            QTest::keyClicks(screen->amountBox(), QStringLiteral("-1a2.5"));
            shown << screen->amountBox()->text();
            // A checkout on another workstation meanwhile.
            desk.db().exec(QStringLiteral("update 会员管理 set 卡内金额 = 卡内金额 - 40000 where "
                                          "会员卡号 = 'A002'"));
            screen->Recharge();
            return screen->result();
        });
        list.Recharge();
        QCOMPARE(shown, (QStringList{QStringLiteral("0"), QStringLiteral("营业员: 收银员甲"),
                                     QStringLiteral("12.5")}));
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("充值成功！"));
        QCOMPARE(list.grid()->currentValue(QStringLiteral("会员卡号")).toString(),
                 QStringLiteral("A002"));
        QCOMPARE(stored::toMoney(list.grid()->currentValue(QStringLiteral("卡内金额"))),
                 *Money::parse(u"8.5"));

        TChongZhiFm empty(desk.session, {});
        empty.amountBox()->setText(QStringLiteral("10"));
        empty.Recharge();
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("请先输入会员卡号并按回车键！"));
    }

    void addAndEditScreens()
    {
        Desk desk;
        addMemberRow(desk.db(), QStringLiteral("B002"), QStringLiteral("李四"),
                     QStringLiteral("50"));
        {
            TMemberAddFm add(desk.session);
            QCOMPARE(add.windowTitle(), QStringLiteral("添加会员   (初始密码默认2863)"));
            QCOMPARE(add.typeBox()->currentText(), QStringLiteral("银卡"));
            QCOMPARE(add.sexBox()->currentText(), QStringLiteral("男"));
            QCOMPARE(add.birthBox()->date(), QDate(2006, 6, 3));
            QCOMPARE(add.remarkBox()->toPlainText(), QStringLiteral("无"));

            // "写卡" refuses a number another member has.
            add.cardBox()->setText(QStringLiteral(" B002"));
            add.WriteCard();
            QCOMPARE(desk.prompter.lastText(), QStringLiteral("会员卡号有重复，请换其他号码！"));

            add.nameBox()->setText(QStringLiteral("王五"));
            add.sexBox()->setCurrentIndex(1);
            add.phoneBox()->setText(QStringLiteral("139"));
            add.Clear();
            QCOMPARE(add.cardBox()->text(), QString());
            QCOMPARE(add.nameBox()->text(), QString());
            QCOMPARE(add.sexBox()->currentText(), QStringLiteral("男"));
            QCOMPARE(add.typeBox()->currentText(), QStringLiteral("银卡"));

            add.cardBox()->setText(QStringLiteral("C003"));
            add.nameBox()->setText(QStringLiteral("王五"));
            add.typeBox()->setCurrentText(QStringLiteral("金卡"));
            add.Save();
            QCOMPARE(desk.prompter.lastText(), QStringLiteral("保存成功!"));
            QCOMPARE(add.result(), int(QDialog::Accepted));
            QCOMPARE(add.savedCard(), QStringLiteral("C003"));
        }
        Rows added =
            desk.db().query(QStringLiteral("select * from 会员管理 where 会员卡号 = 'C003'"));
        QVERIFY(added.next());
        QCOMPARE(added.text(QStringLiteral("会员类型")), QStringLiteral("金卡"));
        QCOMPARE(added.dateTime(QStringLiteral("出生日期")).date(), QDate(2006, 6, 3));
        QCOMPARE(added.text(QStringLiteral("备注")), QStringLiteral("无"));

        TMemberEditFm edit(desk.session, QStringLiteral("B002"));
        QCOMPARE(edit.balanceBox()->text(), QStringLiteral("50"));
        QVERIFY(edit.balanceBox()->isReadOnly());
        edit.nameBox()->setText(QStringLiteral("李四四"));
        desk.session.permissions.set(Permission::EditMember, false);
        edit.Save();
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("没有权限!"));
        desk.session.permissions.set(Permission::EditMember, true);
        // A recharge after the screen read the row: the edit leaves it counted.
        desk.db().exec(
            QStringLiteral("update 会员管理 set 卡内金额 = 80 * 10000 where 会员卡号 = 'B002'"));
        edit.cardBox()->setText(QStringLiteral("C003"));
        edit.Save();
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("会员卡号有重复，请换其他号码！"));
        edit.cardBox()->setText(QStringLiteral("B002"));
        edit.Save();
        QCOMPARE(edit.result(), int(QDialog::Accepted));
        QCOMPARE(balanceOf(desk.db(), QStringLiteral("B002")), Money::fromUnits(80));
        QCOMPARE(
            desk.db()
                .scalar(QStringLiteral("select 会员姓名 from 会员管理 where 会员卡号 = 'B002'"))
                .toString(),
            QStringLiteral("李四四"));
    }

    void typeScreenModes()
    {
        Desk desk;
        addMemberRow(desk.db(), QStringLiteral("A001"), QStringLiteral("张三"), QStringLiteral("0"),
                     QStringLiteral("金卡"));
        TMemBerTypeFm types(desk.session);
        QCOMPARE(types.grid()->recordCount(), 2);
        QCOMPARE(types.nameBox()->text(), QStringLiteral("银卡"));
        QCOMPARE(types.rateBox()->text(), QStringLiteral("0.9"));
        auto* add = types.findChild<QPushButton*>(QStringLiteral("addButton"));
        auto* close = types.findChild<QPushButton*>(QStringLiteral("closeButton"));

        types.Add();
        QVERIFY(!add->isEnabled());
        QVERIFY(!close->isEnabled());
        types.nameBox()->setText(QStringLiteral("铜卡"));
        types.rateBox()->setText(QStringLiteral("八折"));
        types.Save();
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("打折率必须是0到10之间的数字!"));
        QCOMPARE(types.mode(), EditModes::Mode::Adding);
        types.rateBox()->setText(QStringLiteral("0.95"));
        types.Save();
        QCOMPARE(types.mode(), EditModes::Mode::Browsing);
        QVERIFY(add->isEnabled());
        QCOMPARE(types.grid()->recordCount(), 3);
        QCOMPARE(types.grid()->currentValue(QStringLiteral("类型名称")).toString(),
                 QStringLiteral("铜卡"));

        // Typing into the fields changes the current type; its members follow.
        QVERIFY(types.grid()->selectByKey(QStringLiteral("类型名称"), QStringLiteral("金卡")));
        types.nameBox()->clear();
        QTest::keyClicks(types.nameBox(), QStringLiteral("VIP"));
        QCOMPARE(types.mode(), EditModes::Mode::Changing);
        QVERIFY(!close->isEnabled());
        types.Save();
        QCOMPARE(desk.db().scalar(QStringLiteral("select 会员类型 from 会员管理")).toString(),
                 QStringLiteral("VIP"));

        desk.prompter.queueAnswer(true);
        types.Delete();
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("该类型下还有会员,不能删除!"));
        QCOMPARE(types.grid()->recordCount(), 3);
    }

    void recordAndPasswordScreens()
    {
        Desk desk;
        addMemberRow(desk.db(), QStringLiteral("A001"), QStringLiteral("张三"), QStringLiteral("0"),
                     QStringLiteral("银卡"), QStringLiteral("1111"));
        desk.db().exec(QStringLiteral("insert into 会员充值 (会员卡号, 会员姓名, 充值金额) values "
                                      "('A001', '张三', 1000000), ('A002', '张三丰', 20000)"));
        TChongZhiRecordFm records(desk.session);
        QCOMPARE(records.grid()->recordCount(), 2);
        QCOMPARE(records.grid()->footerText(QStringLiteral("充值金额")), QStringLiteral("102.00"));
        records.columnBox()->setCurrentText(QStringLiteral("会员姓名"));
        records.searchBox()->setText(QStringLiteral(" 张三 "));
        records.Query();
        QCOMPARE(records.grid()->recordCount(), 1);
        records.searchBox()->setText(QStringLiteral("张"));
        records.Query();
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("没有符合条件的记录!"));

        THYChangePassFm screen(desk.session);
        screen.cardBox()->setText(QStringLiteral("A001"));
        // Closing the question without Yes resets nothing.
        screen.Reset();
        QCOMPARE(passwordOf(desk.db(), QStringLiteral("A001")), QStringLiteral("1111"));
        QCOMPARE(desk.prompter.shown().last().text,
                 QStringLiteral("您是否要给会员卡号为\" A001\" 的会员重置初始密码?"));
        desk.prompter.clear();
        desk.prompter.queueAnswer(true);
        screen.Reset();
        QCOMPARE(desk.prompter.shown().size(), 1); // the question alone
        QVERIFY(passwordhash::verify(passwordOf(desk.db(), QStringLiteral("A001")),
                                     QStringLiteral("2863")));
        QCOMPARE(countOf(desk.db(), QStringLiteral("select count(*) from 日志")), 1);

        desk.session.permissions.set(Permission::EditMember, false);
        screen.Reset();
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("没有权限"));

        screen.oldBox()->setText(QStringLiteral("2863"));
        screen.newBox()->setText(QStringLiteral("4321"));
        screen.confirmBox()->setText(QStringLiteral("4321"));
        screen.Save();
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("修改成功！"));
        QVERIFY(passwordhash::verify(passwordOf(desk.db(), QStringLiteral("A001")),
                                     QStringLiteral("4321")));
        QCOMPARE(screen.oldBox()->echoMode(), QLineEdit::Password);
    }
};

QTEST_MAIN(TestMemberScreens)
#include "tst_memberscreens.moc"
