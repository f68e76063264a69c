#include "app/IniFile.h"
#include "platform/GbkCodec.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using shoupai::IniFile;

class TestConfig : public QObject
{
    Q_OBJECT
private slots:
    void readsWithoutRegardToCaseAndDefaultsToZero();
    void readsLegacyGbkFile();
    void writesThroughKeepingTheRest();
    void failedWriteLeavesFileAndValues();

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

QTEST_APPLESS_MAIN(TestConfig)
#include "tst_config.moc"
