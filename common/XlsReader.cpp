#include "common/XlsReader.h"

#include <QFile>
#include <QtEndian>

#include <freexl.h>

namespace shoupai {

namespace {

// Closes the workbook however reading ends.
class XlsHandle
{
public:
    ~XlsHandle()
    {
        if (m_handle)
            freexl_close(m_handle);
    }
    const void** out() { return &m_handle; }
    const void* get() const { return m_handle; }

private:
    const void* m_handle = nullptr;
};

// The library trusts the compound file's directory: an entry's name length
// past its 64 bytes, or a directory sector outside the file, makes it read far
// past its buffers. Both are checked here first; a directory found sound is
// left to the library, as is one it will not list in the header.
bool directoryIsSound(const QByteArray& file)
{
    const auto u16 = [&](qsizetype at) {
        return qFromLittleEndian<quint16>(file.constData() + at);
    };
    const auto u32 = [&](qsizetype at) {
        return qFromLittleEndian<quint32>(file.constData() + at);
    };
    if (file.size() < 512 || !file.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1")))
        return true; // not a compound file: the library refuses it itself
    const int shift = u16(0x1E);
    if (shift != 9 && shift != 12)
        return false;
    const qsizetype sectorSize = qsizetype(1) << shift;
    const auto offsetOf = [&](quint32 sector) { return (qsizetype(sector) + 1) * sectorSize; };
    const auto inFile = [&](quint32 sector) {
        return qsizetype(sector) < file.size() / sectorSize &&
               offsetOf(sector) + sectorSize <= file.size();
    };
    const quint32 perFatSector = quint32(sectorSize / 4);
    constexpr quint32 EndOfChain = 0xFFFFFFFE;
    quint32 sector = u32(0x30);
    for (qsizetype visited = 0; sector != EndOfChain; ++visited) {
        if (!inFile(sector) || visited > file.size() / sectorSize)
            return false;
        for (qsizetype entry = offsetOf(sector); entry < offsetOf(sector) + sectorSize;
             entry += 128)
            if (u16(entry + 64) > 64)
                return false;
        const quint32 fatIndex = sector / perFatSector;
        if (fatIndex >= 109)
            return true;
        const quint32 fatSector = u32(0x4C + 4 * fatIndex);
        if (!inFile(fatSector))
            return false;
        sector = u32(offsetOf(fatSector) + 4 * (sector % perFatSector));
    }
    return true;
}

[[noreturn]] void fail(const QString& path, int code)
{
    throw SpreadsheetReadError(QStringLiteral("%1 不是可读的xls文件(错误 %2)").arg(path).arg(code));
}

QString cellText(const FreeXL_CellValue& cell)
{
    switch (cell.type) {
    case FREEXL_CELL_INT:
        return QString::number(cell.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return celltext::number(cell.value.double_value);
    case FREEXL_CELL_DATETIME:
        // The day is what an import takes.
        return QString::fromUtf8(cell.value.text_value).left(10);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_TIME:
        return QString::fromUtf8(cell.value.text_value);
    default:
        return {};
    }
}

} // namespace

SheetContent XlsReader::read(const QString& path) const
{
    if (!QFile::exists(path))
        throw SpreadsheetReadError(QStringLiteral("%1 不存在").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SpreadsheetReadError(QStringLiteral("%1: %2").arg(path, file.errorString()));
    if (!directoryIsSound(file.readAll()))
        throw SpreadsheetReadError(QStringLiteral("%1 不是可读的xls文件(目录已损坏)").arg(path));
    file.close();
    XlsHandle workbook;
    const QByteArray name = QFile::encodeName(path);
    if (int code = freexl_open(name.constData(), workbook.out()); code != FREEXL_OK)
        fail(path, code);
    unsigned int sheets = 0;
    if (int code = freexl_get_info(workbook.get(), FREEXL_BIFF_SHEET_COUNT, &sheets);
        code != FREEXL_OK)
        fail(path, code);
    if (sheets == 0)
        throw SpreadsheetReadError(QStringLiteral("%1 没有工作表").arg(path));
    if (int code = freexl_select_active_worksheet(workbook.get(), 0); code != FREEXL_OK)
        fail(path, code);
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (int code = freexl_worksheet_dimensions(workbook.get(), &rows, &columns); code != FREEXL_OK)
        fail(path, code);

    SheetContent content;
    for (unsigned int row = 0; row < rows; ++row) {
        QStringList cells;
        cells.reserve(columns);
        for (unsigned short column = 0; column < columns; ++column) {
            FreeXL_CellValue cell;
            if (int code = freexl_get_cell_value(workbook.get(), row, column, &cell);
                code != FREEXL_OK)
                fail(path, code);
            cells << cellText(cell);
        }
        celltext::appendRow(content, int(row) + 1, std::move(cells));
    }
    return content;
}

} // namespace shoupai
