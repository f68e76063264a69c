#include "TestDatabase.h"
#include "platform/Database.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>

using namespace shoupai;
using namespace shoupai::test;

namespace {

// A PostgreSQL cluster of the test's own, so that restarting it disturbs
// nobody else's tests.
class ThrowawayCluster
{
public:
    ~ThrowawayCluster()
    {
        if (m_started)
            pgCtl(QStringLiteral("-m immediate stop"));
    }

    // Empty when started, otherwise why not.
    QString start()
    {
        QDir versions(QStringLiteral("/usr/lib/postgresql"));
        QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        std::sort(found.begin(), found.end(),
                  [](const QString& a, const QString& b) { return a.toDouble() < b.toDouble(); });
        for (const QString& version : found) {
            if (QFile::exists(versions.filePath(version + QStringLiteral("/bin/pg_ctl"))))
                m_bin = versions.filePath(version + QStringLiteral("/bin"));
        }
        if (m_bin.isEmpty())
            return QStringLiteral("no PostgreSQL server binaries under /usr/lib/postgresql");
        if (!m_folder.isValid())
            return QStringLiteral("no temporary folder");
        if (::geteuid() == 0 &&
            !run(QStringLiteral("chown postgres %1").arg(m_folder.path()), false))
            return QStringLiteral("cannot hand the folder to the postgres user");
        m_port = freePort();
        if (!run(QStringLiteral("%1/initdb -D %2/data -U postgres -A trust -E UTF8 "
                                "--locale=C.UTF-8 >%2/initdb.log 2>&1")
                     .arg(m_bin, m_folder.path())))
            return QStringLiteral("initdb failed");
        if (!pgCtl(QStringLiteral("-l %1/server.log -o \"-h 127.0.0.1 -p %2 -k %1 -c fsync=off\" "
                                  "start")
                       .arg(m_folder.path())
                       .arg(m_port)))
            return QStringLiteral("the cluster did not start");
        m_started = true;
        return {};
    }

    bool restart() { return pgCtl(QStringLiteral("-m fast restart")); }

    QString connectionText(const QString& database) const
    {
        return QStringLiteral("Provider=PostgreSQL;User ID=postgres;Initial Catalog=%1;"
                              "Data Source=127.0.0.1,%2;")
            .arg(database)
            .arg(m_port);
    }

private:
    bool pgCtl(const QString& arguments)
    {
        return run(QStringLiteral("%1/pg_ctl -D %2/data -w %3 >>%2/pg_ctl.log 2>&1")
                       .arg(m_bin, m_folder.path(), arguments));
    }

    // Server commands run as the postgres user when the test runs as root.
    bool run(const QString& command, bool asServer = true)
    {
        QProcess process;
        if (asServer && ::geteuid() == 0)
            process.start(QStringLiteral("su"),
                          {QStringLiteral("postgres"), QStringLiteral("-s"),
                           QStringLiteral("/bin/sh"), QStringLiteral("-c"), command});
        else
            process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
        return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    static int freePort()
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        socklen_t length = sizeof(address);
        int port = 0;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            port = ntohs(address.sin_port);
        ::close(fd);
        return port;
    }

    QTemporaryDir m_folder;
    QString m_bin;
    int m_port = 0;
    bool m_started = false;
};

std::unique_ptr<Database> openOn(const ThrowawayCluster& cluster, const QString& database)
{
    auto db = std::make_unique<Database>();
    if (!db->open(ConnectionDescription::parse(cluster.connectionText(database)), QDir::tempPath()))
        return nullptr;
    return db;
}

// Ends a backend from a connection of its own, as another workstation or an
// administrator would.
bool terminate(const ThrowawayCluster& cluster, qint64 pid)
{
    const std::unique_ptr<Database> admin = openOn(cluster, QStringLiteral("postgres"));
    return admin && admin
                        ->scalar(QStringLiteral("select pg_terminate_backend(?)"),
                                 {QVariant::fromValue<qlonglong>(pid)})
                        .toBool();
}

qint64 rowCount(Database& db)
{
    return db.scalar(QStringLiteral("select count(*) from kept")).toLongLong();
}

} // namespace

class TestReconnect : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void serverRestartBetweenCommands();
    void terminatedBackendBetweenCommands();
    void transactionOnALostConnectionIsGone();

private:
    std::unique_ptr<ThrowawayCluster> m_cluster;
    std::unique_ptr<Database> m_db;
};

void TestReconnect::initTestCase()
{
    if (testBackend() != Backend::Postgres)
        QSKIP("lost server connections are tried on PostgreSQL only "
              "(SHOUPAI_TEST_BACKEND=postgres)");
    m_cluster = std::make_unique<ThrowawayCluster>();
    const QString problem = m_cluster->start();
    if (!problem.isEmpty())
        QSKIP(qPrintable(QStringLiteral("no throwaway PostgreSQL cluster: ") + problem));
    const std::unique_ptr<Database> admin = openOn(*m_cluster, QStringLiteral("postgres"));
    QVERIFY(admin);
    admin->exec(QStringLiteral("create database till encoding 'UTF8' template template0"));
}

void TestReconnect::init()
{
    // Every case starts on a fresh connection and an empty table.
    m_db.reset();
    m_db = openOn(*m_cluster, QStringLiteral("till"));
    QVERIFY(m_db);
    m_db->exec(QStringLiteral("drop table if exists kept"));
    m_db->exec(QStringLiteral("create table kept (id serial primary key, v integer)"));
    m_db->exec(QStringLiteral("insert into kept (v) values (?)"), {1});
}

void TestReconnect::serverRestartBetweenCommands()
{
    Database& db = *m_db;
    QCOMPARE(db.scalar(QStringLiteral("show statement_timeout")).toString(),
             QStringLiteral("5min"));
    QVERIFY(m_cluster->restart());

    // The statement that met the restart fails with the server's text and is
    // not run again on its own: the row is not there.
    try {
        db.exec(QStringLiteral("insert into kept (v) values (?)"), {2});
        QFAIL("a statement on a restarted server succeeded");
    } catch (const DatabaseError& error) {
        QVERIFY(!error.text().isEmpty());
        QVERIFY2(!error.text().contains(QStringLiteral("数据库没有连接")),
                 qPrintable(error.text()));
    }
    // The next command works, on a session set up as the first one.
    QCOMPARE(rowCount(db), 1);
    QVERIFY(db.isOpen());
    QCOMPARE(db.scalar(QStringLiteral("show statement_timeout")).toString(),
             QStringLiteral("5min"));
    db.exec(QStringLiteral("insert into kept (v) values (?)"), {3});
    QCOMPARE(rowCount(db), 2);
}

void TestReconnect::terminatedBackendBetweenCommands()
{
    Database& db = *m_db;
    const qint64 pid = db.scalar(QStringLiteral("select pg_backend_pid()")).toLongLong();
    QVERIFY(terminate(*m_cluster, pid));
    QVERIFY_THROWS_EXCEPTION(DatabaseError, rowCount(db));
    QCOMPARE(rowCount(db), 1);
    QVERIFY(db.scalar(QStringLiteral("select pg_backend_pid()")).toLongLong() != pid);

    // Twice in a row works the same.
    const qint64 second = db.scalar(QStringLiteral("select pg_backend_pid()")).toLongLong();
    QVERIFY(terminate(*m_cluster, second));
    QVERIFY_THROWS_EXCEPTION(DatabaseError, rowCount(db));
    QCOMPARE(rowCount(db), 1);
}

void TestReconnect::transactionOnALostConnectionIsGone()
{
    Database& db = *m_db;

    // Lost between two steps: the later steps and the commit refuse, nothing
    // of the transaction is written, and its end touches no new connection.
    {
        Transaction transaction(db);
        db.exec(QStringLiteral("insert into kept (v) values (?)"), {10});
        QVERIFY(m_cluster->restart());
        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 db.exec(QStringLiteral("insert into kept (v) values (?)"), {11}));
        // Not run outside the transaction on a new connection either.
        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 db.exec(QStringLiteral("insert into kept (v) values (?)"), {12}));
        try {
            transaction.commit();
            QFAIL("a transaction of a lost connection committed");
        } catch (const DatabaseError& error) {
            QVERIFY2(error.text().contains(QStringLiteral("没有写入任何数据")),
                     qPrintable(error.text()));
        }
    }
    QVERIFY(!db.inTransaction());
    QCOMPARE(rowCount(db), 1);

    // Lost unnoticed until the commit: the commit fails, nothing is written.
    {
        Transaction transaction(db);
        db.exec(QStringLiteral("insert into kept (v) values (?)"), {20});
        const qint64 pid = db.scalar(QStringLiteral("select pg_backend_pid()")).toLongLong();
        QVERIFY(terminate(*m_cluster, pid));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, transaction.commit());
    }
    QCOMPARE(rowCount(db), 1);

    // Left without commit after the loss: the guard ends it quietly.
    {
        Transaction transaction(db);
        db.exec(QStringLiteral("insert into kept (v) values (?)"), {30});
        QVERIFY(m_cluster->restart());
        QVERIFY_THROWS_EXCEPTION(DatabaseError, rowCount(db));
    }
    QVERIFY(!db.inTransaction());
    QCOMPARE(rowCount(db), 1);
    {
        Transaction transaction(db);
        db.exec(QStringLiteral("insert into kept (v) values (?)"), {40});
        transaction.commit();
    }
    QCOMPARE(rowCount(db), 2);
}

QTEST_GUILESS_MAIN(TestReconnect)
#include "tst_reconnect.moc"
