#include "MemberTestKit.h"
#include "members/MemberPassword.h"
#include "members/MemberPasswordChange.h"
#include "members/MemberRecharge.h"

#include <QTest>

#include <limits>

using namespace shoupai;
using namespace shoupai::test;

namespace {

RechargeRequest request(const QString& card, const QString& amount, bool negative = false)
{
    RechargeRequest r;
    r.card = card;
    r.amountText = amount;
    r.negative = negative;
    r.remark = QStringLiteral("现金");
    r.operatorName = QStringLiteral("收银员甲");
    r.at = QDateTime(QDate(2025, 3, 4), QTime(10, 20, 30));
    return r;
}

qint64 records(Database& db)
{
    return countOf(db, QStringLiteral("select count(*) from 会员充值"));
}

} // namespace

class TestMemberRecharge : public QObject
{
    Q_OBJECT

private slots:
    void rechargeAddsToWhatTheCardHoldsNow()
    {
        SeededDatabase base;
        Database& db = base.database();
        addMemberRow(db, QStringLiteral("A001"), QStringLiteral("张三"), QStringLiteral("50"),
                     QStringLiteral("金卡"));

        RechargeOutcome done = memberrecharge::recharge(db, request(QStringLiteral("A001"), "100"));
        QVERIFY(done.done);
        QCOMPARE(done.balance, Money::fromUnits(150));
        Rows record = db.query(QStringLiteral("select * from 会员充值"));
        QVERIFY(record.next());
        QCOMPARE(record.text(QStringLiteral("会员卡号")), QStringLiteral("A001"));
        QCOMPARE(record.text(QStringLiteral("会员姓名")), QStringLiteral("张三"));
        QCOMPARE(record.text(QStringLiteral("会员类型")), QStringLiteral("金卡"));
        QCOMPARE(record.money(QStringLiteral("充值金额")), Money::fromUnits(100));
        QCOMPARE(record.dateTime(QStringLiteral("充值日期")),
                 QDateTime(QDate(2025, 3, 4), QTime(10, 20, 30)));
        QCOMPARE(record.text(QStringLiteral("备注")), QStringLiteral("现金"));
        QCOMPARE(record.text(QStringLiteral("营业员")), QStringLiteral("收银员甲"));

        // A checkout between reading the balance and the recharge stays counted.
        db.exec(QStringLiteral("update 会员管理 set 卡内金额 = 卡内金额 - ? where 会员卡号 = ?"),
                {QVariant::fromValue(Money::fromUnits(140)), QStringLiteral("A001")});
        done = memberrecharge::recharge(db, request(QStringLiteral("A001"), "12.5"));
        QCOMPARE(done.balance, *Money::parse(u"22.5"));
        QCOMPARE(balanceOf(db, QStringLiteral("A001")), *Money::parse(u"22.5"));

        // "充负数": 20 - 30 = -10; the record says -30.
        db.exec(QStringLiteral("update 会员管理 set 卡内金额 = ? where 会员卡号 = ?"),
                {QVariant::fromValue(Money::fromUnits(20)), QStringLiteral("A001")});
        done = memberrecharge::recharge(db, request(QStringLiteral("A001"), "30", true));
        QCOMPARE(done.balance, Money::fromUnits(-10));
        QCOMPARE(stored::toMoney(
                     db.scalar(QStringLiteral("select 充值金额 from 会员充值 order by id desc"))),
                 Money::fromUnits(-30));

        // A balance left NULL by an older program counts as 0.
        db.exec(QStringLiteral("update 会员管理 set 卡内金额 = NULL"));
        QCOMPARE(memberrecharge::recharge(db, request(QStringLiteral("A001"), "5")).balance,
                 Money::fromUnits(5));
    }

    void refusedRechargesWriteNothing()
    {
        SeededDatabase base;
        Database& db = base.database();
        addMemberRow(db, QStringLiteral("A001"), QStringLiteral("张三"), QStringLiteral("50"));
        const QList<std::pair<RechargeRequest, QString>> refused = {
            {request(QStringLiteral("A001"), ""), QStringLiteral("请输入充值数值！")},
            {request(QStringLiteral(" "), "10"), QStringLiteral("请先输入会员卡号并按回车键！")},
            {request(QStringLiteral("A001"), "."),
             QStringLiteral("充值金额 \".\" 不是有效的数值!")},
            {request(QStringLiteral("A001"), "1.2.3"),
             QStringLiteral("充值金额 \"1.2.3\" 不是有效的数值!")},
            {request(QStringLiteral("A001"), "99999999999999999999"),
             QStringLiteral("充值金额 \"99999999999999999999\" 不是有效的数值!")},
        };
        for (const auto& [r, message] : refused)
            QCOMPARE(memberrecharge::recharge(db, r).message, message);

        // A balance the money type cannot hold.
        db.exec(QStringLiteral("update 会员管理 set 卡内金额 = ?"),
                {QVariant::fromValue(Money::fromTicks(std::numeric_limits<qint64>::max() - 5))});
        QCOMPARE(memberrecharge::recharge(db, request(QStringLiteral("A001"), "1")).message,
                 QStringLiteral("充值金额 \"1\" 不是有效的数值!"));
        db.exec(QStringLiteral("update 会员管理 set 卡内金额 = ?"),
                {QVariant::fromValue(Money::fromUnits(50))});

        // Deleted or renumbered on another workstation.
        const RechargeOutcome gone =
            memberrecharge::recharge(db, request(QStringLiteral("Z9"), "10"));
        QVERIFY(!gone.done);
        QVERIFY(!gone.message.isEmpty());
        QCOMPARE(records(db), 0);

        // The record cannot be written: the balance goes back as well.
        db.exec(QStringLiteral("drop table 会员充值"));
        const RechargeOutcome failed =
            memberrecharge::recharge(db, request(QStringLiteral("A001"), "10"));
        QVERIFY(!failed.done);
        QCOMPARE(balanceOf(db, QStringLiteral("A001")), Money::fromUnits(50));
    }

    void changeChecksTheOldPasswordAndStoresAHash()
    {
        SeededDatabase base;
        Database& db = base.database();
        addMemberRow(db, QStringLiteral("A001"), QStringLiteral("张三"), QStringLiteral("0"),
                     QStringLiteral("银卡"), passwordhash::hash(QStringLiteral("2863")));
        // A row from before passwords were hashed.
        addMemberRow(db, QStringLiteral("A002"), QStringLiteral("李四"), QStringLiteral("0"),
                     QStringLiteral("银卡"), QStringLiteral("1234"));

        const QString wrongOld = QStringLiteral("旧密码输入错误！");
        QCOMPARE(memberpasswords::change(db, QStringLiteral("A001"), "2864", "1", "1").message,
                 wrongOld);
        QCOMPARE(memberpasswords::change(db, QStringLiteral("Z999"), "2863", "1", "1").message,
                 wrongOld);
        QCOMPARE(memberpasswords::change(db, QStringLiteral("A001"), "2863", "1", "2").message,
                 QStringLiteral("两次输入的新密码不一致！"));
        QVERIFY(
            passwordhash::verify(passwordOf(db, QStringLiteral("A001")), QStringLiteral("2863")));

        QVERIFY(memberpasswords::change(db, QStringLiteral("A001"), "2863", "5678", "5678").done);
        const QString stored = passwordOf(db, QStringLiteral("A001"));
        QVERIFY(passwordhash::isHash(stored));
        QVERIFY(passwordhash::verify(stored, QStringLiteral("5678")));
        QVERIFY(!passwordhash::verify(stored, QStringLiteral("2863")));

        // The legacy row: accepted by plain comparison and hashed on that first check,
        // even when the new password is then mistyped.
        QCOMPARE(memberpasswords::change(db, QStringLiteral("A002"), "1234", "a", "b").message,
                 QStringLiteral("两次输入的新密码不一致！"));
        QVERIFY(passwordhash::isHash(passwordOf(db, QStringLiteral("A002"))));
        QVERIFY(confirmMemberPassword(db, QStringLiteral("A002"),
                                      passwordOf(db, QStringLiteral("A002")),
                                      QStringLiteral("1234")));
        // An empty new password is allowed.
        QVERIFY(memberpasswords::change(db, QStringLiteral("A002"), "1234", "", "").done);
        QVERIFY(passwordhash::verify(passwordOf(db, QStringLiteral("A002")), QString()));
    }

    void resetRestoresTheInitialPasswordWithItsLogRow()
    {
        SeededDatabase base;
        Database& db = base.database();
        addMemberRow(db, QStringLiteral("A001"), QStringLiteral("张三"), QStringLiteral("0"),
                     QStringLiteral("银卡"), QStringLiteral("9999"));

        QVERIFY(memberpasswords::reset(db, QStringLiteral("A001"), QStringLiteral("店长")).done);
        QVERIFY(
            passwordhash::verify(passwordOf(db, QStringLiteral("A001")), QStringLiteral("2863")));
        Rows log = db.query(QStringLiteral("select * from 日志"));
        QVERIFY(log.next());
        QCOMPARE(log.text(QStringLiteral("事件")), QStringLiteral("重置密码"));
        QCOMPARE(log.text(QStringLiteral("管理员")), QStringLiteral("店长"));
        QCOMPARE(log.text(QStringLiteral("说明")), QStringLiteral("会员卡号:A001"));
        QVERIFY(log.dateTime(QStringLiteral("日期")).isValid());
        QVERIFY(!log.next());

        QCOMPARE(memberpasswords::reset(db, QStringLiteral("Z999"), QStringLiteral("店长")).message,
                 QStringLiteral("没有找到改会员!"));
        QCOMPARE(countOf(db, QStringLiteral("select count(*) from 日志")), 1);

        // No log, no reset.
        db.exec(QStringLiteral("update 会员管理 set 密码 = ?"), {QStringLiteral("9999")});
        db.exec(QStringLiteral("drop table 日志"));
        QVERIFY(!memberpasswords::reset(db, QStringLiteral("A001"), QStringLiteral("店长")).done);
        QCOMPARE(passwordOf(db, QStringLiteral("A001")), QStringLiteral("9999"));
    }
};

QTEST_MAIN(TestMemberRecharge)
#include "tst_memberrecharge.moc"
