#include "StaffTestKit.h"
#include "staff/WagePayment.h"

#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

namespace {

const Payee Zhao{QStringLiteral("E1"), QStringLiteral("赵一"), QStringLiteral("技师")};
const QDateTime PaidAt(QDate(2024, 6, 1), QTime(18, 30, 5));

struct Setup
{
    SeededDatabase base;
    Database& db = base.database();

    Setup()
    {
        addGrade(db, QStringLiteral("技师"), 2000);
        addEmployee(db, Zhao.code, Zhao.name, Zhao.grade);
        addPostedLine(db, Zhao.code, money(QStringLiteral("30")));
        addPostedLine(db, Zhao.code, money(QStringLiteral("15.5")));
        addPostedLine(db, Zhao.code, money(QStringLiteral("99")), QStringLiteral("1"));
        addPostedLine(db, QStringLiteral("E2"), money(QStringLiteral("7")));
    }

    PayRequest request(const PayFigures& figures, bool wage = true, bool commission = true)
    {
        PayRequest r;
        r.payWage = wage;
        r.payCommission = commission;
        r.wage = figures.wage;
        r.commission = figures.commission;
        r.remark = WagePayment::remarkFor(wage, commission);
        r.operatorName = QStringLiteral("收银员甲");
        r.paidAt = PaidAt;
        return r;
    }

    qint64 unpaid(const QString& code)
    {
        return countOf(
            db, QStringLiteral("select count(*) from 结帐明细 where 员工编号 = ? and tcyf = ?"),
            {code, QStringLiteral("0")});
    }
    qint64 wageRows() { return countOf(db, QStringLiteral("select count(*) from 员工工资表")); }
};

} // namespace

class TestWagePayment : public QObject
{
    Q_OBJECT

private slots:
    void figuresTotalsAndRefusals()
    {
        Setup s;
        WagePayment payment(s.db, Zhao);
        const PayFigures figures = payment.figures();
        QCOMPARE(figures.status, PayFigures::Status::Ready);
        QCOMPARE(figures.wage, Money::fromUnits(2000));
        QCOMPARE(figures.commission, money(QStringLiteral("45.5")));
        QCOMPARE(WagePayment::total(true, figures.wage, true, figures.commission).toString(),
                 QStringLiteral("2045.5"));
        QCOMPARE(WagePayment::total(false, figures.wage, true, figures.commission),
                 money(QStringLiteral("45.5")));
        QCOMPARE(WagePayment::remarkFor(false, true), QStringLiteral(" 提成 "));
        QCOMPARE(WagePayment::remarkFor(true, true), QStringLiteral(" 基本工资  提成 "));
        QCOMPARE(WagePayment::remarkFor(false, false), QString());

        // A grade nobody defined cannot be paid.
        const PayFigures lost =
            WagePayment(s.db, {Zhao.code, Zhao.name, QStringLiteral("无此等级")}).figures();
        QCOMPARE(lost.status, PayFigures::Status::GradeMissing);
        QVERIFY(lost.error.contains(QStringLiteral("没有找到该员工的员工等级的工资")));

        // Wage 0 and no lines: nothing to pay.
        addGrade(s.db, QStringLiteral("学徒"), 0);
        WagePayment apprentice(
            s.db, {QStringLiteral("E9"), QStringLiteral("钱九"), QStringLiteral("学徒")});
        const PayFigures none = apprentice.figures();
        QCOMPARE(none.status, PayFigures::Status::Ready);
        QCOMPARE(none.commission, Money());
        const PayOutcome zero = apprentice.pay(s.request(none));
        QCOMPARE(zero.status, PayOutcome::Status::ZeroTotal);
        QCOMPARE(zero.message, QStringLiteral("不能发零!"));

        // Returned services can leave the commission below zero.
        addPostedLine(s.db, QStringLiteral("E9"), money(QStringLiteral("-20")));
        const PayOutcome negative = apprentice.pay(s.request(apprentice.figures()));
        QCOMPARE(negative.status, PayOutcome::Status::NegativeTotal);
        QCOMPARE(negative.message, QStringLiteral("实发金额不能为负数!"));
        QCOMPARE(s.wageRows(), 0);
        QCOMPARE(s.unpaid(QStringLiteral("E9")), 1);
    }

    void payingMarksExactlyThePaidLines()
    {
        Setup s;
        WagePayment payment(s.db, Zhao);

        // Wage only: no line is touched and the commission waits for the next payment.
        const PayOutcome wageOnly = payment.pay(s.request(payment.figures(), true, false));
        QCOMPARE(wageOnly.status, PayOutcome::Status::Paid);
        QCOMPARE(s.unpaid(Zhao.code), 2);
        QCOMPARE(payment.figures().commission, money(QStringLiteral("45.5")));

        const PayOutcome both = payment.pay(s.request(payment.figures()));
        QCOMPARE(both.status, PayOutcome::Status::Paid);
        QCOMPARE(both.message, QStringLiteral("完成"));
        QCOMPARE(s.unpaid(Zhao.code), 0);
        QCOMPARE(s.unpaid(QStringLiteral("E2")), 1);
        QCOMPARE(countOf(s.db, QStringLiteral("select count(*) from 结帐明细 where tcyf = ?"),
                         {QStringLiteral("1")}),
                 3);
        QCOMPARE(payment.figures().commission, Money());

        Rows rows = s.db.query(QStringLiteral("select * from 员工工资表 order by id"));
        QVERIFY(rows.next());
        QCOMPARE(rows.money(QStringLiteral("工资")), Money::fromUnits(2000));
        QCOMPARE(rows.money(QStringLiteral("提成")), Money());
        QCOMPARE(rows.money(QStringLiteral("合计")), Money::fromUnits(2000));
        QCOMPARE(rows.text(QStringLiteral("备注")), QStringLiteral(" 基本工资 "));
        QVERIFY(rows.next());
        QCOMPARE(rows.text(QStringLiteral("员工编号")), Zhao.code);
        QCOMPARE(rows.text(QStringLiteral("员工姓名")), Zhao.name);
        QCOMPARE(rows.text(QStringLiteral("员工等级")), Zhao.grade);
        QCOMPARE(rows.dateTime(QStringLiteral("日期")), PaidAt);
        QCOMPARE(rows.money(QStringLiteral("提成")), money(QStringLiteral("45.5")));
        QCOMPARE(rows.money(QStringLiteral("合计")), money(QStringLiteral("2045.5")));
        QCOMPARE(rows.text(QStringLiteral("登记人")), QStringLiteral("收银员甲"));
        QVERIFY(!rows.next());
    }

    void changedCommissionIsRefusedAndNothingWritten()
    {
        Setup s;
        WagePayment payment(s.db, Zhao);
        const PayFigures opened = payment.figures();

        // Another workstation posts a line for the employee after the screen opened.
        auto other = s.base.openAnother();
        addPostedLine(*other, Zhao.code, money(QStringLiteral("8")));
        const PayOutcome refused = payment.pay(s.request(opened));
        QCOMPARE(refused.status, PayOutcome::Status::CommissionChanged);
        QCOMPARE(refused.message, QStringLiteral("提成金额已有变化,已重新计算,请核对后再发放!"));
        QCOMPARE(s.unpaid(Zhao.code), 3);
        QCOMPARE(s.wageRows(), 0);

        // Two workstations pay the same employee from the same figures: one pays.
        const PayFigures fresh = payment.figures();
        QCOMPARE(fresh.commission, money(QStringLiteral("53.5")));
        WagePayment elsewhere(*other, Zhao);
        QCOMPARE(elsewhere.pay(s.request(elsewhere.figures())).status, PayOutcome::Status::Paid);
        QCOMPARE(payment.pay(s.request(fresh)).status, PayOutcome::Status::CommissionChanged);
        QCOMPARE(s.wageRows(), 1);
        QCOMPARE(s.unpaid(Zhao.code), 0);
    }

    void failuresLeaveEverythingUnpaid()
    {
        Setup s;
        WagePayment payment(s.db, Zhao);
        const PayFigures opened = payment.figures();
        // The wage row cannot be stored: the marked lines must go back to unpaid.
        s.db.exec(QStringLiteral("drop table 员工工资表"));
        const PayOutcome failed = payment.pay(s.request(opened));
        QCOMPARE(failed.status, PayOutcome::Status::Failed);
        QVERIFY(!failed.message.isEmpty());
        QCOMPARE(s.unpaid(Zhao.code), 2);

        // A failing commission query is reported, never shown as 0.
        s.db.exec(QStringLiteral("drop table 结帐明细"));
        const PayFigures broken = payment.figures();
        QCOMPARE(broken.status, PayFigures::Status::Failed);
        QVERIFY(!broken.error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestWagePayment)
#include "tst_wagepayment.moc"
