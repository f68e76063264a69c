#include "TestDatabase.h"
#include "admin/SetDataUt.h"
#include "app/ConnectionFailureHook.h"
#include "app/IniFile.h"
#include "app/Session.h"
#include "common/Prompter.h"
#include "platform/ConnectionDescription.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace shoupai;
using namespace shoupai::test;

namespace {

const QString restart = QStringLiteral("软件重启后生效!");
const QString refused =
    QStringLiteral("服务器名、数据库名、用户名和密码不能含有分号、换行或控制字符！");

// A home folder whose system.ini holds the given text.
QString homeWith(const QTemporaryDir& dir, const QString& text)
{
    QFile file(QDir(dir.path()).filePath(QStringLiteral("system.ini")));
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write system.ini");
    file.write(text.toUtf8());
    return dir.path();
}

QByteArray iniOf(const QString& home)
{
    QFile file(QDir(home).filePath(QStringLiteral("system.ini")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void fill(TSetDataFm& screen, const ConnectionDescription& d)
{
    screen.serverField()->setText(QStringLiteral("%1:%2").arg(d.host).arg(d.port));
    screen.databaseField()->setText(d.database);
    screen.userField()->setText(d.user);
    screen.passwordField()->setText(d.password);
}

// A socket on a free local port that accepts connections (the kernel's
// backlog) but never says anything; closed at once, the port refuses instead.
struct LocalPort
{
    int fd = -1;
    quint16 port = 0;

    explicit LocalPort(bool listening)
    {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), length);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        if (listening) {
            ::listen(fd, 4);
        } else {
            ::close(fd);
            fd = -1;
        }
    }
    ~LocalPort()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

class TestSetData : public QObject
{
    Q_OBJECT

private slots:
    void openingStatesAndStartUpHook()
    {
        ScriptedPrompter prompter;
        int hookRuns = 0;
        setConnectionFailureHook([&](Session&) { ++hookRuns; });
        for (const QString& code :
             {QStringLiteral("a"), QStringLiteral("s"), QStringLiteral("0")}) {
            QTemporaryDir dir;
            // No description opens: start-up reports it and runs the hook.
            Session session;
            session.start(homeWith(
                dir, QStringLiteral("[part1]\nabc=%1\ncsaccess=x\ncs=y\nUserName=u\n").arg(code)));
            QVERIFY(!session.database().isOpen());
            TSetDataFm screen(session);
            QCOMPARE(screen.fileButton()->isChecked(), code == u"a");
            QCOMPARE(screen.serverButton()->isChecked(), code == u"s");
            QCOMPARE(screen.serverGroup()->isEnabled(), code == u"s");
            QCOMPARE(screen.saveButton()->isEnabled(), code == u"a");
            QCOMPARE(screen.serverField()->text(), QStringLiteral("0"));
            QCOMPARE(screen.userField()->text(), QStringLiteral("u"));
            QCOMPARE(screen.passwordField()->echoMode(), QLineEdit::Password);
            screen.serverButton()->click();
            QVERIFY(screen.serverGroup()->isEnabled() && !screen.saveButton()->isEnabled());
            screen.fileButton()->click();
            QVERIFY(!screen.serverGroup()->isEnabled() && screen.saveButton()->isEnabled());
        }
        QCOMPARE(hookRuns, 3);
        setConnectionFailureHook({});
    }

    void savingTheFileChoice()
    {
        ScriptedPrompter prompter;
        QTemporaryDir dir;
        const QString home =
            homeWith(dir, QStringLiteral("[QV582]\nsoftname=店\n[part1]\nabc=s\ncs=keep\n"));
        Session session;
        session.start(home);
        {
            TSetDataFm screen(session);
            screen.quit();
            QCOMPARE(prompter.lastText(), restart);
        }
        QCOMPARE(iniOf(home), QByteArray("[QV582]\nsoftname=店\n[part1]\nabc=s\ncs=keep\n"));

        TSetDataFm screen(session);
        screen.fileButton()->click();
        screen.serverField()->setText(QStringLiteral("a;b"));
        screen.save();
        QCOMPARE(prompter.lastText(), refused);
        QVERIFY(!iniOf(home).contains("abc=a"));

        screen.serverField()->setText(QStringLiteral("  db.local  "));
        screen.passwordField()->setText(QStringLiteral("secret"));
        screen.save();
        QCOMPARE(prompter.lastText(), restart);
        IniFile ini(QDir(home).filePath(QStringLiteral("system.ini")));
        ini.load();
        QCOMPARE(ini.read(QStringLiteral("part1"), QStringLiteral("abc")), QStringLiteral("a"));
        QCOMPARE(ini.read(QStringLiteral("part1"), QStringLiteral("ServerName")),
                 QStringLiteral("db.local"));
        QCOMPARE(ini.read(QStringLiteral("part1"), QStringLiteral("cs")), QStringLiteral("keep"));
        QCOMPARE(ini.read(QStringLiteral("part1"), QStringLiteral("csaccess")),
                 QStringLiteral("Provider=SQLite;Data Source=data.db"));
        QCOMPARE(ini.read(QStringLiteral("QV582"), QStringLiteral("softname")),
                 QStringLiteral("店"));
        QCOMPARE(QFile::permissions(ini.path()) &
                     (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
                 QFile::Permissions());
    }

    void aFailedSaveSaysSo()
    {
        ScriptedPrompter prompter;
        QTemporaryDir dir;
        // A folder where the file should be: nothing can be written there.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("system.ini")));
        Session session;
        session.start(dir.path());
        TSetDataFm screen(session);
        screen.fileButton()->click();
        prompter.clear();
        screen.save();
        QCOMPARE(prompter.shown().size(), 1);
        QCOMPARE(prompter.shown().first().kind, Prompter::Kind::Error);
        QVERIFY(!prompter.texts().contains(restart));
    }

    void refusedCharactersAreNeitherTestedNorStored()
    {
        ScriptedPrompter prompter;
        QTemporaryDir dir;
        const QString home = homeWith(dir, QStringLiteral("[part1]\nabc=s\n"));
        Session session;
        session.start(home);
        const QByteArray before = iniOf(home);
        TSetDataFm screen(session);
        for (const QString& bad : {QStringLiteral("x;Provider=SQLite"), QStringLiteral("x\nabc=a"),
                                   QStringLiteral("x\ry"), QStringLiteral("x") + QChar(0x01)}) {
            prompter.clear();
            screen.passwordField()->setText(bad);
            screen.test();
            QCOMPARE(prompter.texts(), QStringList{refused});
            QVERIFY(!screen.saveButton()->isEnabled());
        }
        QCOMPARE(iniOf(home), before);
    }

    void testingAgainstTheServer()
    {
        if (testBackend() != Backend::Postgres)
            QSKIP("needs SHOUPAI_TEST_PG and the postgres backend");
        TestDatabase target;
        const ConnectionDescription d = ConnectionDescription::parse(target.connectionText());
        ScriptedPrompter prompter;
        QTemporaryDir dir;
        const QString home = homeWith(dir, QStringLiteral("[part1]\nabc=s\n"));
        Session session;
        session.start(home);
        TSetDataFm screen(session);

        fill(screen, d);
        screen.passwordField()->setText(QStringLiteral("pw-shown"));
        prompter.clear();
        screen.databaseField()->setText(QStringLiteral("no_such_database_here"));
        screen.test();
        QCOMPARE(prompter.lastText(), QStringLiteral("连接失败"));
        QVERIFY(!prompter.texts().join(u'\n').contains(QStringLiteral("pw-shown")));
        QVERIFY(prompter.texts().first().contains(QStringLiteral("Password=******")));
        QVERIFY(!screen.saveButton()->isEnabled());

        fill(screen, d);
        prompter.clear();
        screen.test();
        QCOMPARE(prompter.lastText(), QStringLiteral("连接成功!"));
        QVERIFY(screen.saveButton()->isEnabled());
        screen.test(); // a second test simply runs again
        QCOMPARE(prompter.lastText(), QStringLiteral("连接成功!"));
        QTest::keyClick(screen.userField(), Qt::Key_X);
        QVERIFY(!screen.saveButton()->isEnabled());
        QTest::keyClick(screen.userField(), Qt::Key_Backspace);
        screen.test();
        screen.save();
        QCOMPARE(prompter.lastText(), restart);
        IniFile ini(QDir(home).filePath(QStringLiteral("system.ini")));
        ini.load();
        QCOMPARE(ini.read(QStringLiteral("part1"), QStringLiteral("abc")), QStringLiteral("s"));
        const ConnectionDescription stored =
            ConnectionDescription::parse(ini.read(QStringLiteral("part1"), QStringLiteral("cs")));
        QCOMPARE(stored.database, d.database);
        QCOMPARE(stored.port, d.port);

        // A closed port and a server that never answers both fail.
        const LocalPort closed(false);
        const LocalPort silent(true);
        QVERIFY(closed.port != 0 && silent.port != 0);
        for (const quint16 port : {closed.port, silent.port}) {
            TSetDataFm other(session);
            fill(other, d);
            other.serverField()->setText(QStringLiteral("127.0.0.1,%1").arg(port));
            prompter.clear();
            other.test();
            QCOMPARE(prompter.lastText(), QStringLiteral("连接失败"));
            QVERIFY(!other.saveButton()->isEnabled());
        }
    }

    void anAwkwardPasswordPassesARealTest()
    {
        if (testBackend() != Backend::Postgres)
            QSKIP("needs SHOUPAI_TEST_PG and the postgres backend");
        TestDatabase target;
        Database& db = target.database();
        const ConnectionDescription d = ConnectionDescription::parse(target.connectionText());
        const QString role =
            QStringLiteral("shoupai_pw_%1").arg(QCoreApplication::applicationPid());
        const QString password = QStringLiteral("a'b\\c=d e中文");
        QString literal = password;
        literal.replace(QStringLiteral("'"), QStringLiteral("''"));
        db.exec(QStringLiteral("drop role if exists %1").arg(role));
        db.exec(QStringLiteral("create role %1 login password '%2'").arg(role, literal));
        // Where the server checks passwords, it does so for this group's members.
        if (db.scalar(QStringLiteral("select count(*) from pg_roles where rolname = ?"),
                      {QStringLiteral("shoupai_password")})
                .toLongLong() > 0)
            db.exec(QStringLiteral("grant shoupai_password to %1").arg(role));
        struct DropRole
        {
            Database& db;
            QString role;
            ~DropRole()
            {
                try {
                    db.exec(QStringLiteral("drop role if exists %1").arg(role));
                } catch (const DatabaseError&) {
                }
            }
        } dropRole{db, role};

        ScriptedPrompter prompter;
        QTemporaryDir dir;
        Session session;
        session.start(homeWith(dir, QStringLiteral("[part1]\nabc=s\n")));
        TSetDataFm screen(session);
        fill(screen, d);
        screen.userField()->setText(role);
        screen.passwordField()->setText(QStringLiteral("not the password"));
        screen.test();
        if (prompter.lastText() == QStringLiteral("连接成功!"))
            QSKIP("this server accepts any password from here");
        screen.passwordField()->setText(password);
        prompter.clear();
        screen.test();
        QCOMPARE(prompter.lastText(), QStringLiteral("连接成功!"));
        QVERIFY(screen.saveButton()->isEnabled());
    }
};

QTEST_MAIN(TestSetData)
#include "tst_setdata.moc"
