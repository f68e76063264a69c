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

// Whether nothing is bound to the local TCP port now.
bool portIsFree(quint16 port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool free =
        s >= 0 && ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (s >= 0)
        ::close(s);
    return free;
}

// A pair of TCP ports nobody uses now (vpcd listens on one per slot, the
// given port and the next). Taken below the range the system hands out to
// outgoing connections: the tests before this one leave thousands of those
// waiting to close, and one of them on the second port keeps the reader away.
quint16 freePort()
{
    static quint32 next = 20000 + quint32(::getpid()) % 5000;
    for (int attempt = 0; attempt < 200; ++attempt) {
        const quint16 port = quint16(next);
        next = next + 2 >= 30000 ? 20000 : next + 2;
        if (portIsFree(port) && portIsFree(quint16(port + 1)))
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
    // Starts pcscd with the virtual reader on free ports and waits for the
    // reader; says what went wrong, or nothing.
    QString startService();
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
    // The service is started afresh on other ports if its reader does not
    // show: a port can be taken between choosing it and the service binding it.
    QString failure;
    for (int attempt = 1; attempt <= 3; ++attempt) {
        failure = startService();
        if (failure.isEmpty())
            break;
        stop(m_service);
    }
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    IcUseReader(std::make_unique<PcscIcReader>());
}

QString TestIcPcsc::startService()
{
    m_port = freePort();
    if (m_port == 0)
        return QStringLiteral("no free pair of ports for the virtual reader");
    QFile config(m_folder.filePath(QStringLiteral("reader.conf")));
    if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return config.errorString();
    config.write(QStringLiteral("FRIENDLYNAME \"Virtual PCD\"\n"
                                "DEVICENAME /dev/null:0x%1\n"
                                "LIBPATH /usr/lib/pcsc/drivers/serial/libifdvpcd.so\n"
                                "CHANNELID 0x%1\n")
                     .arg(m_port, 0, 16)
                     .toLatin1());
    config.close();

    const QString logPath = m_folder.filePath(QStringLiteral("pcscd.log"));
    m_service.setProcessChannelMode(QProcess::MergedChannels);
    m_service.setStandardOutputFile(logPath);
    m_service.start(QStringLiteral("/usr/sbin/pcscd"),
                    {QStringLiteral("--foreground"), QStringLiteral("--auto-exit"),
                     QStringLiteral("-c"), config.fileName()});
    if (!m_service.waitForStarted(5000))
        return QStringLiteral("pcscd did not start: ") + m_service.errorString();
    PcscIcReader probe;
    if (waitFor([&] { return probe.readers().contains(readerName); }))
        return {};
    QFile log(logPath);
    log.open(QIODevice::ReadOnly);
    return QStringLiteral("port %1: the reader did not show (readers: %2; pcscd %3); its log:\n%4")
        .arg(m_port)
        .arg(probe.readers().join(u','),
             m_service.state() == QProcess::NotRunning ? QStringLiteral("ended")
                                                       : QStringLiteral("running"),
             QString::fromLocal8Bit(log.readAll().right(2000)));
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
