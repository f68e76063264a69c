#include "FloorFixture.h"
#include "floor/BillCancellation.h"

#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

namespace {

QString stateOf(Database& db, const QString& tag)
{
    return db.scalar(QStringLiteral("select 手牌状态 from 手牌管理 where 手牌号码 = ?"), {tag})
        .toString();
}

qint64 rowsOf(Database& db, const QString& table, const QString& tag)
{
    return countRows(db, QStringLiteral("select count(*) from %1 where 手牌号码 = ?").arg(table),
                     {tag});
}

// A group A01 (main) + A02 + A03 with a line each, and a separate bill on A05.
void seedGroups(Database& db)
{
    for (const char* tag : {"A01", "A02", "A03"}) {
        openBill(db, QString::fromLatin1(tag), QStringLiteral("A01"));
        addLine(db, QString::fromLatin1(tag), QStringLiteral("A01"), QStringLiteral("可乐"), 1,
                Money::fromUnits(5));
    }
    openBill(db, QStringLiteral("A05"), QStringLiteral("A05"));
    addLine(db, QStringLiteral("A05"), QStringLiteral("A05"), QStringLiteral("茶"), 2,
            Money::fromUnits(8));
}

} // namespace

class TestCancellation : public QObject
{
    Q_OBJECT
private slots:
    void mainTagFreesTheWholeGroup();
    void mergedTagGoesAlone();
    void aFailureLeavesEverything();
};

void TestCancellation::mainTagFreesTheWholeGroup()
{
    SeededDatabase storage;
    Database& db = storage.database();
    seedGroups(db);
    const QStringList freed = cancelOpenBill(db, QStringLiteral("A01"));
    QCOMPARE(freed, (QStringList{"A01", "A02", "A03"}));
    for (const char* tag : {"A01", "A02", "A03"}) {
        QCOMPARE(stateOf(db, QString::fromLatin1(tag)), QStringLiteral("可用"));
        QCOMPARE(rowsOf(db, QStringLiteral("手牌开单"), QString::fromLatin1(tag)), 0);
        QCOMPARE(rowsOf(db, QStringLiteral("手牌消费"), QString::fromLatin1(tag)), 0);
    }
    // Nothing of the group is left pointing at the cancelled bill.
    QCOMPARE(countRows(db, "select count(*) from 手牌开单 where 主手牌号 = ?", {"A01"}), 0);
    QCOMPARE(countRows(db, "select count(*) from 手牌消费 where 主手牌号 = ?", {"A01"}), 0);
    // Another bill is untouched, and no bill record is written.
    QCOMPARE(stateOf(db, QStringLiteral("A05")), QStringLiteral("占用"));
    QCOMPARE(rowsOf(db, QStringLiteral("手牌消费"), QStringLiteral("A05")), 1);
    QCOMPARE(countRows(db, "select count(*) from 结帐管理"), 0);
}

void TestCancellation::mergedTagGoesAlone()
{
    SeededDatabase storage;
    Database& db = storage.database();
    seedGroups(db);
    QCOMPARE(cancelOpenBill(db, QStringLiteral("A02")), QStringList{QStringLiteral("A02")});
    QCOMPARE(stateOf(db, QStringLiteral("A02")), QStringLiteral("可用"));
    QCOMPARE(rowsOf(db, QStringLiteral("手牌开单"), QStringLiteral("A02")), 0);
    QCOMPARE(rowsOf(db, QStringLiteral("手牌消费"), QStringLiteral("A02")), 0);
    for (const char* tag : {"A01", "A03"}) {
        QCOMPARE(stateOf(db, QString::fromLatin1(tag)), QStringLiteral("占用"));
        QCOMPARE(rowsOf(db, QStringLiteral("手牌开单"), QString::fromLatin1(tag)), 1);
        QCOMPARE(rowsOf(db, QStringLiteral("手牌消费"), QString::fromLatin1(tag)), 1);
    }

    // A tag shown occupied without an open-bill row is freed with its lines.
    setTagState(db, QStringLiteral("A07"), QStringLiteral("占用"));
    addLine(db, QStringLiteral("A07"), QStringLiteral("A07"), QStringLiteral("茶"), 1,
            Money::fromUnits(8));
    QCOMPARE(cancelOpenBill(db, QStringLiteral("A07")), QStringList{QStringLiteral("A07")});
    QCOMPARE(stateOf(db, QStringLiteral("A07")), QStringLiteral("可用"));
    QCOMPARE(rowsOf(db, QStringLiteral("手牌消费"), QStringLiteral("A07")), 0);
}

void TestCancellation::aFailureLeavesEverything()
{
    SeededDatabase storage;
    Database& db = storage.database();
    seedGroups(db);
    // The last step, freeing the tags, fails.
    if (db.backend() == Backend::Sqlite) {
        db.exec("create trigger refuse_free before update on 手牌管理 "
                "begin select raise(abort, 'refused'); end");
    } else {
        db.exec("create function refuse_free() returns trigger as $$ begin "
                "raise exception 'refused'; end $$ language plpgsql");
        db.exec("create trigger refuse_free before update on 手牌管理 for each row "
                "execute function refuse_free()");
    }
    QVERIFY_THROWS_EXCEPTION(DatabaseError, cancelOpenBill(db, QStringLiteral("A01")));
    QVERIFY(!db.inTransaction());
    QCOMPARE(countRows(db, "select count(*) from 手牌开单"), 4);
    QCOMPARE(countRows(db, "select count(*) from 手牌消费"), 4);
    QCOMPARE(stateOf(db, QStringLiteral("A01")), QStringLiteral("占用"));
}

QTEST_MAIN(TestCancellation)
#include "tst_cancellation.moc"
