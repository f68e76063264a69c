#include "StaffTestKit.h"
#include "TestHome.h"
#include "app/Session.h"
#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "staff/FaGongZiUt.h"
#include "staff/FwsGlUt.h"
#include "staff/FwsTcMxUt.h"
#include "staff/FwsTcTjUt.h"
#include "staff/StaffSearchBar.h"
#include "staff/YgDjUt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

namespace {

struct Desk
{
    ScriptedPrompter prompter;
    SeededDatabase base;
    Session session;

    Desk()
    {
        session.start(writeSystemIni(base));
        session.operatorName = QStringLiteral("收银员甲");
        session.permissions = Permissions::all();
    }
    Database& db() { return session.database(); }
};

const Payee Zhao{QStringLiteral("E1"), QStringLiteral("赵一"), QStringLiteral("技师")};

} // namespace

class TestStaffScreens : public QObject
{
    Q_OBJECT

private slots:
    void payScreenShowsAndRecomputes()
    {
        Desk desk;
        addGrade(desk.db(), QStringLiteral("技师"), 2000);
        addEmployee(desk.db(), Zhao.code, Zhao.name, Zhao.grade);
        addPostedLine(desk.db(), Zhao.code, money(QStringLiteral("30")));
        addPostedLine(desk.db(), Zhao.code, money(QStringLiteral("15.5")));

        TFaGongZiFm pay(desk.session, Zhao);
        QCOMPARE(pay.commissionBox()->text(), QStringLiteral("45.5"));
        QCOMPARE(pay.totalBox()->text(), QStringLiteral("2045.5"));
        QCOMPARE(pay.remarkBox()->toPlainText(), QStringLiteral(" 基本工资  提成 "));
        pay.wageCheck()->click();
        QCOMPARE(pay.totalBox()->text(), QStringLiteral("45.5"));
        QCOMPARE(pay.remarkBox()->toPlainText(), QStringLiteral(" 提成 "));
        pay.wageCheck()->click();

        // A line posted meanwhile: refused, the figures read again, nothing written.
        addPostedLine(desk.db(), Zhao.code, money(QStringLiteral("4.5")));
        pay.Pay();
        QCOMPARE(desk.prompter.lastText(),
                 QStringLiteral("提成金额已有变化,已重新计算,请核对后再发放!"));
        QCOMPARE(pay.commissionBox()->text(), QStringLiteral("50"));
        QCOMPARE(pay.totalBox()->text(), QStringLiteral("2050"));
        QCOMPARE(countOf(desk.db(), QStringLiteral("select count(*) from 员工工资表")), 0);
        QVERIFY(pay.result() != QDialog::Accepted);

        pay.Pay();
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("完成"));
        QCOMPARE(pay.result(), int(QDialog::Accepted));
        QCOMPARE(countOf(desk.db(), QStringLiteral("select count(*) from 员工工资表")), 1);
    }

    void payScreenRefusals()
    {
        Desk desk;
        addGrade(desk.db(), QStringLiteral("学徒"), 0);
        {
            TFaGongZiFm pay(desk.session,
                            {QStringLiteral("E9"), QStringLiteral("钱九"), QStringLiteral("学徒")});
            QCOMPARE(pay.totalBox()->text(), QStringLiteral("0"));
            pay.Pay();
            QCOMPARE(desk.prompter.lastText(), QStringLiteral("不能发零!"));
        }
        {
            TFaGongZiFm pay(desk.session, {QStringLiteral("E9"), QStringLiteral("钱九"),
                                           QStringLiteral("无此等级")});
            QCOMPARE(desk.prompter.lastText(),
                     QStringLiteral("没有找到该员工的员工等级的工资,请先添加好对应的员工等级!"));
            QVERIFY(!pay.payButton()->isEnabled());
            QCOMPARE(pay.paymentGrid()->recordCount(), 0);
        }
        // A failing commission query is reported and nothing can be paid.
        desk.db().exec(QStringLiteral("drop table 结帐明细"));
        desk.prompter.clear();
        TFaGongZiFm broken(desk.session,
                           {QStringLiteral("E9"), QStringLiteral("钱九"), QStringLiteral("学徒")});
        QCOMPARE(desk.prompter.shown().size(), 1);
        QCOMPARE(desk.prompter.shown().first().kind, Prompter::Kind::Error);
        QVERIFY(!broken.payButton()->isEnabled());
        QCOMPARE(broken.commissionBox()->text(), QStringLiteral("0"));
    }

    void employeeListCommands()
    {
        Desk desk;
        TFwsGlFm list(desk.session);
        int opened = 0;
        list.setModalRunner([&](QDialog&) {
            ++opened;
            return int(QDialog::Rejected);
        });
        const qint64 listed = list.grid()->recordCount();
        QVERIFY(listed > 0);
        QCOMPARE(list.grid()->footerText(QStringLiteral("员工编号")), QString::number(listed));

        // No to the question: nothing deleted, and the list shows a row added meanwhile.
        addEmployee(desk.db(), QStringLiteral("E77"), QStringLiteral("新人"), QString());
        list.Delete();
        QCOMPARE(desk.prompter.unanswered(), 1);
        QVERIFY(desk.prompter.lastText().startsWith(QStringLiteral("您是否要删除\" ")));
        QCOMPARE(list.grid()->recordCount(), listed + 1);

        // An employee without a grade cannot be paid.
        QVERIFY(list.grid()->selectByKey(QStringLiteral("员工编号"), QStringLiteral("E77")));
        list.PayWage();
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("请先为该员工设置好员工等级后才能操作!"));
        QCOMPARE(opened, 0);

        // Yes deletes; the list follows.
        desk.prompter.queueAnswer(true);
        list.Delete();
        QCOMPARE(list.grid()->recordCount(), listed);

        // Without a current employee, change, delete and pay do nothing.
        desk.db().exec(QStringLiteral("delete from 员工管理"));
        list.Refresh();
        desk.prompter.clear();
        list.Change();
        list.Delete();
        list.PayWage();
        QCOMPARE(opened, 0);
        QVERIFY(desk.prompter.shown().isEmpty());
    }

    void statisticsAndDetailScreens()
    {
        Desk desk;
        addPostedLine(desk.db(), QStringLiteral("E1"), money(QStringLiteral("6")),
                      QStringLiteral("1"), QDateTime(QDate(2001, 3, 4), QTime(8, 0)));
        TFwsTcTjFm totals(desk.session);
        // The opening covers every date; the pickers start on today.
        QCOMPARE(totals.grid()->recordCount(), 1);
        QCOMPARE(totals.fromDate()->date(), QDate::currentDate());
        totals.Query();
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("没有找到符合条件的记录"));
        QCOMPARE(totals.grid()->recordCount(), 0);
        totals.fromDate()->setDate(QDate(2001, 3, 5));
        totals.toDate()->setDate(QDate(2001, 3, 4));
        totals.Query();
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("起始日期不能大于终止日期,请重新选择!"));
        totals.fromDate()->setDate(QDate(2001, 3, 4));
        desk.prompter.clear();
        totals.Query();
        QCOMPARE(totals.grid()->recordCount(), 1);
        QVERIFY(desk.prompter.shown().isEmpty());

        TFwsTcMxFm detail(desk.session);
        QCOMPARE(detail.grid()->recordCount(), 1);
        detail.Query();
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("请认真填写查询条件"));
        detail.searchBar()->selector()->setEditText(QStringLiteral("tcyf=tcyf or 1"));
        detail.searchBar()->valueBox()->setText(QStringLiteral("1"));
        detail.Query();
        QVERIFY(desk.prompter.lastText().contains(QStringLiteral("tcyf=tcyf or 1")));
        QCOMPARE(detail.grid()->recordCount(), 1);
        detail.searchBar()->selector()->setEditText(QStringLiteral("员工编号"));
        detail.searchBar()->valueBox()->setText(QStringLiteral("E2"));
        detail.Query();
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("没有找到符合条件的记录"));
    }

    void gradeScreenModes()
    {
        Desk desk;
        TYgDjFm grades(desk.session);
        auto* save = grades.findChild<QPushButton*>(QStringLiteral("saveButton"));
        auto* add = grades.findChild<QPushButton*>(QStringLiteral("addButton"));
        QVERIFY(!save->isEnabled() && add->isEnabled());
        grades.Add();
        QCOMPARE(grades.mode(), EditModes::Mode::Adding);
        QVERIFY(save->isEnabled() && !add->isEnabled());
        grades.Save();
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("不能为空!"));
        QCOMPARE(grades.mode(), EditModes::Mode::Adding);
        grades.nameBox()->setText(QStringLiteral("服务员"));
        grades.Save();
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("错误:请检查是否有重名记录!"));
        QCOMPARE(grades.mode(), EditModes::Mode::Adding);
        grades.Cancel();
        QCOMPARE(grades.mode(), EditModes::Mode::Browsing);
        // Escape does not leave a pending change.
        grades.Change();
        grades.reject();
        QCOMPARE(grades.mode(), EditModes::Mode::Changing);
    }
};

QTEST_MAIN(TestStaffScreens)
#include "tst_staffscreens.moc"
