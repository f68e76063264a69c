#include "common/CompoundFile.h"

#include <QString>
#include <QtEndian>

#include <vector>

namespace shoupai::compoundfile {

namespace {

constexpr quint32 EndOfChain = 0xFFFFFFFE;
constexpr quint32 FreeSector = 0xFFFFFFFF;
constexpr quint32 LastRegularSector = 0xFFFFFFFA;
constexpr int HeaderFatEntries = 109;
constexpr qsizetype DirectoryEntrySize = 128;
constexpr int StreamEntry = 2;
constexpr int RootEntry = 5;

[[noreturn]] void damaged(const char* what)
{
    throw DamagedError(what);
}

// The file seen as numbered sectors after the header, with its allocation
// tables read once.
class Sectors
{
public:
    explicit Sectors(const QByteArray& file) : m_file(file)
    {
        if (file.size() < 512)
            damaged("shorter than its header");
        const int shift = u16(0x1E);
        if (shift != 9 && shift != 12)
            damaged("unknown sector size");
        m_sectorSize = qsizetype(1) << shift;
        const int miniShift = u16(0x20);
        if (miniShift != 6)
            damaged("unknown mini sector size");
        m_miniCutoff = u32(0x38);
        readFat();
    }

    quint32 u32(qsizetype at) const
    {
        return at >= 0 && at + 4 <= m_file.size()
                   ? qFromLittleEndian<quint32>(m_file.constData() + at)
                   : 0;
    }
    quint16 u16(qsizetype at) const
    {
        return at >= 0 && at + 2 <= m_file.size()
                   ? qFromLittleEndian<quint16>(m_file.constData() + at)
                   : 0;
    }
    quint32 miniCutoff() const { return m_miniCutoff; }

    // The bytes of the chain from first, or its first size bytes when size
    // is given; a chain shorter than size is damage.
    QByteArray chain(quint32 first, qint64 size = -1) const
    {
        QByteArray bytes;
        if (size >= 0) {
            if (size > m_file.size())
                damaged("stream longer than the file");
            bytes.reserve(qsizetype(size));
        }
        // A chain visits each sector once at most.
        std::vector<bool> visited(m_fat.size());
        for (quint32 sector = first; sector != EndOfChain; sector = m_fat[sector]) {
            if (size >= 0 && bytes.size() >= size)
                break;
            if (sector >= m_fat.size() || visited[sector])
                damaged("sector chain leaves the table or loops");
            visited[sector] = true;
            bytes.append(sectorBytes(sector));
        }
        if (size >= 0) {
            if (bytes.size() < size)
                damaged("stream shorter than its directory entry");
            bytes.truncate(qsizetype(size));
        }
        return bytes;
    }

private:
    // A sector's bytes; the last one of a file may be cut short by the writer,
    // the rest reads as zeros.
    QByteArray sectorBytes(quint32 sector) const
    {
        const qsizetype offset = (qsizetype(sector) + 1) * m_sectorSize;
        if (sector > LastRegularSector || offset >= m_file.size())
            damaged("sector outside the file");
        QByteArray bytes = m_file.mid(offset, m_sectorSize);
        bytes.append(QByteArray(m_sectorSize - bytes.size(), '\0'));
        return bytes;
    }

    void readFat()
    {
        // The sectors of the table: 109 named in the header, the rest in a
        // chain of extension sectors.
        const qsizetype sectorsInFile = m_file.size() / m_sectorSize;
        const quint32 fatSectors = u32(0x2C);
        if (fatSectors > quint64(sectorsInFile))
            damaged("more table sectors than the file holds");
        std::vector<quint32> tableSectors;
        for (int i = 0; i < HeaderFatEntries && tableSectors.size() < fatSectors; ++i)
            tableSectors.push_back(u32(0x4C + 4 * i));
        const qsizetype perExtension = m_sectorSize / 4 - 1;
        quint32 extension = u32(0x44);
        for (qsizetype steps = 0;
             tableSectors.size() < fatSectors && extension != EndOfChain && extension != FreeSector;
             ++steps) {
            if (steps > sectorsInFile)
                damaged("table extension chain loops");
            const QByteArray bytes = sectorBytes(extension);
            for (qsizetype i = 0; i < perExtension && tableSectors.size() < fatSectors; ++i)
                tableSectors.push_back(qFromLittleEndian<quint32>(bytes.constData() + 4 * i));
            extension = qFromLittleEndian<quint32>(bytes.constData() + 4 * perExtension);
        }
        if (tableSectors.size() < fatSectors)
            damaged("table sectors missing");
        m_fat.reserve(tableSectors.size() * std::size_t(m_sectorSize / 4));
        for (const quint32 tableSector : tableSectors) {
            const QByteArray bytes = sectorBytes(tableSector);
            for (qsizetype at = 0; at < m_sectorSize; at += 4)
                m_fat.push_back(qFromLittleEndian<quint32>(bytes.constData() + at));
        }
    }

    const QByteArray& m_file;
    qsizetype m_sectorSize = 512;
    quint32 m_miniCutoff = 4096;
    std::vector<quint32> m_fat;
};

struct DirectoryEntry
{
    QString name;
    int type = 0;
    quint32 start = 0;
    qint64 size = 0;
};

std::vector<DirectoryEntry> readDirectory(const Sectors& sectors)
{
    const QByteArray bytes = sectors.chain(sectors.u32(0x30));
    std::vector<DirectoryEntry> entries;
    for (qsizetype at = 0; at + DirectoryEntrySize <= bytes.size(); at += DirectoryEntrySize) {
        const char* entry = bytes.constData() + at;
        const int nameBytes = qFromLittleEndian<quint16>(entry + 64);
        if (nameBytes > 64 || nameBytes % 2 != 0)
            damaged("directory entry name longer than its field");
        DirectoryEntry parsed;
        // The stored length counts the terminating zero.
        parsed.name = QString::fromUtf16(reinterpret_cast<const char16_t*>(entry),
                                         qMax(0, nameBytes / 2 - 1));
        parsed.type = quint8(entry[66]);
        parsed.start = qFromLittleEndian<quint32>(entry + 116);
        // Version 3 files keep only the low half; writers leave junk above it.
        const bool version3 = sectors.u16(0x1A) == 3;
        parsed.size = version3
                          ? qint64(qFromLittleEndian<quint32>(entry + 120))
                          : qint64(qFromLittleEndian<quint64>(entry + 120) & 0x7FFFFFFFFFFFFFFFULL);
        entries.push_back(parsed);
    }
    if (entries.empty() || entries.front().type != RootEntry)
        damaged("directory without its root");
    return entries;
}

// A small stream lives in 64-byte pieces of the root's own stream.
QByteArray readMiniStream(const Sectors& sectors, const DirectoryEntry& root, quint32 first,
                          qint64 size)
{
    const QByteArray miniFat = sectors.chain(sectors.u32(0x3C));
    const QByteArray container = sectors.chain(root.start, root.size);
    const qsizetype entries = miniFat.size() / 4;
    std::vector<bool> visited(static_cast<std::size_t>(entries));
    QByteArray bytes;
    for (quint32 sector = first; bytes.size() < size;) {
        if (sector == EndOfChain || qsizetype(sector) >= entries || visited[sector])
            damaged("mini sector chain leaves its table or loops");
        visited[sector] = true;
        const qsizetype offset = qsizetype(sector) * 64;
        if (offset + 64 > container.size())
            damaged("mini sector outside its container");
        bytes.append(container.constData() + offset, 64);
        sector = qFromLittleEndian<quint32>(miniFat.constData() + 4 * qsizetype(sector));
    }
    bytes.truncate(qsizetype(size));
    return bytes;
}

} // namespace

bool looksLikeCompoundFile(const QByteArray& file)
{
    return file.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1"));
}

QByteArray readStream(const QByteArray& file, const QStringList& names)
{
    if (!looksLikeCompoundFile(file))
        damaged("not a compound file");
    const Sectors sectors(file);
    const std::vector<DirectoryEntry> directory = readDirectory(sectors);
    for (const QString& wanted : names) {
        for (const DirectoryEntry& entry : directory) {
            if (entry.type != StreamEntry || entry.name.compare(wanted, Qt::CaseInsensitive) != 0)
                continue;
            if (entry.size > file.size())
                damaged("stream longer than the file");
            if (entry.size < sectors.miniCutoff())
                return readMiniStream(sectors, directory.front(), entry.start, entry.size);
            return sectors.chain(entry.start, entry.size);
        }
    }
    return {};
}

} // namespace shoupai::compoundfile
