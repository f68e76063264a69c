#include "TestDatabase.h"
#include "TestHome.h"
#include "app/Session.h"
#include "app/SingleInstance.h"
#include "app/StartUp.h"
#include "common/Prompter.h"
#include "platform/Schema.h"
#include "platform/SchemaUpgrades.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include <QWindow>

using namespace shoupai;
using namespace shoupai::test;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

class TestStartUp : public QObject
{
    Q_OBJECT
private slots:
    void withoutConfigurationTheConnectionFails();
    void backendCodeChoosesTheDescription();
    void newEmbeddedFileIsCreatedAndSeeded();
    void shopTextsAndEmptySysinfo();
    void olderDatabaseUpgradedOrKeptWhenAStepFails();
    void singleInstanceLock();
    void secondCopyOfTheProgramRefuses();
    void windowCaptionsAreTheScreensOwn();
};

void TestStartUp::withoutConfigurationTheConnectionFails()
{
    QTemporaryDir home;
    ScriptedPrompter prompter;
    Session session;
    session.start(home.path());
    QCOMPARE(session.softname, QStringLiteral("0"));
    QCOMPARE(session.backendCode(), QStringLiteral("0"));
    QCOMPARE(session.StringDelimiter(), QString());
    QVERIFY(!session.database().isOpen());
    QVERIFY(prompter.texts().contains(QStringLiteral("数据库连接失败,请选择数据库.")));
    // The shop texts could not be read either; start-up went on.
    QVERIFY(session.shopName.isEmpty());
}

void TestStartUp::backendCodeChoosesTheDescription()
{
    QTemporaryDir home;
    const QString ini = QDir(home.path()).filePath(QStringLiteral("system.ini"));
    {
        // "s" with cs missing: the "0" description cannot be opened.
        writeFile(ini, "[part1]\nabc=s\ncsaccess=Provider=SQLite;Data Source=data.db\n");
        ScriptedPrompter prompter;
        Session session;
        session.start(home.path());
        QCOMPARE(session.StringDelimiter(), QStringLiteral("'"));
        QCOMPARE(session.DateDelimiter(), QStringLiteral("'"));
        QVERIFY(!session.database().isOpen());
        QCOMPARE(prompter.texts().last(), QStringLiteral("数据库连接失败,请选择数据库."));
    }
    {
        // An upper-case S is not "s": the file description is used, without delimiters.
        writeFile(ini, "[part1]\nabc=S\ncsaccess=Provider=SQLite;Data Source=data.db\ncs=0\n");
        ScriptedPrompter prompter;
        Session session;
        session.start(home.path());
        QVERIFY(session.database().isOpen());
        QCOMPARE(session.database().backend(), Backend::Sqlite);
        QCOMPARE(session.StringDelimiter(), QString());
        QCOMPARE(session.DateDelimiter(), QString());
        QCOMPARE(prompter.shown().size(), 0);
    }
    {
        // A legacy Access description fails like any failed connection, and says why.
        writeFile(ini,
                  "[part1]\nabc=a\ncsaccess=Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb;"
                  "Persist Security Info=False;Jet OLEDB:Database Password=qv582\n");
        ScriptedPrompter prompter;
        Session session;
        session.start(home.path());
        QCOMPARE(session.StringDelimiter(), QStringLiteral("\""));
        QCOMPARE(session.DateDelimiter(), QStringLiteral("#"));
        QVERIFY(!session.database().isOpen());
        QVERIFY(prompter.shown().size() >= 2);
        QVERIFY(prompter.shown().at(0).text.contains(QStringLiteral("Access")));
        QCOMPARE(prompter.shown().at(1).text, QStringLiteral("数据库连接失败,请选择数据库."));
    }
}

void TestStartUp::newEmbeddedFileIsCreatedAndSeeded()
{
    QTemporaryDir home;
    writeFile(QDir(home.path()).filePath(QStringLiteral("system.ini")),
              "[part1]\nabc=a\ncsaccess=Provider=SQLite;Data Source=data.db\n");
    ScriptedPrompter prompter;
    {
        Session session;
        session.start(home.path());
        QVERIFY(session.database().isOpen());
        QVERIFY(session.database().tableExists(QStringLiteral("管理员")));
        QVERIFY(session.database().scalar(QStringLiteral("select count(*) from 手牌管理")).toInt() >
                0);
        QVERIFY(!session.shopName.isEmpty());
    }
    QVERIFY(QFile::exists(QDir(home.path()).filePath(QStringLiteral("data.db"))));
    // The second start uses the file as it is.
    {
        Session session;
        session.start(home.path());
        session.database().exec(QStringLiteral("delete from 手牌管理"));
    }
    Session again;
    again.start(home.path());
    QCOMPARE(again.database().scalar(QStringLiteral("select count(*) from 手牌管理")).toInt(), 0);
    QCOMPARE(prompter.shown().size(), 0);
}

void TestStartUp::shopTextsAndEmptySysinfo()
{
    SeededDatabase db;
    db.database().exec(
        QStringLiteral("update sysinfo set name = ?, tel = ?, %1 = ?")
            .arg(db.database().dialect().quote(QStringLiteral("add"))),
        {QStringLiteral("金水湾浴场"), QStringLiteral("0571-8888"), QStringLiteral("中山路1号")});
    const QString home = writeSystemIni(db);
    {
        ScriptedPrompter prompter;
        Session session;
        session.start(home);
        QCOMPARE(session.shopName, QStringLiteral("金水湾浴场"));
        QCOMPARE(session.shopTel, QStringLiteral("0571-8888"));
        QCOMPARE(session.shopAddress, QStringLiteral("中山路1号"));
        QCOMPARE(session.softname, QStringLiteral("测试浴场"));
        QCOMPARE(session.company, QStringLiteral("测试公司"));
        QCOMPARE(session.port, QStringLiteral("LPT1"));
        QCOMPARE(session.checkOutPrtPreview, QStringLiteral("1"));
        QCOMPARE(prompter.shown().size(), 0);
    }
    {
        // A NULL telephone: the name is read, the rest stays empty, one message.
        db.database().exec(QStringLiteral("update sysinfo set tel = NULL"));
        ScriptedPrompter prompter;
        Session session;
        session.start(home);
        QCOMPARE(session.shopName, QStringLiteral("金水湾浴场"));
        QVERIFY(session.shopTel.isEmpty());
        QVERIFY(session.shopAddress.isEmpty());
        QCOMPARE(prompter.shown().size(), 1);
    }
    {
        db.database().exec(QStringLiteral("delete from sysinfo"));
        ScriptedPrompter prompter;
        Session session;
        session.start(home);
        QVERIFY(session.shopName.isEmpty() && session.shopTel.isEmpty() &&
                session.shopAddress.isEmpty());
        QCOMPARE(prompter.shown().size(), 1);
        QCOMPARE(prompter.shown().first().kind, Prompter::Kind::Error);
        QVERIFY(session.database().isOpen());
    }
}

void TestStartUp::olderDatabaseUpgradedOrKeptWhenAStepFails()
{
    SeededDatabase db;
    Database& database = db.database();
    const QString versionUpdate = QStringLiteral("update %1 set version = ?")
                                      .arg(database.dialect().quote(Schema::versionTable()));
    database.exec(versionUpdate, {1});
    const QString home = writeSystemIni(db);

    // The engine's own words for the statement the failing step makes.
    QString engineText;
    try {
        database.exec(QStringLiteral("create table sysinfo (n integer)"));
    } catch (const DatabaseError& error) {
        engineText = error.text();
    }
    QVERIFY(!engineText.isEmpty());

    const UpgradeStep failing{2, QStringLiteral("fails"), [](Database& d) {
                                  d.exec(QStringLiteral("create table upgrade_half (n integer)"));
                                  d.exec(QStringLiteral("create table sysinfo (n integer)"));
                              }};
    {
        ScriptedPrompter prompter;
        Session session;
        session.useUpgradeSteps({failing});
        session.start(home);
        // Said once, with the database's text; the start goes on at the old version.
        QCOMPARE(prompter.shown().size(), 1);
        QCOMPARE(prompter.shown().first().kind, Prompter::Kind::Error);
        QVERIFY2(prompter.lastText().contains(engineText), qPrintable(prompter.lastText()));
        QVERIFY(prompter.lastText().contains(QStringLiteral("2")));
        QVERIFY(session.database().isOpen());
        QVERIFY(!session.shopName.isEmpty());
        QCOMPARE(session.softname, QStringLiteral("测试浴场"));
        QCOMPARE(Schema::storedVersion(session.database()), 1);
        QVERIFY(!session.database().tableExists(QStringLiteral("upgrade_half")));
    }
    {
        // The next start with a working step makes it, without a word.
        const UpgradeStep working{
            2, QStringLiteral("works"),
            [](Database& d) { d.exec(QStringLiteral("create table upgrade_done (n integer)")); }};
        ScriptedPrompter prompter;
        Session session;
        session.useUpgradeSteps({working});
        session.start(home);
        QCOMPARE(prompter.shown().size(), 0);
        QCOMPARE(Schema::storedVersion(session.database()), 2);
        QVERIFY(session.database().tableExists(QStringLiteral("upgrade_done")));
    }
    {
        // The program's own steps take an older database to the current version.
        database.exec(versionUpdate, {1});
        ScriptedPrompter prompter;
        Session session;
        session.start(home);
        QCOMPARE(prompter.shown().size(), 0);
        QCOMPARE(Schema::storedVersion(session.database()), Schema::currentVersion());
    }
}

void TestStartUp::singleInstanceLock()
{
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    const QString name = QStringLiteral("RovEdoz-test");
    {
        SingleInstance first(name);
        QVERIFY(first.acquire());
        SingleInstance second(name);
        QVERIFY(!second.acquire());
    }
    // Released when the first copy ends.
    SingleInstance third(name);
    QVERIFY(third.acquire());

    // A lock left behind by a copy that crashed does not block the next start.
    const QString stale = QStringLiteral("RovEdoz-stale");
    SingleInstance probe(stale);
    writeFile(probe.lockPath(), "4194000\nshoupai\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    QVERIFY(probe.acquire());
    qunsetenv("XDG_RUNTIME_DIR");
}

void TestStartUp::secondCopyOfTheProgramRefuses()
{
    const QString program =
        QDir(qEnvironmentVariable("SHOUPAI_BINARY_DIR")).filePath(QStringLiteral("shoupai"));
    if (!QFile::exists(program))
        QSKIP("the program is not built beside the tests");
    SeededDatabase db;
    QTemporaryDir runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SHOUPAI_HOME"), writeSystemIni(db));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("SHOUPAI_NONINTERACTIVE"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(program, {});
    QVERIFY(first.waitForStarted());
    const QString lock = QDir(runtime.path()).filePath(QStringLiteral("RovEdoz.lock"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 20000);

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(program, {});
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    const QString said = QString::fromUtf8(second.readAllStandardError());
    QVERIFY2(said.contains(QStringLiteral("提示: 程序已经运行")), qPrintable(said));

    // The running copy was not touched.
    QCOMPARE(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished(5000);
}

void TestStartUp::windowCaptionsAreTheScreensOwn()
{
    const QString before = QCoreApplication::applicationName();
    setApplicationIdentity();
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("shoupai"));
    // No display name is pinned: Qt would append a pinned one (" — 管理系统") to
    // every window caption. The shown name follows the application's name.
    QCoreApplication::setApplicationName(QStringLiteral("别的名字"));
    QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("别的名字"));
    setApplicationIdentity();

    QDialog window;
    window.setWindowTitle(QStringLiteral("请再次确认!"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowHandle()->title(), QStringLiteral("请再次确认!"));

    // A message box without a caption of its own shows the program's title.
    QString seenTitle;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&seenTitle] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("messageBox") && w->isVisible()) {
                seenTitle = w->windowTitle();
                w->close();
            }
    });
    closer.start(20);
    DialogPrompter().inform(QStringLiteral("完成"));
    QCOMPARE(seenTitle, QStringLiteral("管理系统"));
    QCoreApplication::setApplicationName(before);
}

QTEST_MAIN(TestStartUp)
#include "tst_startup.moc"
