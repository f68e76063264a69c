#include "app/HomeFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

// The built-in template lives in the static library's resources; make sure they are registered.
static void registerResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace shoupai {

namespace {

const QString iniName = QStringLiteral("system.ini");

// The template comes from the installed share folder; a copy built into the
// program stands in when the program runs without one (a bare executable).
QString templateFile(const QString& shippedIni)
{
    if (!shippedIni.isEmpty() && QFileInfo(shippedIni).isFile())
        return shippedIni;
    registerResources();
    return QStringLiteral(":/system.ini");
}

} // namespace

HomeFolderPlaces HomeFolderPlaces::ofThisProgram(const QString& homeOption)
{
    HomeFolderPlaces places;
    places.chosen = homeOption.isEmpty() ? qEnvironmentVariable("SHOUPAI_HOME") : homeOption;
    places.executableFolder = QCoreApplication::applicationDirPath();
    places.perUserFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    // Relative to the executable, so that any installation prefix works.
    places.shippedIni =
        QDir::cleanPath(places.executableFolder + QStringLiteral("/../share/shoupai/") + iniName);
    return places;
}

HomeFolder chooseHomeFolder(const HomeFolderPlaces& places)
{
    if (!places.chosen.isEmpty())
        return {QDir(places.chosen).absolutePath(), {}};
    if (!places.executableFolder.isEmpty() &&
        QFileInfo(QDir(places.executableFolder).filePath(iniName)).isFile())
        return {QDir(places.executableFolder).absolutePath(), {}};

    HomeFolder home{QDir(places.perUserFolder).absolutePath(), {}};
    if (!QDir().mkpath(home.path)) {
        home.problem = QStringLiteral("无法创建文件夹 %1").arg(QDir::toNativeSeparators(home.path));
        return home;
    }
    const QString ini = QDir(home.path).filePath(iniName);
    if (QFileInfo::exists(ini))
        return home;
    if (!QFile::copy(templateFile(places.shippedIni), ini)) {
        home.problem = QStringLiteral("无法创建 %1").arg(QDir::toNativeSeparators(ini));
        return home;
    }
    // The template is read-only (installed or built in); the settings screens write the copy.
    QFile::setPermissions(ini, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                   QFile::ReadOther);
    return home;
}

} // namespace shoupai
