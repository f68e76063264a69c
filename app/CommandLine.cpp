#include "app/CommandLine.h"

#include "app/Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace shoupai {

namespace {

const QString programName = QStringLiteral("shoupai");

QString helpText(const QCommandLineParser& parser, const QStringList& arguments)
{
    QString text = parser.helpText();
    // Without an application object Qt cannot name the program in the usage line.
    if (!QCoreApplication::instance()) {
        const QString name =
            arguments.isEmpty() ? programName : QFileInfo(arguments.first()).fileName();
        text.replace(QStringLiteral("<executable_name>"), name);
    }
    return text;
}

} // namespace

CommandLine CommandLine::read(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("手牌管理系统 %1: 手牌计费与会员管理").arg(programVersion()));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("显示本帮助并退出。"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("显示版本号并退出。"));
    const QCommandLineOption home(
        QStringLiteral("home"),
        QStringLiteral("主目录(system.ini 与数据库所在的文件夹),与环境变量 SHOUPAI_HOME 相同。"),
        QStringLiteral("目录"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(home);

    CommandLine result;
    // The program takes no other arguments: anything left over is refused like an unknown option.
    if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty()) {
        const QString why = parser.positionalArguments().isEmpty()
                                ? parser.errorText()
                                : QStringLiteral("Unexpected argument '%1'.")
                                      .arg(parser.positionalArguments().first());
        result.run = false;
        result.exitCode = 2;
        result.standardError = why + QLatin1Char('\n') + helpText(parser, arguments);
        return result;
    }
    if (parser.isSet(help)) {
        result.run = false;
        result.standardOutput = helpText(parser, arguments);
        return result;
    }
    if (parser.isSet(version)) {
        result.run = false;
        result.standardOutput =
            programName + QLatin1Char(' ') + programVersion() + QLatin1Char('\n');
        return result;
    }
    if (parser.isSet(home))
        result.home = QDir(parser.value(home)).absolutePath();
    return result;
}

} // namespace shoupai
