#include "TestDatabase.h"
#include "admin/Administrators.h"
#include "platform/PasswordHash.h"

#include <QTest>

#include <thread>

using namespace shoupai;
using namespace shoupai::test;
namespace adm = shoupai::administrators;

namespace {

const QString lockOut = QStringLiteral("至少要保留一个有“管理员管理”权限的管理员！");
const QString adminFlag = QStringLiteral("管理员设置");

adm::Fields fields(const QString& name, const QStringList& granted)
{
    adm::Fields f;
    f.name = name;
    for (const QString& column : granted)
        f.flags.insert(column, true);
    return f;
}

bool flagOf(Database& db, const QString& name, const QString& column)
{
    Rows rows = db.query(QStringLiteral("select * from 管理员 where 用户名 = ?"), {name});
    if (!rows.next())
        throw DatabaseError(QStringLiteral("no row ") + name);
    return rows.flag(column);
}

qint64 count(Database& db, const QString& sql, const QVariantList& parameters = {})
{
    return db.scalar(sql, parameters).toLongLong();
}

QString storedPassword(Database& db, const QString& name)
{
    return db.scalar(QStringLiteral("select 密码 from 管理员 where 用户名 = ?"), {name}).toString();
}

} // namespace

class TestAdministrators : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { passwordhash::useMinimumCostForTests(); }

    void addStoresDefaultPasswordAndOnlyTickedFlags()
    {
        SeededDatabase seeded;
        Database& db = seeded.database();
        const auto outcome =
            adm::add(db, fields(QStringLiteral("  收银员 "), {QStringLiteral("收银结算")}),
                     QStringLiteral("超级管理员"));
        QVERIFY2(outcome.done, qPrintable(outcome.message));
        const QString stored = storedPassword(db, QStringLiteral("收银员"));
        QVERIFY(passwordhash::isHash(stored));
        QVERIFY(passwordhash::verify(stored, QStringLiteral("2863")));
        for (const QString& column : adm::shownColumns())
            QCOMPARE(flagOf(db, QStringLiteral("收银员"), column),
                     column == QStringLiteral("收银结算"));
        QCOMPARE(flagOf(db, QStringLiteral("收银员"), QStringLiteral("退回库存")), false);
        QCOMPARE(
            count(db,
                  QStringLiteral(
                      "select count(*) from 日志 where 事件 = ? and 管理员 = ? and 说明 like ?"),
                  {QStringLiteral("新增管理员"), QStringLiteral("超级管理员"),
                   QStringLiteral("收银员%")}),
            1);
    }

    void modifyWritesShownFlagsOnlyAndLogsChanges()
    {
        SeededDatabase seeded;
        Database& db = seeded.database();
        QVERIFY(adm::add(db, fields(QStringLiteral("甲"), {}), QStringLiteral("超级管理员")).done);
        db.exec(QStringLiteral(
                    "update 管理员 set 退回库存 = ?, 会员开户 = ?, 会员充值 = ? where 用户名 = ?"),
                {true, true, true, QStringLiteral("甲")});
        const auto outcome = adm::modify(db, QStringLiteral("甲"),
                                         fields(QStringLiteral("乙"), {QStringLiteral("撤单")}),
                                         QStringLiteral("超级管理员"));
        QVERIFY2(outcome.done, qPrintable(outcome.message));
        QCOMPARE(count(db, QStringLiteral("select count(*) from 管理员 where 用户名 = ?"),
                       {QStringLiteral("甲")}),
                 0);
        for (const QString& column : {QStringLiteral("退回库存"), QStringLiteral("会员开户"),
                                      QStringLiteral("会员充值"), QStringLiteral("撤单")})
            QVERIFY2(flagOf(db, QStringLiteral("乙"), column), qPrintable(column));
        QCOMPARE(flagOf(db, QStringLiteral("乙"), QStringLiteral("免单")), false);
        QCOMPARE(count(db, QStringLiteral("select count(*) from 日志 where 事件 = ?"),
                       {QStringLiteral("管理员改名")}),
                 1);
        const QString permissionsLine =
            db.scalar(QStringLiteral("select 说明 from 日志 where 事件 = ?"),
                      {QStringLiteral("修改权限")})
                .toString();
        QVERIFY2(permissionsLine.contains(QStringLiteral("撤单")) &&
                     !permissionsLine.contains(QStringLiteral("免单")),
                 qPrintable(permissionsLine));

        // A row deleted meanwhile is reported, not shown as saved.
        db.exec(QStringLiteral("delete from 管理员 where 用户名 = ?"), {QStringLiteral("乙")});
        QVERIFY(!adm::modify(db, QStringLiteral("乙"), fields(QStringLiteral("乙"), {}),
                             QStringLiteral("x"))
                     .done);
        QVERIFY(!adm::remove(db, QStringLiteral("乙"), QStringLiteral("x")).done);
    }

    void namesAreTrimmedRequiredAndUniqueWithoutCase()
    {
        SeededDatabase seeded;
        Database& db = seeded.database();
        const qint64 before = count(db, QStringLiteral("select count(*) from 管理员"));
        auto outcome =
            adm::add(db, fields(QStringLiteral("   "), {}), QStringLiteral("超级管理员"));
        QVERIFY(!outcome.done);
        QCOMPARE(outcome.message, QStringLiteral("用户名必须填写！"));
        QVERIFY(
            adm::add(db, fields(QStringLiteral("Cashier"), {}), QStringLiteral("超级管理员")).done);
        outcome = adm::add(db, fields(QStringLiteral("cASHIER"), {}), QStringLiteral("超级管理员"));
        QVERIFY(!outcome.done);
        QCOMPARE(outcome.message, QStringLiteral("用户名已存在！"));
        QVERIFY(
            adm::add(db, fields(QStringLiteral("Waiter"), {}), QStringLiteral("超级管理员")).done);
        outcome = adm::modify(db, QStringLiteral("Waiter"), fields(QStringLiteral("CASHIER "), {}),
                              QStringLiteral("x"));
        QCOMPARE(outcome.message, QStringLiteral("用户名已存在！"));
        outcome =
            adm::modify(db, QStringLiteral("Waiter"), fields(QString(), {}), QStringLiteral("x"));
        QCOMPARE(outcome.message, QStringLiteral("用户名必须填写！"));
        // Its own name in another case is no clash.
        QVERIFY(adm::modify(db, QStringLiteral("Waiter"), fields(QStringLiteral("WAITER"), {}),
                            QStringLiteral("x"))
                    .done);
        QCOMPARE(count(db, QStringLiteral("select count(*) from 管理员")), before + 2);
    }

    void olderTablesWithoutTheGoodsColumns()
    {
        SeededDatabase seeded;
        Database& db = seeded.database();
        db.exec(QStringLiteral("alter table 管理员 drop column 商品管理"));
        db.exec(QStringLiteral("alter table 管理员 drop column 商品类型"));
        QVERIFY(!adm::hasColumn(db, QStringLiteral("商品管理")));
        QVERIFY(adm::hasColumn(db, QStringLiteral("撤单")));
        auto f = fields(QStringLiteral("甲"), {QStringLiteral("商品管理"), QStringLiteral("撤单")});
        QVERIFY(adm::add(db, f, QStringLiteral("x")).done);
        QVERIFY(flagOf(db, QStringLiteral("甲"), QStringLiteral("撤单")));
        QVERIFY(adm::modify(db, QStringLiteral("甲"), f, QStringLiteral("x")).done);
    }

    void deleteGuardsRunInOrder()
    {
        SeededDatabase seeded;
        Database& db = seeded.database();
        const QString super = adm::SuperAdministrator;
        QCOMPARE(adm::deleteRefusal(db, super).value_or(QString()),
                 QStringLiteral("至少留有一个管理员！！"));
        QVERIFY(adm::add(db, fields(QStringLiteral("甲"), {adminFlag}), super).done);
        QCOMPARE(adm::deleteRefusal(db, super).value_or(QString()),
                 QStringLiteral("超级管理员 用户不能删除！"));
        QVERIFY(!adm::deleteRefusal(db, QStringLiteral("甲")).has_value());
        QCOMPARE(adm::deleteQuestion(QStringLiteral("甲")), QStringLiteral("您是否要删除\" 甲\""));
        // One row left that is not the super administrator: still refused.
        db.exec(QStringLiteral("delete from 管理员 where 用户名 = ?"), {super});
        QCOMPARE(adm::deleteRefusal(db, QStringLiteral("甲")).value_or(QString()),
                 QStringLiteral("至少留有一个管理员！！"));
        const auto outcome = adm::remove(db, QStringLiteral("甲"), QStringLiteral("甲"));
        QVERIFY(!outcome.done);
        QCOMPARE(count(db, QStringLiteral("select count(*) from 管理员")), 1);
    }

    void lastAdministrationHolderCannotBeDemotedOrDeleted()
    {
        SeededDatabase seeded;
        Database& db = seeded.database();
        const QString super = adm::SuperAdministrator;
        QVERIFY(
            adm::add(db, fields(QStringLiteral("甲"), {QStringLiteral("收银结算")}), super).done);
        // Demoting the only holder, oneself.
        auto outcome = adm::modify(db, super, fields(super, {QStringLiteral("收银结算")}), super);
        QCOMPARE(outcome.message, lockOut);
        QVERIFY(flagOf(db, super, adminFlag));
        QVERIFY(flagOf(db, super, QStringLiteral("撤单"))); // nothing written

        QVERIFY(adm::add(db, fields(QStringLiteral("乙"), {adminFlag}), super).done);
        QVERIFY(adm::modify(db, super, fields(super, {}), super).done);
        QCOMPARE(adm::deleteRefusal(db, QStringLiteral("乙")).value_or(QString()), lockOut);
        outcome = adm::remove(db, QStringLiteral("乙"), QStringLiteral("乙"));
        QCOMPARE(outcome.message, lockOut);
        QCOMPARE(count(db, QStringLiteral("select count(*) from 管理员 where 用户名 = ?"),
                       {QStringLiteral("乙")}),
                 1);
        // Deleting someone without the right is fine.
        QVERIFY(adm::remove(db, QStringLiteral("甲"), QStringLiteral("乙")).done);
        QCOMPARE(count(db, QStringLiteral("select count(*) from 日志 where 事件 = ? and 说明 = ?"),
                       {QStringLiteral("删除管理员"), QStringLiteral("甲")}),
                 1);
    }

    void twoWorkstationsCannotDemoteTheLastTwoHolders()
    {
        if (testBackend() != Backend::Postgres)
            QSKIP("row locks between workstations need the shared server");
        SeededDatabase seeded;
        Database& db = seeded.database();
        const QString super = adm::SuperAdministrator;
        QVERIFY(adm::add(db, fields(QStringLiteral("乙"), {adminFlag}), super).done);

        // This workstation demotes 超级管理员 holding the rows' locks; the other
        // tries to demote 乙 meanwhile and must wait, then see the demotion.
        db.begin();
        db.query(QStringLiteral("select 用户名 from 管理员 for update"));
        db.exec(QStringLiteral("update 管理员 set 管理员设置 = ? where 用户名 = ?"),
                {false, super});
        adm::Outcome other;
        QString failure;
        std::thread workstation([&] {
            try {
                auto second = seeded.openAnother();
                other = adm::modify(*second, QStringLiteral("乙"), fields(QStringLiteral("乙"), {}),
                                    QStringLiteral("乙"));
            } catch (const DatabaseError& error) {
                failure = error.text();
            }
        });
        QTest::qWait(500);
        db.commit();
        workstation.join();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(!other.done);
        QCOMPARE(other.message, lockOut);
        QCOMPARE(
            count(db, QStringLiteral("select count(*) from 管理员 where 管理员设置 = ?"), {true}),
            1);
    }

    void ownPasswordChange()
    {
        SeededDatabase seeded;
        Database& db = seeded.database();
        const QString super = adm::SuperAdministrator;
        const QString before = storedPassword(db, super);
        auto outcome = adm::changeOwnPassword(db, super, QStringLiteral("wrong"),
                                              QStringLiteral("n"), QStringLiteral("n"));
        QCOMPARE(outcome.message, QStringLiteral("旧密码输入错误！"));
        outcome = adm::changeOwnPassword(db, super, QStringLiteral("1"), QStringLiteral("n"),
                                         QStringLiteral("N"));
        QCOMPARE(outcome.message, QStringLiteral("两次输入的新密码不一致！"));
        QCOMPARE(storedPassword(db, super), before);

        outcome = adm::changeOwnPassword(db, super, QStringLiteral("1"), QStringLiteral("新的"),
                                         QStringLiteral("新的"));
        QVERIFY2(outcome.done, qPrintable(outcome.message));
        const QString after = storedPassword(db, super);
        QVERIFY(passwordhash::verify(after, QStringLiteral("新的")));
        QVERIFY(!passwordhash::verify(after, QStringLiteral("1")));
        QCOMPARE(count(db,
                       QStringLiteral("select count(*) from 日志 where 事件 = ? and 说明 like ?"),
                       {QStringLiteral("修改密码"), QStringLiteral("%新的%")}),
                 0);
        QCOMPARE(count(db, QStringLiteral("select count(*) from 日志 where 事件 = ?"),
                       {QStringLiteral("修改密码")}),
                 1);

        // A legacy plain row, found from a login typed in another letter case;
        // an empty new password is accepted.
        QVERIFY(adm::add(db, fields(QStringLiteral("Cashier"), {}), super).done);
        db.exec(QStringLiteral("update 管理员 set 密码 = ? where 用户名 = ?"),
                {QStringLiteral("plain"), QStringLiteral("Cashier")});
        outcome = adm::changeOwnPassword(db, QStringLiteral("cashier"), QStringLiteral("plain"),
                                         QString(), QString());
        QVERIFY2(outcome.done, qPrintable(outcome.message));
        const QString stored = storedPassword(db, QStringLiteral("Cashier"));
        QVERIFY(passwordhash::isHash(stored));
        QVERIFY(passwordhash::verify(stored, QString()));
    }
};

QTEST_GUILESS_MAIN(TestAdministrators)
#include "tst_administrators.moc"
