#include "app/StartUp.h"

#include "admin/SetDataUt.h"
#include "app/CommandLine.h"
#include "app/ConnectionFailureHook.h"
#include "app/HomeFolder.h"
#include "app/LgUt.h"
#include "app/SingleInstance.h"
#include "app/Version.h"
#include "common/Prompter.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <memory>

namespace shoupai {

void setApplicationIdentity()
{
    // The name makes the window class and the per-user folder "shoupai". No
    // display name is set: Qt appends one to every window caption, and the
    // captions are the screens' own. Untitled message boxes get the program's
    // title from the prompter.
    QCoreApplication::setApplicationName(QStringLiteral("shoupai"));
    QCoreApplication::setApplicationVersion(programVersion());
    QGuiApplication::setDesktopFileName(QStringLiteral("shoupai"));
}

namespace {

QStringList argumentList(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

int runApplication(int argc, char* argv[])
{
    // Before any window: --help and --version answer without a display.
    const CommandLine commandLine = CommandLine::read(argumentList(argc, argv));
    if (!commandLine.run) {
        std::fputs(commandLine.standardOutput.toLocal8Bit().constData(), stdout);
        std::fputs(commandLine.standardError.toLocal8Bit().constData(), stderr);
        return commandLine.exitCode;
    }

    QApplication application(argc, argv);
    setApplicationIdentity();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/shoupai.svg")));
    // Qt's own texts (Yes/No, the print preview's tools) in the operators' language.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    // Without a desktop to answer dialogs (benchmarks, process tests) messages go to stderr.
    std::unique_ptr<ConsolePrompter> console;
    if (qEnvironmentVariableIsSet("SHOUPAI_NONINTERACTIVE"))
        console = std::make_unique<ConsolePrompter>();
    else
        setConnectionFailureHook([](Session& session) {
            TSetDataFm screen(session);
            screen.exec();
        });

    SingleInstance instance;
    if (!instance.acquire()) {
        Prompter::current().inform(QStringLiteral("程序已经运行"), QStringLiteral("提示"));
        return 0;
    }

    const HomeFolder home = chooseHomeFolder(HomeFolderPlaces::ofThisProgram(commandLine.home));
    if (!home.problem.isEmpty())
        Prompter::current().error(home.problem);
    TLgFm login(home.path);
    login.show();
    if (qEnvironmentVariableIsSet("SHOUPAI_EXIT_WHEN_SHOWN")) {
        // For the start-up benchmark: report once the login window is on screen.
        QTimer::singleShot(0, &login, [] {
            std::fputs("login-shown\n", stdout);
            std::fflush(stdout);
            QApplication::quit();
        });
    }
    return QApplication::exec();
}

} // namespace shoupai
