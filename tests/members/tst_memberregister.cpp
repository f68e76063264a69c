#include "MemberTestKit.h"
#include "members/MemberRegister.h"
#include "members/MemberSearch.h"
#include "members/MemberTypes.h"

#include <QTest>
#include <QThread>

#include <thread>

using namespace shoupai;
using namespace shoupai::test;

namespace {

MemberRecord record(const QString& card, const QString& name, const QString& type = {})
{
    MemberRecord r;
    r.card = card;
    r.name = name;
    r.type = type;
    return r;
}

QStringList cardsFound(Database& db, const MemberStatement& statement)
{
    QStringList cards;
    Rows rows =
        db.query(statement.sql + QStringLiteral(" order by 会员卡号"), statement.parameters);
    while (rows.next())
        cards << rows.text(QStringLiteral("会员卡号"));
    return cards;
}

} // namespace

class TestMemberRegister : public QObject
{
    Q_OBJECT

private slots:
    void addStoresDefaultsAndRefusesTakenOrBlankNumbers()
    {
        SeededDatabase base;
        Database& db = base.database();
        db.exec(QStringLiteral("update 会员类型 set 初始积分 = 50"));

        QVERIFY(
            memberregister::addMember(db, record(QStringLiteral(" A001 "), QStringLiteral("张三")))
                .done);
        Rows row = db.query(QStringLiteral("select * from 会员管理"));
        QVERIFY(row.next());
        QCOMPARE(row.text(QStringLiteral("会员卡号")), QStringLiteral("A001"));
        QCOMPARE(row.text(QStringLiteral("会员类型")), QStringLiteral("未设置"));
        QCOMPARE(row.text(QStringLiteral("会员性别")), QStringLiteral("男"));
        QCOMPARE(row.text(QStringLiteral("当前状态")), QStringLiteral("可用"));
        QCOMPARE(row.money(QStringLiteral("卡内金额")), Money());
        QCOMPARE(row.number(QStringLiteral("当前积分")), Money());
        QVERIFY(row.isNull(QStringLiteral("联系电话")));
        QVERIFY(row.isNull(QStringLiteral("备注")));
        // The initial password is kept as its hash, never as text.
        const QString stored = row.text(QStringLiteral("密码"));
        QVERIFY(passwordhash::isHash(stored));
        QVERIFY(passwordhash::verify(stored, QStringLiteral("2863")));

        const MemberOutcome twice =
            memberregister::addMember(db, record(QStringLiteral("A001"), QStringLiteral("李四")));
        QCOMPARE(twice.message, QStringLiteral("会员卡号有重复，请换其他号码！"));
        for (const QString& blank : {QString(), QStringLiteral("   ")}) {
            const MemberOutcome refused =
                memberregister::addMember(db, record(blank, QStringLiteral("王五")));
            QCOMPARE(refused.message, QStringLiteral("会员卡号和会员姓名必须填写！"));
        }
        QCOMPARE(memberregister::addMember(db, record(QStringLiteral("A002"), QStringLiteral(" ")))
                     .message,
                 QStringLiteral("会员卡号和会员姓名必须填写！"));
        QCOMPARE(countOf(db, QStringLiteral("select count(*) from 会员管理")), 1);
    }

    void editWritesTypedColumnsOnlyByTheOriginalNumber()
    {
        SeededDatabase base;
        Database& db = base.database();
        addMemberRow(db, QStringLiteral("A001"), QStringLiteral("张三"), QStringLiteral("50"));
        addMemberRow(db, QStringLiteral("B002"), QStringLiteral("李四"));

        // A checkout takes 20 after the edit screen read the row.
        db.exec(QStringLiteral("update 会员管理 set 卡内金额 = 卡内金额 - ?, 当前积分 = 9 where "
                               "会员卡号 = ?"),
                {QVariant::fromValue(Money::fromUnits(20)), QStringLiteral("A001")});
        MemberRecord changed =
            record(QStringLiteral(" A009 "), QStringLiteral("张三丰"), QStringLiteral("金卡"));
        changed.phone = QStringLiteral("139");
        QVERIFY(memberregister::changeMember(db, QStringLiteral("A001"), changed).done);
        Rows row = db.query(QStringLiteral("select * from 会员管理 where 会员卡号 = ?"),
                            {QStringLiteral("A009")});
        QVERIFY(row.next());
        QCOMPARE(row.text(QStringLiteral("会员姓名")), QStringLiteral("张三丰"));
        QCOMPARE(row.text(QStringLiteral("会员类型")), QStringLiteral("金卡"));
        QCOMPARE(row.money(QStringLiteral("卡内金额")), Money::fromUnits(30));
        QCOMPARE(row.number(QStringLiteral("当前积分")), Money::fromUnits(9));
        QCOMPARE(row.text(QStringLiteral("密码")), QStringLiteral("2863"));

        // Onto another member's number: refused, nothing changed.
        QCOMPARE(memberregister::changeMember(
                     db, QStringLiteral("A009"),
                     record(QStringLiteral("B002"), QStringLiteral("x"), QStringLiteral("金卡")))
                     .message,
                 QStringLiteral("会员卡号有重复，请换其他号码！"));
        QCOMPARE(countOf(db, QStringLiteral("select count(*) from 会员管理 where 会员卡号 = ?"),
                         {QStringLiteral("A009")}),
                 1);
        QCOMPARE(memberregister::changeMember(
                     db, QStringLiteral("A009"),
                     record(QStringLiteral("A009"), QStringLiteral("x"), QStringLiteral(" ")))
                     .message,
                 QStringLiteral("会员卡号和会员姓名和会员类型必须认真填写！"));
        // Deleted meanwhile on another workstation.
        const MemberOutcome gone = memberregister::changeMember(
            db, QStringLiteral("Z999"),
            record(QStringLiteral("Z999"), QStringLiteral("x"), QStringLiteral("金卡")));
        QVERIFY(!gone.done);
        QVERIFY(!gone.message.isEmpty());
    }

    void deleteKeepsMembersWhoseCardHoldsMoney()
    {
        SeededDatabase base;
        Database& db = base.database();
        addMemberRow(db, QStringLiteral("A001"), QStringLiteral("张三"), QStringLiteral("0.01"));
        addMemberRow(db, QStringLiteral("A002"), QStringLiteral("李四"), QStringLiteral("-5"));
        addMemberRow(db, QStringLiteral("A003"), QStringLiteral("王五"));
        for (const QString& card : {QStringLiteral("A001"), QStringLiteral("A002")})
            QCOMPARE(memberregister::deleteMember(db, card).message,
                     QStringLiteral("该会员卡内还有余额,不能删除!"));
        QVERIFY(memberregister::deleteMember(db, QStringLiteral("A003")).done);
        QVERIFY(!memberregister::deleteMember(db, QStringLiteral("A003")).done);
        QCOMPARE(countOf(db, QStringLiteral("select count(*) from 会员管理")), 2);
    }

    void typesAreValidatedAndRenamesFollowToMembers()
    {
        SeededDatabase base;
        Database& db = base.database();
        const qint64 silver =
            db.scalar(QStringLiteral("select id from 会员类型 where 类型名称 = ?"),
                      {QStringLiteral("银卡")})
                .toLongLong();
        addMemberRow(db, QStringLiteral("A001"), QStringLiteral("张三"), QStringLiteral("0"),
                     QStringLiteral("银卡"));

        const QList<std::tuple<QString, QString, QString, QString>> refused = {
            {QString(), QStringLiteral("0"), QStringLiteral("0.9"),
             QStringLiteral("类型名称必须填写!")},
            {QStringLiteral("铜卡"), QStringLiteral("0"), QStringLiteral("九折"),
             QStringLiteral("打折率必须是0到10之间的数字!")},
            {QStringLiteral("铜卡"), QStringLiteral("0"), QString(),
             QStringLiteral("打折率必须是0到10之间的数字!")},
            {QStringLiteral("铜卡"), QStringLiteral("0"), QStringLiteral("10.01"),
             QStringLiteral("打折率必须是0到10之间的数字!")},
            {QStringLiteral("铜卡"), QStringLiteral("0"), QStringLiteral("-0.5"),
             QStringLiteral("打折率必须是0到10之间的数字!")},
            {QStringLiteral("铜卡"), QStringLiteral("很多"), QStringLiteral("0.9"),
             QStringLiteral("初始积分必须是数字!")},
            {QStringLiteral(" 金卡 "), QStringLiteral("0"), QStringLiteral("0.9"),
             QStringLiteral("类型名称有重复,请换其他名称!")},
        };
        for (const auto& [name, points, rate, message] : refused)
            QCOMPARE(membertypes::saveType(db, std::nullopt, name, points, rate).message, message);
        QCOMPARE(countOf(db, QStringLiteral("select count(*) from 会员类型")), 2);

        qint64 added = 0;
        QVERIFY(membertypes::saveType(db, std::nullopt, QStringLiteral("铜卡"), {},
                                      QStringLiteral("0.95"), &added)
                    .done);
        Rows copper = db.query(QStringLiteral("select * from 会员类型 where id = ?"), {added});
        QVERIFY(copper.next());
        QCOMPARE(copper.number(QStringLiteral("打折率")), *Money::parse(u"0.95"));
        QCOMPARE(copper.number(QStringLiteral("初始积分")), Money());

        // A rename carries the members along, in the same change; the name stays
        // free for the type itself.
        QVERIFY(membertypes::saveType(db, silver, QStringLiteral("白银卡"), QStringLiteral("5"),
                                      QStringLiteral("0.9"))
                    .done);
        QCOMPARE(db.scalar(QStringLiteral("select 会员类型 from 会员管理")).toString(),
                 QStringLiteral("白银卡"));
        QVERIFY(membertypes::saveType(db, silver, QStringLiteral("白银卡"), QStringLiteral("6"),
                                      QStringLiteral("0.85"))
                    .done);

        QCOMPARE(membertypes::deleteType(db, silver).message,
                 QStringLiteral("该类型下还有会员,不能删除!"));
        QVERIFY(membertypes::deleteType(db, added).done);
        QCOMPARE(countOf(db, QStringLiteral("select count(*) from 会员类型")), 2);
    }

    void searchMatchesWholeValuesByKindAndNeverThePassword()
    {
        SeededDatabase base;
        Database& db = base.database();
        addMemberRow(db, QStringLiteral("A001"), QStringLiteral("张三"), QStringLiteral("12.5"));
        addMemberRow(db, QStringLiteral("A002"), QStringLiteral("张"), QStringLiteral("125"));
        const Dialect& dialect = db.dialect();

        QCOMPARE(cardsFound(db, membersearch::members(dialect, QStringLiteral("会员姓名"),
                                                      QStringLiteral(" 张 "))),
                 QStringList{QStringLiteral("A002")});
        QCOMPARE(cardsFound(db, membersearch::members(dialect, QStringLiteral("卡内金额"),
                                                      QStringLiteral("12.5"))),
                 QStringList{QStringLiteral("A001")});
        const MemberStatement all = membersearch::allMembers();
        QVERIFY(!membersearch::listedColumns().contains(QStringLiteral("密码")));
        Rows listed = db.query(all.sql);
        QCOMPARE(listed.columnCount(), 11);

        QCOMPARE(
            membersearch::members(dialect, QStringLiteral("密码"), QStringLiteral("2863")).refusal,
            QStringLiteral("\"密码\"不是会员资料的列名,请重新选择要查询的列!"));
        QCOMPARE(membersearch::members(dialect, QStringLiteral("会员卡号; drop table 会员管理"),
                                       QStringLiteral("A"))
                     .sql,
                 QString());
        QVERIFY(!membersearch::members(dialect, QStringLiteral("卡内金额"), QStringLiteral("很多"))
                     .isReady());
        QVERIFY(!membersearch::recharges(dialect, QStringLiteral("无此列"), QStringLiteral("x"))
                     .isReady());
    }

    // Two workstations save one new number at once: exactly one member results,
    // and the second is told in the screen's words.
    void twoConnectionsAddingOneNumber()
    {
        SeededDatabase base;
        std::unique_ptr<Database> first = base.openAnother();
        first->begin();
        first->exec(QStringLiteral("insert into 会员管理 (会员卡号, 会员姓名) values (?, ?)"),
                    {QStringLiteral("A001"), QStringLiteral("甲")});

        MemberOutcome second;
        std::thread other([&] {
            std::unique_ptr<Database> own = base.openAnother();
            second = memberregister::addMember(
                *own, record(QStringLiteral("A001"), QStringLiteral("乙")));
        });
        // The other workstation has checked the number and waits on the key or the lock.
        QThread::msleep(400);
        first->commit();
        other.join();

        QVERIFY(!second.done);
        QCOMPARE(second.message, QStringLiteral("会员卡号有重复，请换其他号码！"));
        QCOMPARE(countOf(base.database(), QStringLiteral("select count(*) from 会员管理")), 1);
    }
};

QTEST_MAIN(TestMemberRegister)
#include "tst_memberregister.moc"
