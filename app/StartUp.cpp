#include "app/StartUp.h"

#include "app/LgUt.h"
#include "app/SingleInstance.h"
#include "common/Prompter.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <memory>

namespace shoupai {

void setApplicationTitle()
{
    // The title is the application's name, never a display name: Qt appends a
    // display name to every window caption, and the captions are the screens' own.
    // Message boxes without a caption of their own still show the title.
    QCoreApplication::setApplicationName(applicationTitle);
}

int runApplication(int argc, char* argv[])
{
    QApplication application(argc, argv);
    setApplicationTitle();
    // Qt's own texts (Yes/No, the print preview's tools) in the operators' language.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    // Without a desktop to answer dialogs (benchmarks, process tests) messages go to stderr.
    std::unique_ptr<ConsolePrompter> console;
    if (qEnvironmentVariableIsSet("SHOUPAI_NONINTERACTIVE"))
        console = std::make_unique<ConsolePrompter>();

    SingleInstance instance;
    if (!instance.acquire()) {
        Prompter::current().inform(QStringLiteral("程序已经运行"), QStringLiteral("提示"));
        return 0;
    }

    TLgFm login(Session::defaultHomeFolder());
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
