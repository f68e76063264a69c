#include "app/HomeFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace shoupai;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An installed layout under one temporary folder: bin/ without a system.ini,
// the template under share/shoupai/, a per-user folder that does not exist yet.
struct Installation
{
    QTemporaryDir root;
    HomeFolderPlaces places;

    Installation()
    {
        const QDir dir(root.path());
        places.executableFolder = dir.filePath(QStringLiteral("usr/bin"));
        places.perUserFolder = dir.filePath(QStringLiteral("home/.local/share/shoupai"));
        places.shippedIni = dir.filePath(QStringLiteral("usr/share/shoupai/system.ini"));
        QDir().mkpath(places.executableFolder);
        writeFile(places.shippedIni, "[part1]\nabc=a\n; shipped template\n");
    }
    QString perUserIni() const { return QDir(places.perUserFolder).filePath("system.ini"); }
};

} // namespace

class TestHomeFolder : public QObject
{
    Q_OBJECT
private slots:
    void chosenFolderComesFirst();
    void executableFolderWithItsOwnIni();
    void perUserFolderIsCreatedWithTheShippedIni();
};

void TestHomeFolder::chosenFolderComesFirst()
{
    Installation installed;
    QTemporaryDir chosen;
    installed.places.chosen = chosen.path();
    // Even a portable copy's own file does not win over an explicit folder.
    writeFile(QDir(installed.places.executableFolder).filePath("system.ini"), "[part1]\n");
    const HomeFolder home = chooseHomeFolder(installed.places);
    QCOMPARE(home.path, QDir(chosen.path()).absolutePath());
    QVERIFY(home.problem.isEmpty());
    // Nothing is created or copied for an explicit folder.
    QVERIFY(!QFileInfo::exists(QDir(chosen.path()).filePath("system.ini")));
    QVERIFY(!QFileInfo::exists(installed.places.perUserFolder));

    // A relative folder is taken from the current folder, as given on the command line.
    installed.places.chosen = QStringLiteral("venue-home");
    QCOMPARE(chooseHomeFolder(installed.places).path,
             QDir::current().absoluteFilePath(QStringLiteral("venue-home")));
}

void TestHomeFolder::executableFolderWithItsOwnIni()
{
    Installation installed;
    const QString ownIni = QDir(installed.places.executableFolder).filePath("system.ini");
    writeFile(ownIni, "[part1]\nabc=s\n");
    const HomeFolder home = chooseHomeFolder(installed.places);
    QCOMPARE(home.path, QDir(installed.places.executableFolder).absolutePath());
    QVERIFY(home.problem.isEmpty());
    QCOMPARE(readFile(ownIni), QByteArray("[part1]\nabc=s\n"));
    QVERIFY(!QFileInfo::exists(installed.places.perUserFolder));

    // A folder named system.ini is not a configuration file.
    QVERIFY(QFile::remove(ownIni));
    QVERIFY(QDir().mkpath(ownIni));
    QCOMPARE(chooseHomeFolder(installed.places).path,
             QDir(installed.places.perUserFolder).absolutePath());
}

void TestHomeFolder::perUserFolderIsCreatedWithTheShippedIni()
{
    Installation installed;
    // The installed template is read-only for the user.
    QVERIFY(QFile::setPermissions(installed.places.shippedIni,
                                  QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    HomeFolder home = chooseHomeFolder(installed.places);
    QCOMPARE(home.path, QDir(installed.places.perUserFolder).absolutePath());
    QVERIFY(home.problem.isEmpty());
    QCOMPARE(readFile(installed.perUserIni()), readFile(installed.places.shippedIni));
    // The settings screens write the copy.
    QVERIFY(QFileInfo(installed.perUserIni()).permissions().testFlag(QFile::WriteOwner));

    // The next start leaves the user's file as it is, even when the template changed.
    writeFile(installed.perUserIni(), "[part1]\nabc=s\ncs=edited\n");
    writeFile(installed.places.shippedIni, "[part1]\nabc=a\n; newer template\n");
    home = chooseHomeFolder(installed.places);
    QCOMPARE(home.path, QDir(installed.places.perUserFolder).absolutePath());
    QCOMPARE(readFile(installed.perUserIni()), QByteArray("[part1]\nabc=s\ncs=edited\n"));

    // A user who deleted the file gets a fresh copy.
    QVERIFY(QFile::remove(installed.perUserIni()));
    chooseHomeFolder(installed.places);
    QCOMPARE(readFile(installed.perUserIni()), QByteArray("[part1]\nabc=a\n; newer template\n"));

    // Without an installed template (a bare executable) the program's built-in one is copied.
    Installation bare;
    QVERIFY(QFile::remove(bare.places.shippedIni));
    home = chooseHomeFolder(bare.places);
    QVERIFY(home.problem.isEmpty());
    const QByteArray builtIn = readFile(QStringLiteral(":/system.ini"));
    QVERIFY(builtIn.contains("[part1]"));
    QCOMPARE(readFile(bare.perUserIni()), builtIn);
    QVERIFY(QFileInfo(bare.perUserIni()).permissions().testFlag(QFile::WriteOwner));

    // A per-user folder that cannot be made is reported, not passed over in silence.
    Installation blocked;
    writeFile(QDir(blocked.root.path()).filePath("home/.local/share"), "a file, not a folder");
    home = chooseHomeFolder(blocked.places);
    QVERIFY(!home.problem.isEmpty());
    QVERIFY(home.problem.contains(QDir::toNativeSeparators(blocked.places.perUserFolder)));
}

QTEST_MAIN(TestHomeFolder)
#include "tst_homefolder.moc"
