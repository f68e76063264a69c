#include "TestDatabase.h"
#include "TestHome.h"
#include "app/CommandLine.h"
#include "app/Session.h"
#include "app/Version.h"
#include "floor/AboutUt.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

namespace {

QString programPath()
{
    return QDir(qEnvironmentVariable("SHOUPAI_BINARY_DIR")).filePath(QStringLiteral("shoupai"));
}

// The version the build was configured with, read back from the build's own cache.
QString configuredVersion()
{
    QFile cache(QDir(qEnvironmentVariable("SHOUPAI_BINARY_DIR")).filePath("CMakeCache.txt"));
    if (!cache.open(QIODevice::ReadOnly))
        return {};
    const QRegularExpression line(QStringLiteral("^CMAKE_PROJECT_VERSION:STATIC=(.+)$"),
                                  QRegularExpression::MultilineOption);
    return line.match(QString::fromUtf8(cache.readAll())).captured(1).trimmed();
}

// The program without a display and without any home of its own.
QProcessEnvironment bareEnvironment(const QString& userHome)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "SHOUPAI_HOME",
                             "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("HOME"), userHome);
    return env;
}

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run runProgram(const QStringList& arguments, const QProcessEnvironment& env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(programPath(), arguments);
    Run run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished(5000);
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void optionsAreRead();
    void refusedArgumentsExitWithTwo();
    void versionIsTheBuildsOwn();
    void programAnswersWithoutADisplay();
    void homeOptionChoosesTheFolder();
};

void TestCommandLine::optionsAreRead()
{
    const QString program = QStringLiteral("/usr/bin/shoupai");
    CommandLine plain = CommandLine::read({program});
    QVERIFY(plain.run);
    QVERIFY(plain.home.isEmpty());

    for (const QStringList& form : {QStringList{program, "--home", "/srv/venue"},
                                    QStringList{program, "--home=/srv/venue"}}) {
        const CommandLine line = CommandLine::read(form);
        QVERIFY(line.run);
        QCOMPARE(line.home, QStringLiteral("/srv/venue"));
        QVERIFY(line.standardOutput.isEmpty() && line.standardError.isEmpty());
    }
    // A relative folder is made absolute where the program was started.
    QCOMPARE(CommandLine::read({program, "--home", "venue"}).home,
             QDir::current().absoluteFilePath(QStringLiteral("venue")));

    for (const QString& option : {QStringLiteral("--version"), QStringLiteral("-v")}) {
        const CommandLine line = CommandLine::read({program, option});
        QVERIFY(!line.run);
        QCOMPARE(line.exitCode, 0);
        QCOMPARE(line.standardOutput, QStringLiteral("shoupai %1\n").arg(programVersion()));
        QVERIFY(line.standardError.isEmpty());
    }
    for (const QString& option : {QStringLiteral("--help"), QStringLiteral("-h")}) {
        const CommandLine line = CommandLine::read({program, option});
        QVERIFY(!line.run);
        QCOMPARE(line.exitCode, 0);
        QVERIFY(line.standardOutput.contains(QStringLiteral("--home <目录>")));
        QVERIFY(line.standardOutput.contains(QStringLiteral("--version")));
        QVERIFY(line.standardError.isEmpty());
    }
}

void TestCommandLine::refusedArgumentsExitWithTwo()
{
    const QString program = QStringLiteral("/usr/bin/shoupai");
    const QList<QStringList> refused = {
        {program, "--bogus"},
        {program, "-x"},
        {program, "--home"},                // the folder is missing
        {program, "--version", "--colour"}, // an unknown option spoils a known one
        {program, "data.db"},               // the program takes no file
    };
    for (const QStringList& arguments : refused) {
        const CommandLine line = CommandLine::read(arguments);
        QVERIFY2(!line.run, qPrintable(arguments.join(' ')));
        QCOMPARE(line.exitCode, 2);
        QVERIFY(line.standardOutput.isEmpty());
        // What was wrong, then the help.
        QVERIFY2(line.standardError.contains(QStringLiteral("--home <目录>")),
                 qPrintable(line.standardError));
        QVERIFY(line.standardError.contains(arguments.last().section('-', -1)));
    }
}

void TestCommandLine::versionIsTheBuildsOwn()
{
    const QString configured = configuredVersion();
    if (configured.isEmpty())
        QSKIP("the build's cache is not beside the tests");
    QCOMPARE(programVersion(), configured);
    QVERIFY(
        QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$")).match(configured).hasMatch());

    // The About screen shows the same version.
    Session session;
    TAboutFm about(session);
    auto* label = about.findChild<QLabel*>(QStringLiteral("versionLabel"));
    QVERIFY(label);
    QCOMPARE(label->text(), QStringLiteral("版本:%1").arg(configured));
}

void TestCommandLine::programAnswersWithoutADisplay()
{
    if (!QFileInfo::exists(programPath()))
        QSKIP("the program is not built beside the tests");
    QTemporaryDir userHome;
    const QProcessEnvironment env = bareEnvironment(userHome.path());

    // Without a display any attempt to open a window would abort the program.
    Run run = runProgram({"--version"}, env);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringLiteral("shoupai %1\n").arg(programVersion()));
    QVERIFY(run.err.isEmpty());

    run = runProgram({"--help"}, env);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains(QStringLiteral("shoupai")));
    QVERIFY(run.out.contains(QStringLiteral("--home")));

    run = runProgram({"--no-such-option"}, env);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.err.contains(QStringLiteral("no-such-option")), qPrintable(run.err));
    QVERIFY(run.err.contains(QStringLiteral("--home")));
    // The usage line names the program, not a placeholder.
    QVERIFY2(run.err.contains(QStringLiteral("shoupai [options]")), qPrintable(run.err));

    // None of these touched the user's home.
    QVERIFY(QDir(userHome.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

void TestCommandLine::homeOptionChoosesTheFolder()
{
    if (!QFileInfo::exists(programPath()))
        QSKIP("the program is not built beside the tests");
    if (QFileInfo::exists(QDir(qEnvironmentVariable("SHOUPAI_BINARY_DIR")).filePath("system.ini")))
        QSKIP("the build folder holds a system.ini of its own");

    SeededDatabase db;
    const QString venueHome = writeSystemIni(db);
    QTemporaryDir elsewhere;
    QTemporaryDir userHome;
    QProcessEnvironment env = bareEnvironment(userHome.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("SHOUPAI_NONINTERACTIVE"), QStringLiteral("1"));
    env.insert(QStringLiteral("SHOUPAI_EXIT_WHEN_SHOWN"), QStringLiteral("1"));
    QTemporaryDir runtime;
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    const QString perUser = QDir(userHome.path()).filePath(QStringLiteral(".local/share/shoupai"));

    // --home wins over SHOUPAI_HOME: the venue's database opens, so no connection message.
    env.insert(QStringLiteral("SHOUPAI_HOME"), elsewhere.path());
    Run run = runProgram({"--home", venueHome}, env);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains(QStringLiteral("login-shown")));
    QVERIFY2(!run.err.contains(QStringLiteral("数据库连接失败")), qPrintable(run.err));
    QVERIFY(QDir(elsewhere.path()).isEmpty());
    QVERIFY(!QFileInfo::exists(perUser));

    // SHOUPAI_HOME alone names the folder just the same.
    run = runProgram({}, [&] {
        QProcessEnvironment withHome = env;
        withHome.insert(QStringLiteral("SHOUPAI_HOME"), venueHome);
        return withHome;
    }());
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(!run.err.contains(QStringLiteral("数据库连接失败")), qPrintable(run.err));
    QVERIFY(!QFileInfo::exists(perUser));

    // Neither: the per-user folder gets the shipped settings and the embedded database.
    env.remove(QStringLiteral("SHOUPAI_HOME"));
    run = runProgram({}, env);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains(QStringLiteral("login-shown")));
    QVERIFY2(!run.err.contains(QStringLiteral("数据库连接失败")), qPrintable(run.err));
    QVERIFY(QFileInfo(QDir(perUser).filePath("system.ini")).isFile());
    QVERIFY(QFileInfo(QDir(perUser).filePath("data.db")).isFile());
}

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
