#include "app/IniFile.h"
#include "platform/GbkCodec.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using shoupai::IniFile;
using shoupai::IniValue;

namespace {

// The permission bits of a file as the system holds them.
int modeOf(const QString& path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return static_cast<int>(info.st_mode & 07777);
}

void setMode(const QString& path, int mode)
{
    QVERIFY(::chmod(QFile::encodeName(path).constData(), static_cast<mode_t>(mode)) == 0);
}

// Files of more than a few bytes cannot be written while it lives. The limit
// binds every user, root too, where permission bits do not stop a write.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_before);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_before;
        limit.rlim_cur = bytes;
        m_active = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_before);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    bool active() const { return m_active; }

private:
    rlimit m_before = {};
    void (*m_previousHandler)(int) = nullptr;
    bool m_active = false;
};

} // namespace

class TestConfig : public QObject
{
    Q_OBJECT
private slots:
    void readsWithoutRegardToCaseAndDefaultsToZero();
    void readsLegacyGbkFile();
    void writesThroughKeepingTheRest();
    void failedWriteLeavesFileAndValues();
    void severalValuesInOneSave();
    void lineBreaksRefused();
    void permissionsKeptAndPasswordsOwnerOnly();

private:
    static QByteArray readAll(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void writeAll(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
};

void TestConfig::readsWithoutRegardToCaseAndDefaultsToZero()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("system.ini"));
    writeAll(path,
             "; comment\r\n[Part1]\r\nABC = s \r\ncsaccess=Provider=SQLite;Data Source=data.db\r\n"
             "[QV582]\r\nsoftname=浴场管理\r\n");
    IniFile ini(path);
    QCOMPARE(ini.read(QStringLiteral("part1"), QStringLiteral("abc")), QStringLiteral("s"));
    QCOMPARE(ini.read(QStringLiteral("PART1"), QStringLiteral("CsAccess")),
             QStringLiteral("Provider=SQLite;Data Source=data.db"));
    QCOMPARE(ini.read(QStringLiteral("qv582"), QStringLiteral("SOFTNAME")),
             QStringLiteral("浴场管理"));
    QCOMPARE(ini.read(QStringLiteral("part1"), QStringLiteral("cs")), QStringLiteral("0"));
    QCOMPARE(ini.read(QStringLiteral("PosPrt"), QStringLiteral("port")), QStringLiteral("0"));
    // A key of another section is not found in this one.
    QCOMPARE(ini.read(QStringLiteral("QV582"), QStringLiteral("abc")), QStringLiteral("0"));

    IniFile missing(dir.filePath(QStringLiteral("none.ini")));
    QCOMPARE(missing.read(QStringLiteral("part1"), QStringLiteral("abc")), QStringLiteral("0"));
}

void TestConfig::readsLegacyGbkFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("system.ini"));
    const QString text =
        QStringLiteral("[QV582]\nsoftname=洗浴中心管理系统\nCompany=某某软件公司\n");
    const QByteArray gbkBytes = shoupai::gbk::encode(text);
    QVERIFY(gbkBytes != text.toUtf8());
    writeAll(path, gbkBytes);
    IniFile ini(path);
    QCOMPARE(ini.read(QStringLiteral("QV582"), QStringLiteral("softname")),
             QStringLiteral("洗浴中心管理系统"));
    QCOMPARE(ini.read(QStringLiteral("qv582"), QStringLiteral("company")),
             QStringLiteral("某某软件公司"));

    // Written back as UTF-8, the Chinese values intact.
    QVERIFY(ini.write(QStringLiteral("part1"), QStringLiteral("abc"), QStringLiteral("a")));
    const QByteArray after = readAll(path);
    QVERIFY(after.contains(QStringLiteral("softname=洗浴中心管理系统").toUtf8()));
    QVERIFY(after.contains("abc=a"));
}

void TestConfig::writesThroughKeepingTheRest()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("system.ini"));
    writeAll(
        path,
        "; installed by the venue\n[part1]\nabc=a\n; the server\ncs=0\n\n[PosPrt]\nport=LPT1\n");
    IniFile ini(path);
    QVERIFY(ini.write(QStringLiteral("PART1"), QStringLiteral("ABC"), QStringLiteral("s")));
    QVERIFY(ini.write(QStringLiteral("part1"), QStringLiteral("ServerName"),
                      QStringLiteral("10.0.0.5")));
    QVERIFY(ini.write(QStringLiteral("new"), QStringLiteral("key"), QStringLiteral("值")));

    // Another reader sees the change at once.
    IniFile other(path);
    QCOMPARE(other.read(QStringLiteral("part1"), QStringLiteral("abc")), QStringLiteral("s"));
    QCOMPARE(other.read(QStringLiteral("part1"), QStringLiteral("servername")),
             QStringLiteral("10.0.0.5"));
    QCOMPARE(other.read(QStringLiteral("PosPrt"), QStringLiteral("port")), QStringLiteral("LPT1"));
    QCOMPARE(other.read(QStringLiteral("new"), QStringLiteral("key")), QStringLiteral("值"));

    const QString text = QString::fromUtf8(readAll(path));
    QVERIFY(text.startsWith(QStringLiteral("; installed by the venue\n[part1]\nABC=s\n")) ||
            text.startsWith(QStringLiteral("; installed by the venue\n[part1]\nabc=s\n")));
    QVERIFY(text.contains(QStringLiteral("; the server\ncs=0\nServerName=10.0.0.5\n\n[PosPrt]")));
    QVERIFY(text.endsWith(QStringLiteral("[new]\nkey=值\n")));

    // A file that does not exist yet is created by the first write.
    IniFile fresh(dir.filePath(QStringLiteral("fresh.ini")));
    QVERIFY(fresh.write(QStringLiteral("part1"), QStringLiteral("abc"), QStringLiteral("a")));
    QCOMPARE(IniFile(dir.filePath(QStringLiteral("fresh.ini")))
                 .read(QStringLiteral("part1"), QStringLiteral("abc")),
             QStringLiteral("a"));
}

void TestConfig::failedWriteLeavesFileAndValues()
{
    IniFile ini(QStringLiteral("/proc/no-such-folder/system.ini"));
    QVERIFY(!ini.write(QStringLiteral("part1"), QStringLiteral("abc"), QStringLiteral("s")));
    QCOMPARE(ini.read(QStringLiteral("part1"), QStringLiteral("abc")), QStringLiteral("0"));
}

void TestConfig::severalValuesInOneSave()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = QDir(folder).filePath(QStringLiteral("system.ini"));
    const QByteArray original = "[part1]\nabc=a\ncs=0\n\n[PosPrt]\nport=LPT1\n";
    writeAll(path, original);

    IniFile ini(path);
    QVERIFY(
        ini.write({{QStringLiteral("part1"), QStringLiteral("ABC"), QStringLiteral("s")},
                   {QStringLiteral("Part1"), QStringLiteral("ServerName"), QStringLiteral("db1")},
                   {QStringLiteral("posprt"), QStringLiteral("PORT"), QStringLiteral("COM1")}}));
    IniFile other(path);
    QCOMPARE(other.read(QStringLiteral("part1"), QStringLiteral("abc")), QStringLiteral("s"));
    QCOMPARE(other.read(QStringLiteral("part1"), QStringLiteral("servername")),
             QStringLiteral("db1"));
    QCOMPARE(other.read(QStringLiteral("PosPrt"), QStringLiteral("port")), QStringLiteral("COM1"));
    QCOMPARE(QString::fromUtf8(readAll(path)),
             QStringLiteral("[part1]\nabc=s\ncs=0\nServerName=db1\n\n[PosPrt]\nport=COM1\n"));

    // A save that cannot happen writes none of the values, on disk or in memory.
    writeAll(path, original);
    const QList<IniValue> change = {
        {QStringLiteral("part1"), QStringLiteral("abc"), QStringLiteral("s")},
        {QStringLiteral("part1"), QStringLiteral("cs"), QStringLiteral("Provider=SQLite")},
    };
    auto checkNothingWritten = [&](IniFile& file) {
        QCOMPARE(readAll(path), original);
        QCOMPARE(file.read(QStringLiteral("part1"), QStringLiteral("abc")), QStringLiteral("a"));
        QCOMPARE(file.read(QStringLiteral("part1"), QStringLiteral("cs")), QStringLiteral("0"));
    };
    {
        // A folder nobody may write into: the new file cannot be put in place.
        IniFile readOnly(path);
        setMode(folder, 0555);
        QFile probe(QDir(folder).filePath(QStringLiteral("probe")));
        const bool permissionsBind = !probe.open(QIODevice::WriteOnly);
        probe.remove();
        if (permissionsBind) {
            QVERIFY(!readOnly.write(change));
            checkNothingWritten(readOnly);
        }
        setMode(folder, 0755);
    }
    {
        // Also for root: the new file cannot be written out.
        IniFile limited(path);
        bool written = true;
        {
            FileSizeLimit limit(8);
            QVERIFY(limit.active());
            written = limited.write(change);
        }
        QVERIFY(!written);
        checkNothingWritten(limited);
        // Nothing half written is left beside it either.
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("system.ini")});
    }
}

void TestConfig::lineBreaksRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("system.ini"));
    const QByteArray original = "[part1]\nabc=a\n";
    writeAll(path, original);
    IniFile ini(path);
    // A value with a line break would write a key or section of its own.
    QVERIFY(!ini.write(QStringLiteral("part1"), QStringLiteral("cs"),
                       QStringLiteral("x\n[part1]\nabc=s")));
    QVERIFY(!ini.write(QStringLiteral("part1"), QStringLiteral("cs"), QStringLiteral("x\rabc=s")));
    QVERIFY(!ini.write(QStringLiteral("part1"), QStringLiteral("cs"), QStringLiteral("x\r\n")));
    // One bad value among several stops all of them.
    QVERIFY(!ini.write({{QStringLiteral("part1"), QStringLiteral("abc"), QStringLiteral("s")},
                        {QStringLiteral("part1"), QStringLiteral("cs"), QStringLiteral("a\nb")}}));
    QCOMPARE(readAll(path), original);
    QCOMPARE(ini.read(QStringLiteral("part1"), QStringLiteral("abc")), QStringLiteral("a"));
    QCOMPARE(ini.read(QStringLiteral("part1"), QStringLiteral("cs")), QStringLiteral("0"));
}

void TestConfig::permissionsKeptAndPasswordsOwnerOnly()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("system.ini"));
    writeAll(path, "[part1]\nabc=a\n");
    setMode(path, 0640);
    IniFile ini(path);
    QVERIFY(ini.write(QStringLiteral("PosPrt"), QStringLiteral("port"), QStringLiteral("LPT2")));
    QCOMPARE(modeOf(path), 0640);
    setMode(path, 0664);
    QVERIFY(ini.write(QStringLiteral("PosPrt"), QStringLiteral("port"), QStringLiteral("LPT1")));
    QCOMPARE(modeOf(path), 0664);

    // A connection description with a password makes the file its owner's alone,
    // and it stays so for the writes that follow.
    QVERIFY(ini.write(QStringLiteral("part1"), QStringLiteral("cs"),
                      QStringLiteral("Provider=PostgreSQL;User ID=shop;Password=geheim;"
                                     "Initial Catalog=shop;Data Source=10.0.0.5")));
    QCOMPARE(modeOf(path), 0600);
    QVERIFY(ini.write(QStringLiteral("PosPrt"), QStringLiteral("port"), QStringLiteral("LPT2")));
    QCOMPARE(modeOf(path), 0600);

    // So does the server's password key of the settings screen.
    const QString second = dir.filePath(QStringLiteral("second.ini"));
    writeAll(second, "[part1]\nabc=s\n");
    setMode(second, 0644);
    IniFile settings(second);
    QVERIFY(settings.write(
        {{QStringLiteral("part1"), QStringLiteral("UserName"), QStringLiteral("shop")},
         {QStringLiteral("part1"), QStringLiteral("PassWord"), QStringLiteral("geheim")}}));
    QCOMPARE(modeOf(second), 0600);

    // Or the caller saying so, for a new file too.
    const QString third = dir.filePath(QStringLiteral("third.ini"));
    IniFile fresh(third);
    QVERIFY(fresh.write(QStringLiteral("card"), QStringLiteral("key"), QStringLiteral("ffffff"),
                        IniFile::Content::Password));
    QCOMPARE(modeOf(third), 0600);
    QCOMPARE(IniFile(third).read(QStringLiteral("card"), QStringLiteral("key")),
             QStringLiteral("ffffff"));
}

QTEST_APPLESS_MAIN(TestConfig)
#include "tst_config.moc"
