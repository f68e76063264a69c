#include "common/XlsReader.h"

#include "common/CompoundFile.h"
#include "platform/GbkCodec.h"

#include <QFile>
#include <QHash>
#include <QMap>
#include <QtEndian>

#include <cstring>
#include <vector>

// The classic workbook is a stream of records (type, length, data) inside a
// compound file: first the workbook's globals (shared strings, number formats,
// cell styles, where each sheet starts), then each sheet's cells. Read here
// rather than through a library, because the one at hand trusts lengths and
// offsets from the file and reads past its buffers on a damaged workbook.
namespace shoupai {

namespace {

enum RecordType : quint16
{
    Formula = 0x0006,
    EndOfFile = 0x000A,
    DateMode = 0x0022,
    FilePass = 0x002F,
    Continue = 0x003C,
    CodePage = 0x0042,
    BoundSheet = 0x0085,
    MulRk = 0x00BD,
    RichString = 0x00D6,
    CellStyle = 0x00E0,
    SharedStrings = 0x00FC,
    LabelSst = 0x00FD,
    Number = 0x0203,
    Label = 0x0204,
    BoolErr = 0x0205,
    FormulaString = 0x0207,
    Rk = 0x027E,
    Bof = 0x0809,
    NumberFormat = 0x041E,
};

constexpr int MaxColumns = 256; // IV, the last column this format can address
constexpr int CodePageGbk = 936;

// What cannot be read; the reader turns it into the operator's message.
struct Damaged
{
};

struct Record
{
    quint16 type = 0;
    QByteArrayView data;

    quint8 u8(qsizetype at) const
    {
        need(at, 1);
        return quint8(data[at]);
    }
    quint16 u16(qsizetype at) const
    {
        need(at, 2);
        return qFromLittleEndian<quint16>(data.data() + at);
    }
    quint32 u32(qsizetype at) const
    {
        need(at, 4);
        return qFromLittleEndian<quint32>(data.data() + at);
    }
    double f64(qsizetype at) const
    {
        need(at, 8);
        return qFromLittleEndian<double>(data.data() + at);
    }
    // The data from at on; nothing when the record is shorter.
    QByteArrayView from(qsizetype at) const { return data.sliced(std::min(at, data.size())); }
    void need(qsizetype at, qsizetype length) const
    {
        if (at < 0 || at + length > data.size())
            throw Damaged{};
    }
};

class RecordStream
{
public:
    explicit RecordStream(const QByteArray& stream) : m_stream(stream) {}

    bool atEnd() const { return m_at + 4 > m_stream.size(); }
    quint16 peekType() const
    {
        return atEnd() ? 0 : qFromLittleEndian<quint16>(m_stream.constData() + m_at);
    }
    Record next()
    {
        if (atEnd())
            throw Damaged{};
        Record record;
        record.type = qFromLittleEndian<quint16>(m_stream.constData() + m_at);
        const quint16 length = qFromLittleEndian<quint16>(m_stream.constData() + m_at + 2);
        if (m_at + 4 + length > m_stream.size())
            throw Damaged{};
        record.data = QByteArrayView(m_stream.constData() + m_at + 4, length);
        m_at += 4 + length;
        return record;
    }
    // The record's data and that of the continuation records after it.
    std::vector<QByteArrayView> nextWithContinues()
    {
        std::vector<QByteArrayView> pieces{next().data};
        while (peekType() == Continue)
            pieces.push_back(next().data);
        return pieces;
    }
    void seek(quint32 offset)
    {
        if (offset >= m_stream.size())
            throw Damaged{};
        m_at = offset;
    }

private:
    const QByteArray& m_stream;
    qsizetype m_at = 0;
};

// Reads strings that may run on from a record into its continuations. A
// string's characters split by a record boundary go on after one byte that
// says again whether they take one byte or two.
class StringReader
{
public:
    StringReader(std::vector<QByteArrayView> pieces, bool biff8, int codePage)
        : m_pieces(std::move(pieces)), m_biff8(biff8), m_codePage(codePage)
    {
    }

    bool atEnd()
    {
        while (m_piece < m_pieces.size() && m_at >= m_pieces[m_piece].size()) {
            ++m_piece;
            m_at = 0;
        }
        return m_piece >= m_pieces.size();
    }
    void skip(qint64 count)
    {
        while (count > 0) {
            if (atEnd())
                throw Damaged{};
            const qint64 step = std::min<qint64>(count, m_pieces[m_piece].size() - m_at);
            m_at += step;
            count -= step;
        }
    }
    quint8 u8()
    {
        if (atEnd())
            throw Damaged{};
        return quint8(m_pieces[m_piece][m_at++]);
    }
    quint16 u16()
    {
        const quint8 low = u8();
        return quint16(low | (u8() << 8));
    }
    quint32 u32()
    {
        const quint16 low = u16();
        return quint32(low) | (quint32(u16()) << 16);
    }

    // A string as this format version stores it in a cell or a table: its
    // length in one or two bytes, then (from 97 on) its flags, characters,
    // formatting runs and phonetic data.
    QString text(bool twoByteLength)
    {
        const int count = twoByteLength ? u16() : u8();
        if (!m_biff8)
            return codePageText(count);
        const quint8 flags = u8();
        const int runs = (flags & 0x08) ? u16() : 0;
        const quint32 phonetic = (flags & 0x04) ? u32() : 0;
        const QString characters = unicodeCharacters(count, flags & 0x01);
        skip(qint64(runs) * 4);
        skip(phonetic);
        return characters;
    }

private:
    QString unicodeCharacters(int count, bool wide)
    {
        QString characters;
        characters.reserve(count);
        while (characters.size() < count) {
            if (m_at >= m_pieces[m_piece].size()) {
                // Run on into the next record, which starts with the width again.
                ++m_piece;
                m_at = 0;
                if (m_piece >= m_pieces.size())
                    throw Damaged{};
                wide = u8() & 0x01;
                continue;
            }
            const QByteArrayView piece = m_pieces[m_piece];
            const qsizetype width = wide ? 2 : 1;
            const qsizetype available = (piece.size() - m_at) / width;
            if (available == 0)
                throw Damaged{}; // half a character at the record's end
            const qsizetype take = std::min<qsizetype>(available, count - characters.size());
            for (qsizetype i = 0; i < take; ++i, m_at += width)
                characters.append(QChar(wide ? qFromLittleEndian<quint16>(piece.data() + m_at)
                                             : quint8(piece[m_at])));
        }
        return characters;
    }

    // Before 97 a text is bytes in the workbook's code page.
    QString codePageText(int count)
    {
        QByteArray bytes;
        while (bytes.size() < count)
            bytes.append(char(u8()));
        if (m_codePage == CodePageGbk)
            return gbk::decode(bytes);
        return QString::fromLatin1(bytes);
    }

    std::vector<QByteArrayView> m_pieces;
    std::size_t m_piece = 0;
    qsizetype m_at = 0;
    bool m_biff8 = true;
    int m_codePage = 0;
};

// A number stored in 30 bits: an integer or the high half of a double,
// either of them perhaps a hundred times too large.
double rkValue(quint32 rk)
{
    double value = 0;
    if (rk & 0x02) {
        value = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x01) ? value / 100 : value;
}

// The workbook's globals that the first sheet's cells refer to.
struct Globals
{
    bool biff8 = true;
    int codePage = 0;
    bool from1904 = false;
    QStringList sharedStrings;
    QHash<int, QString> formatCodes;
    std::vector<quint16> styleFormats; // per cell style, its number format
    qint64 firstSheet = -1;

    bool isDate(quint16 style) const
    {
        if (std::size_t(style) >= styleFormats.size())
            return false;
        const int format = styleFormats[style];
        const auto code = formatCodes.constFind(format);
        return code != formatCodes.cend() ? celltext::isDateFormatCode(*code)
                                          : celltext::isBuiltInDateFormat(format);
    }
    QString numberText(double value, quint16 style) const
    {
        return isDate(style) ? celltext::date(value, from1904) : celltext::number(value);
    }
};

// The format version from a BOF record: 97 and later, or 5/95.
bool isBiff8(const Record& bof, const QString& path)
{
    if (bof.type != Bof)
        throw SpreadsheetReadError(QStringLiteral("%1 不是可读的xls文件").arg(path));
    const quint16 version = bof.u16(0);
    if (version != 0x0600 && version != 0x0500)
        throw SpreadsheetReadError(
            QStringLiteral("%1 的格式版本太旧,请另存为Excel 97-2003或xlsx格式后再导入").arg(path));
    return version == 0x0600;
}

Globals readGlobals(RecordStream& records, const QString& path)
{
    Globals globals;
    globals.biff8 = isBiff8(records.next(), path);
    while (!records.atEnd()) {
        if (records.peekType() == SharedStrings) {
            StringReader strings(records.nextWithContinues(), globals.biff8, globals.codePage);
            strings.skip(4);
            const quint32 unique = strings.u32();
            // The count is the file's word: the strings are read while there are bytes.
            while (quint32(globals.sharedStrings.size()) < unique && !strings.atEnd())
                globals.sharedStrings << strings.text(true);
            continue;
        }
        const Record record = records.next();
        switch (record.type) {
        case EndOfFile:
            return globals;
        case FilePass:
            // What follows is encrypted.
            throw SpreadsheetReadError(
                QStringLiteral("%1 设有打开密码,请在Excel中取消密码后再导入").arg(path));
        case CodePage:
            globals.codePage = record.u16(0);
            break;
        case DateMode:
            globals.from1904 = record.u16(0) != 0;
            break;
        case NumberFormat: {
            StringReader code({record.from(2)}, globals.biff8, globals.codePage);
            globals.formatCodes.insert(record.u16(0), code.text(globals.biff8));
            break;
        }
        case CellStyle:
            globals.styleFormats.push_back(record.u16(2));
            break;
        case BoundSheet:
            // The first worksheet (not a chart or macro sheet) is the one imported.
            if (globals.firstSheet < 0 && record.u8(5) == 0)
                globals.firstSheet = record.u32(0);
            break;
        default:
            break;
        }
    }
    return globals;
}

using Cells = QMap<int, QMap<int, QString>>; // row, column, text

void putCell(Cells& cells, const Record& record, qsizetype columnAt, const QString& text)
{
    const int column = record.u16(columnAt);
    if (column >= MaxColumns)
        throw Damaged{};
    cells[record.u16(0)][column] = text;
}

Cells readFirstSheet(RecordStream& records, const Globals& globals)
{
    records.seek(quint32(globals.firstSheet));
    if (records.next().type != Bof)
        throw Damaged{};
    Cells cells;
    const Record* waitingFormula = nullptr; // its text comes in the next string record
    Record formula;
    while (!records.atEnd()) {
        if (records.peekType() == FormulaString) {
            StringReader text(records.nextWithContinues(), globals.biff8, globals.codePage);
            const QString value = text.text(true);
            if (waitingFormula)
                putCell(cells, *waitingFormula, 2, value);
            waitingFormula = nullptr;
            continue;
        }
        const Record record = records.next();
        switch (record.type) {
        case EndOfFile:
            return cells;
        case Number:
            putCell(cells, record, 2, globals.numberText(record.f64(6), record.u16(4)));
            break;
        case Rk:
            putCell(cells, record, 2, globals.numberText(rkValue(record.u32(6)), record.u16(4)));
            break;
        case MulRk: {
            const int first = record.u16(2);
            const qsizetype count = (record.data.size() - 6) / 6;
            for (qsizetype i = 0; i < count; ++i) {
                const int column = first + int(i);
                if (column >= MaxColumns)
                    throw Damaged{};
                cells[record.u16(0)][column] =
                    globals.numberText(rkValue(record.u32(6 + 6 * i)), record.u16(4 + 6 * i));
            }
            break;
        }
        case LabelSst: {
            const quint32 index = record.u32(6);
            if (index >= quint32(globals.sharedStrings.size()))
                throw Damaged{};
            putCell(cells, record, 2, globals.sharedStrings.at(qsizetype(index)));
            break;
        }
        case Label:
        case RichString: {
            StringReader text({record.from(6)}, globals.biff8, globals.codePage);
            putCell(cells, record, 2, text.text(true));
            break;
        }
        case BoolErr:
            // An error value (#N/A, #DIV/0!) shows nothing to import.
            putCell(cells, record, 2,
                    record.u8(7) != 0   ? QString()
                    : record.u8(6) != 0 ? QStringLiteral("TRUE")
                                        : QStringLiteral("FALSE"));
            break;
        case Formula:
            // The value the formula had when saved: a number, or a marker
            // for text (in the next string record), true/false, error or empty.
            if (record.u16(12) != 0xFFFF) {
                putCell(cells, record, 2, globals.numberText(record.f64(6), record.u16(4)));
            } else if (record.u8(6) == 0) {
                formula = record;
                waitingFormula = &formula;
            } else if (record.u8(6) == 1) {
                putCell(cells, record, 2,
                        record.u8(8) != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
            }
            break;
        default:
            break;
        }
    }
    return cells;
}

} // namespace

SheetContent XlsReader::read(const QString& path) const
{
    if (!QFile::exists(path))
        throw SpreadsheetReadError(QStringLiteral("%1 不存在").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SpreadsheetReadError(QStringLiteral("%1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    file.close();
    if (!compoundfile::looksLikeCompoundFile(bytes))
        throw SpreadsheetReadError(QStringLiteral("%1 不是可读的xls文件").arg(path));

    QByteArray stream;
    try {
        stream =
            compoundfile::readStream(bytes, {QStringLiteral("Workbook"), QStringLiteral("Book")});
    } catch (const compoundfile::DamagedError&) {
        throw SpreadsheetReadError(QStringLiteral("%1 不是可读的xls文件(目录已损坏)").arg(path));
    }
    if (stream.isEmpty())
        throw SpreadsheetReadError(QStringLiteral("%1 不是可读的xls文件(没有工作簿)").arg(path));

    Cells cells;
    try {
        RecordStream records(stream);
        const Globals globals = readGlobals(records, path);
        if (globals.firstSheet < 0)
            throw SpreadsheetReadError(QStringLiteral("%1 没有工作表").arg(path));
        cells = readFirstSheet(records, globals);
    } catch (const Damaged&) {
        throw SpreadsheetReadError(QStringLiteral("%1 不是可读的xls文件(内容已损坏)").arg(path));
    }

    SheetContent content;
    for (auto row = cells.cbegin(); row != cells.cend(); ++row) {
        QStringList texts(row->lastKey() + 1);
        for (auto cell = row->cbegin(); cell != row->cend(); ++cell)
            texts[cell.key()] = cell.value();
        celltext::appendRow(content, row.key() + 1, std::move(texts));
    }
    return content;
}

} // namespace shoupai
