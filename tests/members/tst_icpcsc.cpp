#include "common/Prompter.h"
#include "members/IcCard.h"
#include "platform/PcscIcReader.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>

using namespace shoupai;

namespace {

const QString readerName = QStringLiteral("Virtual PCD 00 00");

// Why this machine cannot run the service for the test; empty when it can.
// The PC/SC client library talks to the one system socket, so the test needs
// to start the service itself: as root, with no other one running.
QString cannotRunService()
{
    if (::geteuid() != 0)
        return QStringLiteral("starting pcscd needs root");
    if (!QFile::exists(QStringLiteral("/usr/sbin/pcscd")))
        return QStringLiteral("pcscd is not installed");
    if (!QFile::exists(QStringLiteral("/usr/lib/pcsc/drivers/serial/libifdvpcd.so")))
        return QStringLiteral("vsmartcard-vpcd is not installed");
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "pcscd")
            return QStringLiteral("another pcscd runs (process %1)").arg(pid);
    }
    return {};
}

// A TCP port nobody listens on now (vpcd listens on it and on the next one).
quint16 freePort()
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        quint16 port = 0;
        if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            port = ntohs(address.sin_port);
        ::close(s);
        if (port > 1024 && port < 65000)
            return port;
    }
    return 0;
}

bool waitFor(const std::function<bool()>& condition, int milliseconds = 15000)
{
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired()) {
        if (condition())
            return true;
        QThread::msleep(50);
    }
    return condition();
}

void stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

} // namespace

class TestIcPcsc : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void writesAndReadsThroughTheService();
    void lockedCardIsNotRisked();

private:
    // Starts the emulated card; it is inserted once the reader reports it.
    bool insertCard(QProcess& card, const QStringList& arguments = {});
    QStringList commandsSent() const;

    QTemporaryDir m_folder;
    QProcess m_service;
    quint16 m_port = 0;
};

void TestIcPcsc::initTestCase()
{
    const QString reason = cannotRunService();
    if (!reason.isEmpty()) {
        if (qEnvironmentVariable("CI") == u"true")
            QFAIL(qPrintable(reason));
        QSKIP(qPrintable(reason));
    }
    m_port = freePort();
    QVERIFY(m_port != 0);
    QFile config(m_folder.filePath(QStringLiteral("reader.conf")));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("FRIENDLYNAME \"Virtual PCD\"\n"
                                "DEVICENAME /dev/null:0x%1\n"
                                "LIBPATH /usr/lib/pcsc/drivers/serial/libifdvpcd.so\n"
                                "CHANNELID 0x%1\n")
                     .arg(m_port, 0, 16)
                     .toLatin1());
    config.close();

    m_service.setProcessChannelMode(QProcess::MergedChannels);
    m_service.setStandardOutputFile(m_folder.filePath(QStringLiteral("pcscd.log")));
    m_service.start(QStringLiteral("/usr/sbin/pcscd"),
                    {QStringLiteral("--foreground"), QStringLiteral("--auto-exit"),
                     QStringLiteral("-c"), config.fileName()});
    QVERIFY(m_service.waitForStarted(5000));
    PcscIcReader probe;
    QVERIFY2(waitFor([&] { return probe.readers().contains(readerName); }),
             qPrintable(probe.readers().join(',')));
    IcUseReader(std::make_unique<PcscIcReader>());
}

void TestIcPcsc::cleanupTestCase()
{
    IcUseReader(nullptr);
    stop(m_service);
}

bool TestIcPcsc::insertCard(QProcess& card, const QStringList& arguments)
{
    const QString script =
        QDir(qEnvironmentVariable("SHOUPAI_SOURCE_DIR")).filePath("tests/members/sle4442_card.py");
    card.setProcessChannelMode(QProcess::ForwardedChannels);
    card.start(QStringLiteral("python3"),
               QStringList{script, QStringLiteral("--port"), QString::number(m_port),
                           QStringLiteral("--log"), m_folder.filePath(QStringLiteral("apdu.log"))} +
                   arguments);
    return card.waitForStarted(5000) && waitFor([] { return IcCurrentReader().cardPresent(); });
}

QStringList TestIcPcsc::commandsSent() const
{
    QFile log(m_folder.filePath(QStringLiteral("apdu.log")));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(log.readAll()).split('\n', Qt::SkipEmptyParts);
}

void TestIcPcsc::writesAndReadsThroughTheService()
{
    ScriptedPrompter prompter;
    QStringList log;
    IcProbe(log);
    QVERIFY2(log.size() >= 3, qPrintable(log.join('|')));
    QCOMPARE(log.at(0), QStringLiteral("正在检查通信端口:") + readerName);
    QCOMPARE(log.mid(log.size() - 2),
             (QStringList{QStringLiteral("找到设备,连接端口为:") + readerName,
                          QStringLiteral("设备初始化成功!")}));
    QCOMPARE(IcPortName(0), readerName);

    // No card yet.
    QCOMPARE(IcRead(), QString());
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("请插卡!")});

    QProcess card;
    QVERIFY(insertCard(card));
    prompter.clear();
    QVERIFY(IcWrite(QStringLiteral(" A001 ")));
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("写卡成功!")});
    QCOMPARE(IcRead(), QStringLiteral("A001"));
    QVERIFY(IcWrite(QStringLiteral("会员张三")));
    QCOMPARE(IcRead(), QStringLiteral("会员张三"));

    // The bytes on the wire: select, counter, code and write in one connection,
    // then the read-back.
    const QStringList commands = commandsSent();
    const QString block =
        QString::fromLatin1((QByteArray("A001") + QByteArray(96, '\0')).toHex().toUpper());
    QVERIFY2(commands.size() >= 5, qPrintable(commands.join('|')));
    QCOMPARE(commands.mid(0, 5),
             (QStringList{"FFA4000001"
                          "06",
                          "FFB1000004", "FF20000003FFFFFF", "FFD0002064" + block, "FFB0002064"}));

    // Taken out: the service sees no card.
    stop(card);
    QVERIFY(waitFor([] { return !IcCurrentReader().cardPresent(); }));
    prompter.clear();
    QVERIFY(!IcCardPresent());
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("请插卡!")});
}

void TestIcPcsc::lockedCardIsNotRisked()
{
    ScriptedPrompter prompter;
    IcInit();
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("设备初始化成功!")});
    QFile::remove(m_folder.filePath(QStringLiteral("apdu.log")));
    QProcess card;
    QVERIFY(insertCard(card, {QStringLiteral("--counter"), QStringLiteral("1")}));
    prompter.clear();
    QVERIFY(!IcWrite(QStringLiteral("A001")));
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("密码校验失败!")});
    const QStringList commands = commandsSent();
    QCOMPARE(commands, (QStringList{"FFA4000001"
                                    "06",
                                    "FFB1000004"}));
    stop(card);
}

QTEST_MAIN(TestIcPcsc)
#include "tst_icpcsc.moc"
