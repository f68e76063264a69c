#include "TestDatabase.h"
#include "admin/DataClearing.h"
#include "billing/BillNumber.h"

#include <QTest>

using namespace shoupai;
using namespace shoupai::test;
namespace clr = shoupai::dataclearing;

namespace {

qint64 rowsIn(Database& db, const QString& table)
{
    return db.scalar(QStringLiteral("select count(*) from ") + db.dialect().quote(table))
        .toLongLong();
}

// Two rows in every table the clearing may empty, and one in each it must keep.
void fill(Database& db)
{
    const QList<QPair<QString, QString>> records = {
        {QStringLiteral("员工工资表"), QStringLiteral("员工编号")},
        {QStringLiteral("结帐管理"), QStringLiteral("单据号")},
        {QStringLiteral("结帐明细"), QStringLiteral("单据号")},
        {QStringLiteral("会员充值"), QStringLiteral("会员卡号")},
        {QStringLiteral("商品库"), QStringLiteral("商品名")},
        {QStringLiteral("进货表"), QStringLiteral("商品名")},
        {QStringLiteral("手牌开单"), QStringLiteral("手牌号码")},
        {QStringLiteral("手牌消费"), QStringLiteral("手牌号码")},
        {QStringLiteral("日志"), QStringLiteral("事件")},
    };
    for (const auto& [table, column] : records) {
        for (const QString& value : {QStringLiteral("X1"), QStringLiteral("X2")})
            db.exec(QStringLiteral("insert into %1 (%2) values (?)").arg(table, column), {value});
    }
    db.exec(QStringLiteral("insert into 会员管理 (会员卡号) values (?)"), {QStringLiteral("M1")});
}

QHash<QString, qint64> countsOf(Database& db, const QStringList& tables)
{
    QHash<QString, qint64> counts;
    for (const QString& table : tables)
        counts.insert(table, rowsIn(db, table));
    return counts;
}

const QStringList recordTables = {QStringLiteral("员工工资表"), QStringLiteral("结帐管理"),
                                  QStringLiteral("结帐明细"),   QStringLiteral("会员充值"),
                                  QStringLiteral("商品库"),     QStringLiteral("进货表")};

} // namespace

class TestDataClearing : public QObject
{
    Q_OBJECT

private slots:
    void emptiesOnlyTheTicked()
    {
        SeededDatabase seeded;
        Database& db = seeded.database();
        fill(db);
        QVERIFY(clr::clear(db, {}, QStringLiteral("x")).isEmpty());
        QCOMPARE(rowsIn(db, QStringLiteral("结帐管理")), 2);

        const auto before = countsOf(db, recordTables);
        clr::Selection business;
        business.business = true;
        const auto deleted = clr::clear(db, business, QStringLiteral("超级管理员"));
        QCOMPARE(deleted.size(), 2);
        QCOMPARE(deleted.at(0), qMakePair(QStringLiteral("结帐管理"), 2));
        QCOMPARE(deleted.at(1), qMakePair(QStringLiteral("结帐明细"), 2));
        QCOMPARE(rowsIn(db, QStringLiteral("结帐管理")), 0);
        QCOMPARE(rowsIn(db, QStringLiteral("结帐明细")), 0);
        for (const QString& kept : {QStringLiteral("会员充值"), QStringLiteral("商品库"),
                                    QStringLiteral("进货表"), QStringLiteral("员工工资表")})
            QCOMPARE(rowsIn(db, kept), before.value(kept));
        const QString line =
            db.scalar(QStringLiteral("select 说明 from 日志 where 事件 = ? and 管理员 = ?"),
                      {QStringLiteral("数据初始化"), QStringLiteral("超级管理员")})
                .toString();
        QVERIFY2(line.contains(QStringLiteral("结帐管理 2")) &&
                     line.contains(QStringLiteral("结帐明细 2")),
                 qPrintable(line));
    }

    void everythingElseSurvivesAndNumbersGoOn()
    {
        SeededDatabase seeded;
        Database& db = seeded.database();
        fill(db);
        const QString counter = db.scalar(QStringLiteral("select 单据号 from 单据号")).toString();
        const qint64 admins = rowsIn(db, QStringLiteral("管理员"));
        const qint64 tags = rowsIn(db, QStringLiteral("手牌管理"));
        clr::Selection all{true, true, true, true, true};
        QCOMPARE(clr::clear(db, all, QStringLiteral("x")).size(), 6);
        for (const QString& emptied : clr::tablesOf(all))
            QCOMPARE(rowsIn(db, emptied), 0);
        QCOMPARE(rowsIn(db, QStringLiteral("手牌开单")), 2);
        QCOMPARE(rowsIn(db, QStringLiteral("手牌消费")), 2);
        QCOMPARE(rowsIn(db, QStringLiteral("会员管理")), 1);
        QCOMPARE(rowsIn(db, QStringLiteral("日志")), 3); // the two kept and the clearing's own
        QCOMPARE(rowsIn(db, QStringLiteral("管理员")), admins);
        QCOMPARE(rowsIn(db, QStringLiteral("手牌管理")), tags);
        QCOMPARE(rowsIn(db, QStringLiteral("sysinfo")), 1);
        Transaction transaction(db);
        QCOMPARE(billnumber::allocate(db).toLongLong(), counter.toLongLong() + 1);
    }

    void aFailureDeletesNothing()
    {
        SeededDatabase seeded;
        Database& db = seeded.database();
        fill(db);
        // The last table refuses its delete, after the others were emptied.
        if (testBackend() == Backend::Postgres) {
            db.exec(
                QStringLiteral("create function keep_rows() returns trigger language plpgsql as "
                               "$$ begin raise exception 'rows kept'; end $$"));
            db.exec(QStringLiteral("create trigger keep_purchases before delete on 进货表 "
                                   "for each statement execute function keep_rows()"));
        } else {
            db.exec(QStringLiteral("create trigger keep_purchases before delete on 进货表 "
                                   "begin select raise(abort, 'rows kept'); end"));
        }
        const auto before = countsOf(db, recordTables);
        clr::Selection selection{true, true, true, true, true};
        QVERIFY_THROWS_EXCEPTION(DatabaseError, clr::clear(db, selection, QStringLiteral("x")));
        QVERIFY(!db.inTransaction());
        QCOMPARE(countsOf(db, recordTables), before);
        QCOMPARE(rowsIn(db, QStringLiteral("日志")), 2);
    }
};

QTEST_GUILESS_MAIN(TestDataClearing)
#include "tst_dataclearing.moc"
