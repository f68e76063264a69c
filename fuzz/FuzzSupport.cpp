#include "FuzzSupport.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace fuzz {

void fail(const char* file, int line, const char* condition, const QString& detail)
{
    std::fprintf(stderr, "%s:%d: property failed: %s\n  %s\n", file, line, condition,
                 detail.toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

uint8_t Input::byte()
{
    return m_pos < m_size ? m_data[m_pos++] : 0;
}

uint64_t Input::u64()
{
    uint64_t value = 0;
    for (int i = 0; i < 8; ++i)
        value = (value << 8) | byte();
    return value;
}

int64_t Input::between(int64_t low, int64_t high)
{
    const uint64_t span = uint64_t(high) - uint64_t(low);
    uint64_t raw = 0;
    for (uint64_t covered = 0; covered < span && !empty(); covered = (covered << 8) | 0xFF)
        raw = (raw << 8) | byte();
    return int64_t(uint64_t(low) + (span == UINT64_MAX ? raw : raw % (span + 1)));
}

QByteArray Input::bytes(int maxBytes)
{
    const size_t wanted = size_t(between(0, maxBytes));
    const size_t taken = std::min(wanted, remaining());
    QByteArray result(reinterpret_cast<const char*>(m_data + m_pos), qsizetype(taken));
    m_pos += taken;
    return result;
}

QString Input::text(int maxBytes)
{
    return QString::fromUtf8(bytes(maxBytes));
}

QByteArray Input::rest()
{
    QByteArray result(reinterpret_cast<const char*>(m_data + m_pos), qsizetype(remaining()));
    m_pos = m_size;
    return result;
}

namespace {

QString& scratchFolder()
{
    static QString folder;
    return folder;
}

void removeScratchFolder()
{
    QDir(scratchFolder()).removeRecursively();
}

} // namespace

QString writeScratchFile(const QString& suffix, const QByteArray& bytes)
{
    QString& folder = scratchFolder();
    if (folder.isEmpty()) {
        // In memory where the system has it: saves sync to disk, which would
        // make the disk, not the code, the pace of the run.
        // libFuzzer ends a timed run without the exit handlers, so the runner
        // names a parent folder it removes itself afterwards.
        const QString named = qEnvironmentVariable("SHOUPAI_FUZZ_SCRATCH");
        const QDir base(!named.isEmpty()                            ? named
                        : QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                    : QDir::tempPath());
        folder = base.filePath(QStringLiteral("shoupai-fuzz-%1").arg(::getpid()));
        QDir().mkpath(folder);
        std::atexit(removeScratchFolder);
    }
    const QString path = folder + QStringLiteral("/input") + suffix;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fail(__FILE__, __LINE__, "scratch file written", path);
    return path;
}

QString hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.left(64).toHex(' '));
}

} // namespace fuzz
