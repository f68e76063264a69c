#include "BusinessWrites.h"
#include "platform/Schema.h"
#include "support/Invariants.h"
#include "support/TestDatabase.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

using namespace shoupai;
using namespace shoupai::test;

namespace {

const QString SqliteVenueText = QStringLiteral("Provider=SQLite;Data Source=data.db");
// The nobody user: a desktop user that may write the file but not its folder.
constexpr uid_t Nobody = 65534;

// What one run of the child process showed.
struct ChildRun
{
    bool crashed = false;
    int killedAt = 0; // the statement after which it announced its kill
    int statements = -1;
    QString result;
    qint64 backend = 0;
    QString output;

    bool done() const { return !crashed && result == u"done"; }
    bool refused() const { return !crashed && result.startsWith(u"refused"); }
};

QString describe(const ChildRun& run)
{
    return run.output.trimmed();
}

ChildRun parse(const QString& output, bool crashed)
{
    ChildRun run;
    run.crashed = crashed;
    run.output = output;
    for (const QString& line : output.split(u'\n', Qt::SkipEmptyParts)) {
        const QString key = line.section(u' ', 0, 0);
        const QString rest = line.section(u' ', 1);
        if (key == u"KILLING")
            run.killedAt = rest.toInt();
        else if (key == u"STATEMENTS")
            run.statements = rest.toInt();
        else if (key == u"RESULT")
            run.result = rest;
        else if (key == u"BACKEND")
            run.backend = rest.toLongLong();
    }
    return run;
}

// Starts the child on a database; whilePaused runs once the child stops at
// its pause statement, before it is let go.
ChildRun runChild(const QString& write, const QString& connection, const QString& folder,
                  const QHash<QString, QString>& environment = {},
                  const std::function<void(const ChildRun&)>& whilePaused = {})
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"SHOUPAI_CRASH_AFTER", "SHOUPAI_PAUSE_AFTER", "SHOUPAI_CHILD_UID"})
        env.remove(QString::fromLatin1(name));
    for (auto it = environment.cbegin(); it != environment.cend(); ++it)
        env.insert(it.key(), it.value());
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QStringLiteral(SHOUPAI_CRASH_CHILD), {write, connection, folder});
    if (!child.waitForStarted(30000))
        return parse(QStringLiteral("did not start: ") + child.errorString(), true);
    QByteArray output;
    if (whilePaused) {
        while (!output.contains("PAUSED") && child.state() == QProcess::Running &&
               child.waitForReadyRead(30000))
            output += child.readAllStandardOutput();
        if (output.contains("PAUSED"))
            whilePaused(parse(QString::fromUtf8(output), false));
        child.write("go\n");
        child.closeWriteChannel();
    }
    child.waitForFinished(60000);
    output += child.readAllStandardOutput();
    return parse(QString::fromUtf8(output), child.exitStatus() == QProcess::CrashExit);
}

// The content of every table, so that a write can be told to be whole,
// absent or half-written: rows and a digest of their sorted texts.
struct TableState
{
    qint64 rows = 0;
    QByteArray digest;
    bool operator==(const TableState&) const = default;
};
using Fingerprint = QMap<QString, TableState>;

Fingerprint fingerprint(const Database& db, const QStringList& tables)
{
    Fingerprint result;
    for (const QString& table : tables) {
        QStringList rows;
        Rows all = db.query(QStringLiteral("select * from ") + db.dialect().quote(table));
        while (all.next()) {
            QStringList values;
            const QSqlRecord record = all.record();
            for (int i = 0; i < record.count(); ++i)
                values << (record.isNull(i) ? QStringLiteral("\\N") : record.value(i).toString());
            rows << values.join(QChar(0x1f));
        }
        rows.sort();
        result.insert(table, {rows.size(), QCryptographicHash::hash(rows.join(QChar(0x1e)).toUtf8(),
                                                                    QCryptographicHash::Sha1)});
    }
    return result;
}

QStringList changedTables(const Fingerprint& from, const Fingerprint& to)
{
    QStringList changed;
    for (auto it = from.cbegin(); it != from.cend(); ++it) {
        if (to.value(it.key()) != *it)
            changed << it.key();
    }
    return changed;
}

QMap<QString, qint64> rowCounts(const Fingerprint& state)
{
    QMap<QString, qint64> counts;
    for (auto it = state.cbegin(); it != state.cend(); ++it)
        counts.insert(it.key(), it->rows);
    return counts;
}

// The prepared venue, and a working copy of it that the children write to and
// that is put back after a write took effect.
class Venue
{
public:
    Venue()
    {
        if (testBackend() == Backend::Sqlite) {
            Database venue;
            if (!venue.open(ConnectionDescription::parse(
                                QStringLiteral("Provider=SQLite;Data Source=venue.db")),
                            m_folder.path()))
                throw std::runtime_error("cannot create the venue");
            build(venue);
            m_tables = tablesOf(venue);
        } else {
            m_postgres = std::make_unique<TestDatabase>(QStringLiteral("crash"));
            Database& db = m_postgres->database();
            build(db);
            m_tables = tablesOf(db);
            // A copy inside the same database: putting the rows back is far
            // cheaper than creating a database from a template.
            db.exec(QStringLiteral("create schema venue_copy"));
            for (const QString& table : std::as_const(m_tables))
                db.exec(QStringLiteral("create table venue_copy.%1 as select * from %1")
                            .arg(db.dialect().quote(table)));
        }
        restore();
    }

    Database& db() { return m_postgres ? m_postgres->database() : *m_sqlite; }
    QString connectionText() const
    {
        return m_postgres ? m_postgres->connectionText() : SqliteVenueText;
    }
    QString folder() const { return m_folder.path(); }
    const QStringList& tables() const { return m_tables; }

    void restore()
    {
        if (m_postgres) {
            Database& d = db();
            Transaction transaction(d);
            for (const QString& table : std::as_const(m_tables)) {
                const QString quoted = d.dialect().quote(table);
                d.exec(QStringLiteral("delete from ") + quoted);
                d.exec(QStringLiteral("insert into %1 select * from venue_copy.%1").arg(quoted));
            }
            transaction.commit();
            return;
        }
        m_sqlite.reset();
        copyTo(m_folder.path());
        m_sqlite = std::make_unique<Database>();
        if (!m_sqlite->open(ConnectionDescription::parse(SqliteVenueText), m_folder.path()))
            throw std::runtime_error("cannot open the working copy");
    }

    // The venue as data.db in another folder (SQLite).
    void copyTo(const QString& folder) const
    {
        QDir dir(folder);
        for (const char* suffix : {"", "-journal", "-wal", "-shm"})
            dir.remove(QStringLiteral("data.db") + QString::fromLatin1(suffix));
        if (!QFile::copy(m_folder.filePath(QStringLiteral("venue.db")),
                         dir.filePath(QStringLiteral("data.db"))))
            throw std::runtime_error("cannot copy the venue");
    }

private:
    static void build(Database& db)
    {
        Schema::create(db);
        Schema::seed(db);
        prepareVenue(db);
    }

    static QStringList tablesOf(const Database& db)
    {
        QStringList tables;
        Rows rows =
            db.backend() == Backend::Sqlite
                ? db.query(QStringLiteral("select name from sqlite_master where type = "
                                          "'table' and name not like 'sqlite%' order by name"))
                : db.query(QStringLiteral("select table_name as name from "
                                          "information_schema.tables where table_schema = "
                                          "current_schema() order by table_name"));
        while (rows.next())
            tables << rows.text(QStringLiteral("name"));
        return tables;
    }

    QTemporaryDir m_folder;
    std::unique_ptr<Database> m_sqlite;
    std::unique_ptr<TestDatabase> m_postgres;
    QStringList m_tables;
};

QString lines(const QStringList& list)
{
    return list.join(u'\n');
}

} // namespace

class TestCrashWrites : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void everyKillPointLeavesTheWriteWholeOrAbsent_data();
    void everyKillPointLeavesTheWriteWholeOrAbsent();
    void fullDiskFailsWithNothingWritten();
    void readOnlyJournalFolderFailsWithNothingWritten();

private:
    std::unique_ptr<Venue> m_venue;
};

void TestCrashWrites::initTestCase()
{
    m_venue = std::make_unique<Venue>();
}

void TestCrashWrites::everyKillPointLeavesTheWriteWholeOrAbsent_data()
{
    QTest::addColumn<QString>("write");
    for (const BusinessWrite& write : businessWrites())
        QTest::newRow(qPrintable(write.name)) << write.name;
}

// The write is run whole once to count its statements and see what it
// changes; then the child is killed after each of them in turn. Every time
// the database holds the write wholly or not at all, and every rule holds.
// On PostgreSQL the server also ends the child's connection in the middle.
void TestCrashWrites::everyKillPointLeavesTheWriteWholeOrAbsent()
{
    QFETCH(QString, write);
    const BusinessWrite* business = findWrite(write);
    QVERIFY(business);
    Venue& venue = *m_venue;
    venue.restore();
    const auto child = [&](const QHash<QString, QString>& env = {},
                           const std::function<void(const ChildRun&)>& whilePaused = {}) {
        return runChild(write, venue.connectionText(), venue.folder(), env, whilePaused);
    };
    const Baseline baseline = takeBaseline(venue.db());
    const Fingerprint before = fingerprint(venue.db(), venue.tables());
    QVERIFY(!business->tookEffect(venue.db()));

    const ChildRun whole = child();
    QVERIFY2(whole.done(), qPrintable(describe(whole)));
    QVERIFY(whole.statements > 1);
    QVERIFY(business->tookEffect(venue.db()));
    QCOMPARE(lines(checkInvariants(venue.db(), baseline)), QString());
    const Fingerprint after = fingerprint(venue.db(), venue.tables());
    const QStringList changed = changedTables(before, after);
    QVERIFY(!changed.isEmpty());
    venue.restore();

    int absent = 0, present = 0;
    for (int n = 1; n <= whole.statements; ++n) {
        const ChildRun killed =
            child({{QStringLiteral("SHOUPAI_CRASH_AFTER"), QString::number(n)}});
        QVERIFY2(
            killed.crashed && killed.killedAt == n,
            qPrintable(
                QStringLiteral("not killed after statement %1: %2").arg(n).arg(describe(killed))));
        const Fingerprint state = fingerprint(venue.db(), venue.tables());
        const QStringList touched = changedTables(before, state);
        if (touched.isEmpty()) {
            ++absent;
        } else {
            QVERIFY2(touched == changed && rowCounts(state) == rowCounts(after),
                     qPrintable(QStringLiteral("half-written after statement %1 of %2: changed %3, "
                                               "the whole write changes %4")
                                    .arg(n)
                                    .arg(whole.statements)
                                    .arg(touched.join(u','), changed.join(u','))));
            QVERIFY(business->tookEffect(venue.db()));
            ++present;
        }
        const QStringList violations = checkInvariants(venue.db(), baseline);
        QVERIFY2(
            violations.isEmpty(),
            qPrintable(QStringLiteral("after statement %1 of %2:\n").arg(n).arg(whole.statements) +
                       lines(violations)));
        if (!touched.isEmpty())
            venue.restore();
    }
    // The first statement comes before anything is written, the last after the commit.
    QVERIFY(absent >= 1);
    QVERIFY(present >= 1);
    qInfo("%s: %d kill points, %d left nothing, %d left the whole write", qPrintable(write),
          whole.statements, absent, present);

    if (testBackend() != Backend::Postgres)
        return;
    // The server ends the child's session half-way; the unit reports the
    // failure and the database is as before.
    const int middle = std::max(1, whole.statements / 2);
    bool terminated = false;
    const ChildRun cut = child({{QStringLiteral("SHOUPAI_PAUSE_AFTER"), QString::number(middle)}},
                               [&](const ChildRun& paused) {
                                   terminated =
                                       paused.backend > 0 &&
                                       venue.db()
                                           .scalar(QStringLiteral("select pg_terminate_backend(?)"),
                                                   {paused.backend})
                                           .toBool();
                               });
    QVERIFY2(terminated, qPrintable(describe(cut)));
    QVERIFY2(cut.refused(), qPrintable(describe(cut)));
    QCOMPARE(changedTables(before, fingerprint(venue.db(), venue.tables())), QStringList());
    QCOMPARE(lines(checkInvariants(venue.db(), baseline)), QString());
}

void TestCrashWrites::fullDiskFailsWithNothingWritten()
{
    if (testBackend() != Backend::Sqlite)
        QSKIP("the database file is SQLite's");
    QTemporaryDir mountPoint;
    if (QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                                    QStringLiteral("-o"), QStringLiteral("size=2m"),
                                                    QStringLiteral("tmpfs"), mountPoint.path()}) !=
        0) {
        const QString reason = QStringLiteral("mounting a small tmpfs needs root");
        if (qEnvironmentVariable("CI") == u"true")
            QFAIL(qPrintable(reason));
        QSKIP(qPrintable(reason));
    }
    const auto unmount = qScopeGuard([&] {
        QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), mountPoint.path()});
    });
    const QString fillerPath = mountPoint.filePath(QStringLiteral("filler"));

    // From a completely full disk up, a little more room each time: the write
    // fails first on its journal, later when the file grows at commit, until
    // it fits. Every failure is reported and leaves nothing behind.
    for (const QString& write : {QStringLiteral("post-card"), QStringLiteral("goods-import")}) {
        int failures = 0;
        bool fitted = false;
        for (int room = 0; room <= 64 && !fitted; ++room) {
            m_venue->copyTo(mountPoint.path());
            QFile filler(fillerPath);
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Truncate));
            const QByteArray block(4096, '\0');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
            filler.close();
            QVERIFY(filler.resize(std::max<qint64>(0, filler.size() - qint64(room) * 4096)));

            Database db;
            QVERIFY(db.open(ConnectionDescription::parse(SqliteVenueText), mountPoint.path()));
            const Baseline baseline = takeBaseline(db);
            const Fingerprint before = fingerprint(db, m_venue->tables());
            const ChildRun run = runChild(write, SqliteVenueText, mountPoint.path());
            if (run.done()) {
                fitted = true;
                QVERIFY(findWrite(write)->tookEffect(db));
            } else {
                QVERIFY2(run.refused() && run.result.size() > QStringLiteral("refused ").size(),
                         qPrintable(describe(run)));
                QCOMPARE(changedTables(before, fingerprint(db, m_venue->tables())), QStringList());
                if (failures++ == 0)
                    qInfo("%s on a full disk: %s", qPrintable(write), qPrintable(run.result));
            }
            QCOMPARE(lines(checkInvariants(db, baseline)), QString());
            QFile::remove(fillerPath);
        }
        QVERIFY2(failures > 0, qPrintable(write));
        QVERIFY2(fitted, qPrintable(write));
        qInfo("%s: %d failed attempts before it fitted", qPrintable(write), failures);
    }
}

void TestCrashWrites::readOnlyJournalFolderFailsWithNothingWritten()
{
    if (testBackend() != Backend::Sqlite)
        QSKIP("the journal is SQLite's");
    QTemporaryDir folder;
    m_venue->copyTo(folder.path());
    const QString file = QDir(folder.path()).filePath(QStringLiteral("data.db"));
    QHash<QString, QString> env;
    if (geteuid() == 0) {
        // Root writes anywhere: the child runs as a user who owns the file
        // but may not create files next to it.
        QVERIFY(::chown(QFile::encodeName(file).constData(), Nobody, Nobody) == 0);
        QVERIFY(::chmod(QFile::encodeName(folder.path()).constData(), 0755) == 0);
        env.insert(QStringLiteral("SHOUPAI_CHILD_UID"), QString::number(Nobody));
    } else {
        QVERIFY(::chmod(QFile::encodeName(folder.path()).constData(), 0555) == 0);
    }
    const auto writable =
        qScopeGuard([&] { ::chmod(QFile::encodeName(folder.path()).constData(), 0755); });

    Database db;
    QVERIFY(db.open(ConnectionDescription::parse(SqliteVenueText), folder.path()));
    const Baseline baseline = takeBaseline(db);
    const Fingerprint before = fingerprint(db, m_venue->tables());
    for (const QString& write :
         {QStringLiteral("post-card"), QStringLiteral("recharge"), QStringLiteral("tag-batch")}) {
        const ChildRun run = runChild(write, SqliteVenueText, folder.path(), env);
        QVERIFY2(run.refused() && run.result.size() > QStringLiteral("refused ").size(),
                 qPrintable(write + QStringLiteral(": ") + describe(run)));
        qInfo("%s with a read-only journal folder: %s", qPrintable(write), qPrintable(run.result));
        QCOMPARE(changedTables(before, fingerprint(db, m_venue->tables())), QStringList());
        QCOMPARE(lines(checkInvariants(db, baseline)), QString());
    }
}

QTEST_GUILESS_MAIN(TestCrashWrites)
#include "tst_crashwrites.moc"
