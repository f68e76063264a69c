#include "StaffTestKit.h"
#include "staff/StaffRegister.h"

#include <QTest>

using namespace shoupai;
using namespace shoupai::test;
namespace reg = shoupai::staffregister;

namespace {

EmployeeRecord employee(const QString& code, const QString& name, const QString& grade)
{
    EmployeeRecord r;
    r.code = code;
    r.name = name;
    r.sex = QStringLiteral("男");
    r.grade = grade;
    return r;
}

qint64 gradeKey(Database& db, const QString& name)
{
    return db.scalar(QStringLiteral("select 等级编号 from 员工等级 where 等级名称 = ?"), {name})
        .toLongLong();
}

} // namespace

class TestStaffRegister : public QObject
{
    Q_OBJECT

private slots:
    void employeeInputIsCheckedAndTrimmed()
    {
        SeededDatabase base;
        Database& db = base.database();
        QCOMPARE(reg::saveEmployee(db, employee(QStringLiteral("  E7 "), QStringLiteral(" 孙七 "),
                                                QStringLiteral("服务员")))
                     .done,
                 true);
        QCOMPARE(db.scalar(QStringLiteral("select 员工姓名 from 员工管理 where 员工编号 = ?"),
                           {QStringLiteral("E7")})
                     .toString(),
                 QStringLiteral("孙七"));

        const RegisterOutcome twice = reg::saveEmployee(
            db, employee(QStringLiteral("E7"), QStringLiteral("另一人"), QStringLiteral("服务员")));
        QVERIFY(!twice.done);
        QCOMPARE(twice.message, QStringLiteral("员工编号已存在!"));

        for (const QString& code :
             {QStringLiteral("n"), QStringLiteral("无"), QStringLiteral("取消")}) {
            const RegisterOutcome reserved = reg::saveEmployee(
                db, employee(code, QStringLiteral("某人"), QStringLiteral("服务员")));
            QCOMPARE(reserved.message, QStringLiteral("该编号是系统保留的,不能使用!"));
        }
        const RegisterOutcome blank = reg::saveEmployee(
            db, employee(QStringLiteral("E8"), QStringLiteral("   "), QStringLiteral("服务员")));
        QCOMPARE(blank.message, QStringLiteral("编号 姓名 等级必须填写！"));
        QCOMPARE(
            countOf(db,
                    QStringLiteral("select count(*) from 员工管理 where 员工编号 in (?, ?, ?, ?)"),
                    {QStringLiteral("n"), QStringLiteral("无"), QStringLiteral("取消"),
                     QStringLiteral("E8")}),
            0);
    }

    void employeesHoldingMoneyStay()
    {
        SeededDatabase base;
        Database& db = base.database();
        reg::saveEmployee(
            db, employee(QStringLiteral("E1"), QStringLiteral("赵一"), QStringLiteral("服务员")));
        addPostedLine(db, QStringLiteral("E1"), money(QStringLiteral("12")));
        const QString refusal = QStringLiteral("该员工还有未结帐的消费或未发的提成,不能删除!");
        QCOMPARE(reg::deleteEmployee(db, QStringLiteral("E1")).message, refusal);
        QCOMPARE(reg::saveEmployee(db,
                                   employee(QStringLiteral("E9"), QStringLiteral("赵一"),
                                            QStringLiteral("服务员")),
                                   QStringLiteral("E1"))
                     .message,
                 refusal);
        // Other fields may still change while the code stays.
        QVERIFY(reg::saveEmployee(db,
                                  employee(QStringLiteral("E1"), QStringLiteral("赵壹"),
                                           QStringLiteral("服务员")),
                                  QStringLiteral("E1"))
                    .done);

        // Once paid, the employee can go; the lines keep the code as text.
        db.exec(QStringLiteral("update 结帐明细 set tcyf = ?"), {QStringLiteral("1")});
        QVERIFY(reg::deleteEmployee(db, QStringLiteral("E1")).done);
        QCOMPARE(countOf(db, QStringLiteral("select count(*) from 员工管理 where 员工编号 = ?"),
                         {QStringLiteral("E1")}),
                 0);
        QCOMPARE(countOf(db, QStringLiteral("select count(*) from 结帐明细 where 员工编号 = ?"),
                         {QStringLiteral("E1")}),
                 1);

        // A line on an open bill holds the employee too, even without commission.
        reg::saveEmployee(
            db, employee(QStringLiteral("E2"), QStringLiteral("钱二"), QStringLiteral("服务员")));
        db.exec(
            QStringLiteral("insert into 手牌消费 (手牌号码, 商品名, 员工编号, 员工姓名, 提成金额) "
                           "values (?, ?, ?, ?, ?)"),
            {QStringLiteral("A01"), QStringLiteral("足浴"), QStringLiteral("E2"),
             QStringLiteral("钱二"), QVariant::fromValue(Money())});
        QCOMPARE(reg::deleteEmployee(db, QStringLiteral("E2")).message, refusal);
    }

    void gradesAreCheckedAndFollowedByEmployees()
    {
        SeededDatabase base;
        Database& db = base.database();
        QCOMPARE(reg::saveGrade(db, std::nullopt, QString(), QString()).message,
                 QStringLiteral("不能为空!"));
        for (const QString& bad : {QStringLiteral("abc"), QStringLiteral("-5")})
            QCOMPARE(reg::saveGrade(db, std::nullopt, QStringLiteral("领班"), bad).message,
                     QStringLiteral("工资必须是不小于0的数字!"));
        // A wage alone, or a name alone (wage 0), is a grade.
        QVERIFY(reg::saveGrade(db, std::nullopt, QString(), QStringLiteral("1500")).done);
        QVERIFY(reg::saveGrade(db, std::nullopt, QStringLiteral("领班"), QString()).done);
        QCOMPARE(stored::toMoney(
                     db.scalar(QStringLiteral("select 工资 from 员工等级 where 等级名称 = ?"),
                               {QStringLiteral("领班")})),
                 Money());
        QCOMPARE(
            reg::saveGrade(db, std::nullopt, QStringLiteral("领班"), QStringLiteral("9")).message,
            QStringLiteral("错误:请检查是否有重名记录!"));

        // Renaming follows to the employees, never to the wage records.
        const qint64 waiter = gradeKey(db, QStringLiteral("服务员"));
        db.exec(QStringLiteral("insert into 员工工资表 (员工编号, 员工等级) values (?, ?)"),
                {QStringLiteral("004"), QStringLiteral("服务员")});
        const qint64 holders =
            countOf(db, QStringLiteral("select count(*) from 员工管理 where 员工等级 = ?"),
                    {QStringLiteral("服务员")});
        QVERIFY(holders > 0);
        QVERIFY(reg::saveGrade(db, waiter, QStringLiteral("迎宾"), QStringLiteral("2300")).done);
        QCOMPARE(countOf(db, QStringLiteral("select count(*) from 员工管理 where 员工等级 = ?"),
                         {QStringLiteral("迎宾")}),
                 holders);
        QCOMPARE(countOf(db, QStringLiteral("select count(*) from 员工工资表 where 员工等级 = ?"),
                         {QStringLiteral("服务员")}),
                 1);

        // A held grade stays; a free one goes.
        QCOMPARE(reg::deleteGrade(db, waiter).message,
                 QStringLiteral("该等级下还有员工,不能删除!"));
        QCOMPARE(countOf(db, QStringLiteral("select count(*) from 员工等级 where 等级编号 = ?"),
                         {QVariant::fromValue<qlonglong>(waiter)}),
                 1);
        QVERIFY(reg::deleteGrade(db, gradeKey(db, QStringLiteral("领班"))).done);
        QCOMPARE(countOf(db, QStringLiteral("select count(*) from 员工等级 where 等级名称 = ?"),
                         {QStringLiteral("领班")}),
                 0);
    }
};

QTEST_GUILESS_MAIN(TestStaffRegister)
#include "tst_staffregister.moc"
