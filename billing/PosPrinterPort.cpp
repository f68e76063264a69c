#include "billing/PosPrinterPort.h"

#include "common/Prompter.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace shoupai {

namespace {

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A parallel port: the classic device, else the USB printer class device of the same number.
QString parallelDevice(int index)
{
    const QString classic = QStringLiteral("/dev/lp%1").arg(index);
    if (QFileInfo::exists(classic))
        return classic;
    const QString usb = QStringLiteral("/dev/usb/lp%1").arg(index);
    if (QFileInfo::exists(usb))
        return usb;
    return classic; // opening it reports that the device is missing
}

} // namespace

QString PosPrinterPort::devicePath(const QString& portName, QString* error)
{
    const QString name = portName.trimmed();
    if (name.contains(u'/'))
        return name;
    static const QRegularExpression lpt(QStringLiteral("^LPT([1-3])$"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression com(QStringLiteral("^COM([1-9])$"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (const auto match = lpt.match(name); match.hasMatch())
        return parallelDevice(match.captured(1).toInt() - 1);
    if (const auto match = com.match(name); match.hasMatch())
        return QStringLiteral("/dev/ttyS%1").arg(match.captured(1).toInt() - 1);
    // Anything else would be created as a stray file in the working folder.
    if (error)
        *error = QStringLiteral("打印端口\"%1\"不是打印机设备,请在\"Pos打印机设置\"中选择端口!")
                     .arg(name);
    return {};
}

QString PosPrinterPort::write(const QString& portName, const QByteArray& bytes, int stallMs)
{
    QString error;
    const QString path = devicePath(portName, &error);
    if (path.isEmpty())
        return error;

    const QByteArray native = QFile::encodeName(path);
    // The port stays non-blocking: a serial line without carrier, a printer out
    // of paper or a pipe nobody reads must not hang the till. Only a path the
    // operator typed is created: a missing device must not become a file in /dev.
    int mode = O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
    if (portName.contains(u'/'))
        mode |= O_CREAT | O_TRUNC;
    const int fd = ::open(native.constData(), mode, 0644);
    if (fd < 0)
        return QStringLiteral("无法打开打印端口 %1: %2").arg(path, systemText(errno));

    const auto failed = [&path](int error) {
        return QStringLiteral("打印端口 %1 写入失败: %2").arg(path, systemText(error));
    };
    QString failure;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written >= 0) {
            done += written;
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            failure = failed(errno);
            break;
        }
        // The device takes no more for now: wait for it, but not for ever.
        pollfd ready{fd, POLLOUT, 0};
        const int polled = ::poll(&ready, 1, stallMs);
        if (polled == 0) {
            failure = failed(ETIMEDOUT);
            break;
        }
        if (polled < 0 && errno != EINTR) {
            failure = failed(errno);
            break;
        }
    }
    if (::close(fd) != 0 && failure.isEmpty())
        failure = failed(errno);
    return failure;
}

bool PosPrinterPort::print(const QString& portName, const QByteArray& bytes)
{
    const QString failure = write(portName, bytes);
    if (failure.isEmpty())
        return true;
    Prompter::current().error(failure);
    return false;
}

} // namespace shoupai
