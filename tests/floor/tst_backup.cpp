#include "FloorFixture.h"
#include "common/Prompter.h"
#include "floor/DatabaseBackup.h"
#include "floor/FileChooser.h"

#include <QAction>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

#include <atomic>
#include <thread>

using namespace shoupai;
using namespace shoupai::test;

namespace {

QByteArray digest(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

std::unique_ptr<Database> openFile(const QString& path)
{
    ConnectionDescription description;
    description.kind = ConnectionDescription::Kind::Sqlite;
    description.filePath = path;
    auto database = std::make_unique<Database>();
    if (!database->open(description, QFileInfo(path).absolutePath()))
        return nullptr;
    return database;
}

QStringList scratchFiles(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral(".*.tmp")}, QDir::Files | QDir::Hidden);
}

QString today()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
}

void insertTag(Database& db, const QString& tag)
{
    db.exec(
        QStringLiteral(
            "insert into 手牌管理 (手牌号码, 所属包厢, 手牌状态, number) values (?, ?, ?, ?)"),
        {tag, QStringLiteral("大厅"), QStringLiteral("可用"), QVariant::fromValue<qlonglong>(999)});
}

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT
private slots:
    void backupIsConsistentWhileOthersWrite();
    void backupCommandProposesAndReports();
    void restoreRefusesWhatIsNotOurDatabase();
    void restoreReplacesAndKeepsASafetyCopy();
    void restoreCommand();
    void backupAndExit();
};

void TestBackup::backupIsConsistentWhileOthersWrite()
{
    SeededDatabase storage;
    Database& db = storage.database();
    const QString target = QDir(storage.folder()).filePath(QStringLiteral("copy.db"));
    if (db.backend() == Backend::Postgres) {
        const DatabaseBackup::Result result = DatabaseBackup::backUp(db, target);
        if (QStandardPaths::findExecutable(QStringLiteral("pg_dump")).isEmpty()) {
            QCOMPARE(result.outcome, DatabaseBackup::Result::Outcome::NotAvailable);
            QVERIFY(!QFileInfo::exists(target));
        } else {
            QVERIFY2(result.done(), qPrintable(result.problem));
            QFile dump(target);
            QVERIFY(dump.open(QIODevice::ReadOnly));
            QCOMPARE(dump.read(5), QByteArray("PGDMP"));
        }
        QVERIFY(scratchFiles(storage.folder()).isEmpty());
        return;
    }

    // Another workstation keeps writing pairs of lines, each pair in one
    // transaction, while the copy is made.
    std::atomic<int> written{0};
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        auto other = storage.openAnother();
        for (int i = 0; i < 2000 && !stop; ++i) {
            Transaction transaction(*other);
            for (int half = 0; half < 2; ++half)
                addLine(*other, QStringLiteral("A01"), QStringLiteral("A01"),
                        QStringLiteral("可乐"), 1, Money::fromUnits(i));
            transaction.commit();
            written += 2;
        }
    });
    while (written < 40)
        QThread::msleep(2);
    const DatabaseBackup::Result result = DatabaseBackup::backUp(db, target);
    const int afterCopy = written;
    stop = true;
    writer.join();
    QVERIFY2(result.done(), qPrintable(result.problem));
    QCOMPARE(result.path, target);
    QCOMPARE(DatabaseBackup::checkRestorable(target), QString());
    auto copy = openFile(target);
    QVERIFY(copy);
    QCOMPARE(copy->scalar("PRAGMA integrity_check").toString(), QStringLiteral("ok"));
    const qint64 lines = countRows(*copy, "select count(*) from 手牌消费");
    QVERIFY(lines >= 40);
    QVERIFY(lines <= afterCopy + 2);
    QCOMPARE(lines % 2, 0); // never half a transaction
    QVERIFY(scratchFiles(storage.folder()).isEmpty());

    // A write not yet committed is not in the copy; an existing file is replaced.
    auto other = storage.openAnother();
    Transaction pending(*other);
    insertTag(*other, QStringLiteral("Z99"));
    const DatabaseBackup::Result again = DatabaseBackup::backUp(db, target);
    QVERIFY2(again.done(), qPrintable(again.problem));
    copy = openFile(target);
    QCOMPARE(countRows(*copy, "select count(*) from 手牌管理 where 手牌号码 = ?", {"Z99"}), 0);
    QCOMPARE(countRows(*copy, "select count(*) from 手牌消费"),
             countRows(db, "select count(*) from 手牌消费"));

    // A copy that cannot be written says so and leaves nothing behind.
    const QString nowhere = QDir(storage.folder()).filePath(QStringLiteral("missing/x.db"));
    const DatabaseBackup::Result failed = DatabaseBackup::backUp(db, nowhere);
    QCOMPARE(failed.outcome, DatabaseBackup::Result::Outcome::Failed);
    QVERIFY(!failed.problem.isEmpty());
}

void TestBackup::backupCommandProposesAndReports()
{
    Venue venue;
    ScriptedPrompter prompter;
    ScriptedFileChooser chooser;
    TMainFm main(venue.session());
    const QString first = QDir(venue.storage().folder()).filePath(QStringLiteral("first"));
    chooser.queueAnswer(first);
    main.action(QStringLiteral("数据备份"))->trigger();
    QCOMPARE(chooser.proposals().value(0), today() + QStringLiteral("备份文件"));
    const bool dumps = testBackend() == Backend::Sqlite ||
                       !QStandardPaths::findExecutable(QStringLiteral("pg_dump")).isEmpty();
    if (dumps) {
        QCOMPARE(prompter.lastText(), QStringLiteral("数据备份成功！\n") + first);
        QVERIFY(QFileInfo(first).size() > 0);
    } else {
        QCOMPARE(prompter.shown().last().kind, Prompter::Kind::Information);
    }

    // The next proposal starts with the name chosen last; a cancel does nothing.
    prompter.clear();
    main.action(QStringLiteral("数据备份"))->trigger();
    QCOMPARE(chooser.proposals().value(1), first + today() + QStringLiteral("备份文件"));
    QCOMPARE(prompter.shown().size(), 0);

    chooser.queueAnswer(QDir(venue.storage().folder()).filePath(QStringLiteral("missing/x")));
    main.action(QStringLiteral("数据备份"))->trigger();
    QCOMPARE(prompter.shown().size(), 1);
    if (dumps) {
        QCOMPARE(prompter.shown().last().kind, Prompter::Kind::Error);
        QVERIFY(prompter.lastText().startsWith(QStringLiteral("数据备份失败:")));
    }
}

void TestBackup::restoreRefusesWhatIsNotOurDatabase()
{
    SeededDatabase storage;
    Database& db = storage.database();
    const QString folder = storage.folder();
    const QString text = QDir(folder).filePath(QStringLiteral("notes.txt"));
    {
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("这不是数据库 not a database at all, just some text.\n");
    }
    if (db.backend() == Backend::Postgres) {
        const DatabaseBackup::Result result = DatabaseBackup::restore(db, text);
        QCOMPARE(result.outcome, DatabaseBackup::Result::Outcome::NotAvailable);
        QVERIFY(db.isOpen());
        return;
    }
    const QString live = DatabaseBackup::databaseFile(db);
    QCOMPARE(QFileInfo(live).fileName(), QStringLiteral("data.db"));
    const QByteArray before = digest(live);

    const QString foreign = QDir(folder).filePath(QStringLiteral("foreign.db"));
    {
        auto other = openFile(foreign);
        QVERIFY(other);
        other->exec("create table 其他 (a integer)");
    }
    const QString empty = QDir(folder).filePath(QStringLiteral("empty.db"));
    QFile(empty).open(QIODevice::WriteOnly);

    for (const QString& path : {text, foreign, empty, QDir(folder).filePath("absent.db")}) {
        const DatabaseBackup::Result result = DatabaseBackup::restore(db, path);
        QVERIFY2(!result.done(), qPrintable(path));
        QVERIFY(!result.problem.isEmpty());
        QVERIFY(db.isOpen());
        QCOMPARE(countRows(db, "select count(*) from 手牌管理"), 30);
        QCOMPARE(digest(live), before);
    }
    QVERIFY(!QFileInfo::exists(QDir(folder).filePath("absent.db")));
    QVERIFY(DatabaseBackup::checkRestorable(foreign).contains(QStringLiteral("没有表")));
    QVERIFY(scratchFiles(folder).isEmpty());
    // The file chosen is only read.
    QVERIFY(QFileInfo(text).size() > 0);
}

void TestBackup::restoreReplacesAndKeepsASafetyCopy()
{
    if (testBackend() == Backend::Postgres)
        QSKIP("the server's database is restored on the server");
    SeededDatabase storage;
    Database& db = storage.database();
    const QString folder = storage.folder();
    const QString live = DatabaseBackup::databaseFile(db);
    const QString saved = QDir(folder).filePath(QStringLiteral("saved.db"));
    QVERIFY(DatabaseBackup::backUp(db, saved).done());
    insertTag(db, QStringLiteral("Z99"));

    const DatabaseBackup::Result result = DatabaseBackup::restore(db, saved);
    QVERIFY2(result.done(), qPrintable(result.problem));
    QVERIFY(!db.isOpen());
    for (const char* suffix : {"-wal", "-shm", "-journal"})
        QVERIFY(!QFileInfo::exists(live + QLatin1String(suffix)));
    QVERIFY(scratchFiles(folder).isEmpty());
    QVERIFY(result.path.startsWith(live));
    auto safety = openFile(result.path);
    QVERIFY(safety);
    QCOMPARE(countRows(*safety, "select count(*) from 手牌管理 where 手牌号码 = ?", {"Z99"}), 1);
    auto restored = openFile(live);
    QVERIFY(restored);
    QCOMPARE(countRows(*restored, "select count(*) from 手牌管理 where 手牌号码 = ?", {"Z99"}), 0);
    QCOMPARE(countRows(*restored, "select count(*) from 手牌管理"), 30);
    QVERIFY(QFileInfo(saved).size() > 0);
}

void TestBackup::restoreCommand()
{
    Venue venue;
    ScriptedPrompter prompter;
    ScriptedFileChooser chooser;
    TMainFm main(venue.session());
    Database& db = venue.session().database();

    if (testBackend() == Backend::Postgres) {
        main.action(QStringLiteral("数据恢复"))->trigger();
        QCOMPARE(chooser.asked(), 0);
        QCOMPARE(prompter.shown().size(), 1);
        QVERIFY(prompter.lastText().contains(QStringLiteral("服务器")));
        QVERIFY(!main.isTerminating());
        QVERIFY(db.isOpen());
        return;
    }

    // Cancelled: nothing changes and the program goes on.
    main.action(QStringLiteral("数据恢复"))->trigger();
    QCOMPARE(chooser.asked(), 1);
    QCOMPARE(prompter.shown().size(), 0);
    QVERIFY(!main.isTerminating());
    QVERIFY(db.isOpen());

    const QString text = QDir(venue.storage().folder()).filePath(QStringLiteral("x.txt"));
    {
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("plain text");
    }
    chooser.queueAnswer(text);
    main.action(QStringLiteral("数据恢复"))->trigger();
    QCOMPARE(prompter.shown().last().kind, Prompter::Kind::Error);
    QVERIFY(prompter.lastText().startsWith(QStringLiteral("数据恢复失败,数据库没有改变:")));
    QVERIFY(!main.isTerminating());
    QCOMPARE(countRows(db, "select count(*) from 手牌管理"), 30);

    const QString saved = QDir(venue.storage().folder()).filePath(QStringLiteral("saved.db"));
    QVERIFY(DatabaseBackup::backUp(db, saved).done());
    chooser.queueAnswer(saved);
    main.action(QStringLiteral("数据恢复"))->trigger();
    QCOMPARE(prompter.lastText(), QStringLiteral("数据恢复成功，需要重新启动软件！"));
    QVERIFY(main.isTerminating());
}

void TestBackup::backupAndExit()
{
    Venue venue;
    ScriptedPrompter prompter;
    TMainFm main(venue.session());
    ScreenRecorder screens(main);
    screens.onShow([](QDialog& dialog) {
        for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
            if (b->text() == u"备份退出(单机版)")
                b->click();
        }
        return dialog.result();
    });
    Database& db = venue.session().database();
    const bool canCopy = testBackend() == Backend::Sqlite ||
                         !QStandardPaths::findExecutable(QStringLiteral("pg_dump")).isEmpty();

    if (testBackend() == Backend::Sqlite) {
        // A copy that cannot be made is reported, and the operator decides.
        db.begin();
        main.exitCommand();
        QCOMPARE(prompter.shown().size(), 1);
        QCOMPARE(prompter.shown().last().kind, Prompter::Kind::Question);
        QVERIFY(prompter.lastText().endsWith(QStringLiteral("是否仍然退出?")));
        QVERIFY(!main.isTerminating());
        db.rollback();
        prompter.clear();
    }

    main.exitCommand();
    if (canCopy) {
        QCOMPARE(prompter.shown().size(), 0);
        QVERIFY(main.isTerminating());
        const QString folder = testBackend() == Backend::Sqlite ? venue.storage().folder()
                                                                : venue.session().homeFolder();
        const QRegularExpression dated(QStringLiteral("^\\d{8} \\d{6}.+$"));
        QStringList copies;
        for (const QString& name : QDir(folder).entryList(QDir::Files)) {
            if (dated.match(name).hasMatch())
                copies << name;
        }
        QCOMPARE(copies.size(), 1);
        if (testBackend() == Backend::Sqlite) {
            QVERIFY(copies.first().endsWith(QStringLiteral("data.db")));
            QCOMPARE(DatabaseBackup::checkRestorable(QDir(folder).filePath(copies.first())),
                     QString());
        }
    } else {
        QCOMPARE(prompter.shown().last().kind, Prompter::Kind::Question);
    }
}

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
