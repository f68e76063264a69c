#include "TestDatabase.h"

#include "platform/Schema.h"
#include "platform/SchemaUpgrader.h"
#include "platform/SchemaUpgrades.h"

#include <QTest>
#include <QThread>

#include <atomic>
#include <latch>
#include <thread>

using namespace shoupai;
using shoupai::test::SeededDatabase;
using shoupai::test::TestDatabase;

namespace {

const QString wageIndex = QStringLiteral("ix_员工工资表_员工编号");

QString q(const Database& db, const QString& name)
{
    return db.dialect().quote(name);
}

void setVersion(Database& db, int version)
{
    db.exec(QStringLiteral("update %1 set %2 = ?")
                .arg(q(db, Schema::versionTable()), q(db, QStringLiteral("version"))),
            {version});
}

qint64 count(const Database& db, const QString& table)
{
    return db.scalar(QStringLiteral("select count(*) from %1").arg(q(db, table))).toLongLong();
}

bool indexExists(const Database& db, const QString& name)
{
    if (db.backend() == Backend::Sqlite)
        return db.scalar(QStringLiteral("select count(*) from sqlite_master "
                                        "where type = 'index' and name = ?"),
                         {name})
                   .toInt() == 1;
    return db.scalar(QStringLiteral("select count(*) from pg_indexes where indexname = ?"),
                     {name.toLower()})
               .toInt() == 1;
}

// A step that leaves a table of its own with one row, so that every run shows.
UpgradeStep markerStep(int version, const QString& table, std::atomic<int>* calls = nullptr)
{
    return {version, QStringLiteral("test marker"), [=](Database& db) {
                if (calls)
                    ++*calls;
                db.exec(QStringLiteral("create table %1 (n integer)").arg(q(db, table)));
                db.exec(QStringLiteral("insert into %1 (n) values (?)").arg(q(db, table)),
                        {version});
            }};
}

// Makes its table, then hits one that every database of this program has.
UpgradeStep failingStep(int version, const QString& table)
{
    return {version, QStringLiteral("test failure"), [=](Database& db) {
                db.exec(QStringLiteral("create table %1 (n integer)").arg(q(db, table)));
                db.exec(QStringLiteral("create table sysinfo (n integer)"));
            }};
}

} // namespace

class TestSchemaUpgrade : public QObject
{
    Q_OBJECT
private slots:
    void versionOneDatabaseTakesAStep();
    void failedStepKeepsTheVersionReached();
    void shippedStepsReachTheCurrentVersion();
    void databaseWithoutVersionTableIsLeftAlone();
    void twoWorkstationsMakeAStepOnce();
};

void TestSchemaUpgrade::versionOneDatabaseTakesAStep()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    setVersion(db, 1);
    QCOMPARE(Schema::storedVersion(db), 1);

    std::atomic<int> calls = 0;
    const QList<UpgradeStep> steps = {markerStep(2, QStringLiteral("upgrade_two"), &calls)};
    const UpgradeReport report = upgradeSchema(db, steps);
    QVERIFY(!report.failed());
    QCOMPARE(report.fromVersion, 1);
    QCOMPARE(report.toVersion, 2);
    QCOMPARE(report.applied, QList<int>{2});
    QCOMPARE(calls.load(), 1);
    QVERIFY(!db.inTransaction());
    QCOMPARE(Schema::storedVersion(db), 2);
    QCOMPARE(count(db, Schema::versionTable()), 1);
    QCOMPARE(count(db, QStringLiteral("upgrade_two")), 1);
    // The venue's data is untouched.
    QCOMPARE(count(db, QStringLiteral("管理员")), 1);

    // At the next start there is nothing left to do.
    const UpgradeReport again = upgradeSchema(db, steps);
    QCOMPARE(again.fromVersion, 2);
    QCOMPARE(again.toVersion, 2);
    QVERIFY(again.applied.isEmpty());
    QCOMPARE(calls.load(), 1);

    // Steps listed out of order still run in version order; those already held are skipped.
    QStringList order;
    const QList<UpgradeStep> unordered = {
        {4, QStringLiteral("four"), [&](Database&) { order << QStringLiteral("4"); }},
        {2, QStringLiteral("two"), [&](Database&) { order << QStringLiteral("2"); }},
        {3, QStringLiteral("three"), [&](Database&) { order << QStringLiteral("3"); }},
    };
    const UpgradeReport ordered = upgradeSchema(db, unordered);
    QCOMPARE(order, (QStringList{QStringLiteral("3"), QStringLiteral("4")}));
    QCOMPARE(ordered.applied, (QList<int>{3, 4}));
    QCOMPARE(Schema::storedVersion(db), 4);
}

void TestSchemaUpgrade::failedStepKeepsTheVersionReached()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    setVersion(db, 1);

    bool laterStepRan = false;
    const QList<UpgradeStep> steps = {
        markerStep(2, QStringLiteral("upgrade_two")),
        failingStep(3, QStringLiteral("upgrade_three")),
        {4, QStringLiteral("after the failure"), [&](Database&) { laterStepRan = true; }},
    };
    const UpgradeReport report = upgradeSchema(db, steps);
    QVERIFY(report.failed());
    QCOMPARE(report.failedVersion, 3);
    QVERIFY(!report.error.isEmpty());
    QCOMPARE(report.applied, QList<int>{2});
    QCOMPARE(report.toVersion, 2);
    QVERIFY(!laterStepRan);
    QVERIFY(!db.inTransaction());

    // The step before the failure stays; the failed one left nothing behind.
    QCOMPARE(Schema::storedVersion(db), 2);
    QVERIFY(db.tableExists(QStringLiteral("upgrade_two")));
    QVERIFY(!db.tableExists(QStringLiteral("upgrade_three")));
    // The connection is usable afterwards.
    QCOMPARE(count(db, QStringLiteral("管理员")), 1);

    // Once the cause is gone the next start makes the step.
    const QList<UpgradeStep> mended = {markerStep(2, QStringLiteral("upgrade_two")),
                                       markerStep(3, QStringLiteral("upgrade_three"))};
    const UpgradeReport retried = upgradeSchema(db, mended);
    QVERIFY(!retried.failed());
    QCOMPARE(retried.applied, QList<int>{3});
    QCOMPARE(Schema::storedVersion(db), 3);
}

void TestSchemaUpgrade::shippedStepsReachTheCurrentVersion()
{
    // Numbered upward from the first version, each number once, the last one current.
    int previous = Schema::baseVersion;
    for (const UpgradeStep& step : upgradeSteps()) {
        QVERIFY2(step.version > previous, qPrintable(step.description));
        QVERIFY(!step.description.isEmpty());
        QVERIFY(step.apply);
        previous = step.version;
    }
    QCOMPARE(Schema::currentVersion(), previous);

    // A new database holds every step's objects at the current version.
    SeededDatabase seeded;
    Database& db = seeded.database();
    QCOMPARE(Schema::storedVersion(db), Schema::currentVersion());
    QVERIFY(indexExists(db, wageIndex));

    // A database made before the wage index gets it at start-up, its rows kept.
    db.exec(QStringLiteral("drop index %1").arg(q(db, wageIndex)));
    setVersion(db, Schema::baseVersion);
    db.exec(QStringLiteral("insert into 员工工资表 (员工编号, 员工姓名) values (?, ?)"),
            {QStringLiteral("E01"), QStringLiteral("张三")});
    QVERIFY(!indexExists(db, wageIndex));
    const UpgradeReport report = upgradeSchema(db);
    QVERIFY2(!report.failed(), qPrintable(report.error));
    QCOMPARE(report.toVersion, Schema::currentVersion());
    QVERIFY(indexExists(db, wageIndex));
    QCOMPARE(count(db, QStringLiteral("员工工资表")), 1);
}

void TestSchemaUpgrade::databaseWithoutVersionTableIsLeftAlone()
{
    TestDatabase venue;
    Database& db = venue.database();
    // A venue's own database: the tables this program reads, no version table.
    db.exec(QStringLiteral("create table 管理员 (用户名 text, 密码 text)"));
    db.exec(QStringLiteral("create table 员工工资表 (员工编号 text, 工资 integer)"));
    db.exec(QStringLiteral("insert into 员工工资表 (员工编号, 工资) values (?, ?)"),
            {QStringLiteral("E01"), 10000});

    std::atomic<int> calls = 0;
    QList<UpgradeStep> steps = upgradeSteps();
    steps << markerStep(Schema::currentVersion() + 1, QStringLiteral("upgrade_marker"), &calls);
    const UpgradeReport report = upgradeSchema(db, steps);
    QVERIFY(!report.failed());
    QCOMPARE(report.fromVersion, 0);
    QVERIFY(report.applied.isEmpty());
    QCOMPARE(calls.load(), 0);
    QVERIFY(!db.tableExists(Schema::versionTable()));
    QVERIFY(!db.tableExists(QStringLiteral("upgrade_marker")));
    QVERIFY(!indexExists(db, wageIndex));
    QCOMPARE(count(db, QStringLiteral("员工工资表")), 1);
}

void TestSchemaUpgrade::twoWorkstationsMakeAStepOnce()
{
    SeededDatabase seeded;
    setVersion(seeded.database(), 1);
    const QString connection = seeded.connectionText();
    const QString folder = seeded.folder();

    std::atomic<int> calls = 0;
    UpgradeStep step = markerStep(2, QStringLiteral("upgrade_once"), &calls);
    // Holds the lock long enough for the other workstation to arrive and wait for it.
    const auto marker = step.apply;
    step.apply = [marker](Database& db) {
        marker(db);
        QThread::msleep(300);
    };
    const QList<UpgradeStep> steps = {step};

    struct Outcome
    {
        UpgradeReport report;
        QString problem;
    };
    Outcome outcomes[2];
    std::latch ready(2);
    auto workstation = [&](Outcome& outcome) {
        Database db;
        if (!db.open(ConnectionDescription::parse(connection), folder)) {
            outcome.problem = db.lastError();
            ready.count_down();
            return;
        }
        ready.arrive_and_wait();
        try {
            outcome.report = upgradeSchema(db, steps);
        } catch (const DatabaseError& error) {
            outcome.problem = error.text();
        }
    };
    std::thread first(workstation, std::ref(outcomes[0]));
    std::thread second(workstation, std::ref(outcomes[1]));
    first.join();
    second.join();

    for (const Outcome& outcome : outcomes) {
        QVERIFY2(outcome.problem.isEmpty(), qPrintable(outcome.problem));
        QVERIFY2(!outcome.report.failed(), qPrintable(outcome.report.error));
        QCOMPARE(outcome.report.fromVersion, 1);
        QCOMPARE(outcome.report.toVersion, 2);
    }
    QCOMPARE(calls.load(), 1);
    QCOMPARE(outcomes[0].report.applied.size() + outcomes[1].report.applied.size(), 1);
    Database& db = seeded.database();
    QCOMPARE(count(db, QStringLiteral("upgrade_once")), 1);
    QCOMPARE(Schema::storedVersion(db), 2);
}

QTEST_GUILESS_MAIN(TestSchemaUpgrade)
#include "tst_schemaupgrade.moc"
