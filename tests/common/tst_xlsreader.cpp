#include "common/CompoundFile.h"
#include "common/XlsReader.h"
#include "platform/GbkCodec.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace shoupai;

namespace {

// Workbooks are put together here record by record, so that each case holds
// exactly the structure it is about (continued strings, the older format,
// small streams), which the spreadsheet programs at hand would not write.

QByteArray le16(quint32 value)
{
    QByteArray bytes(2, '\0');
    qToLittleEndian<quint16>(quint16(value), bytes.data());
    return bytes;
}

QByteArray le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian<quint32>(value, bytes.data());
    return bytes;
}

QByteArray f64(double value)
{
    QByteArray bytes(8, '\0');
    qToLittleEndian<double>(value, bytes.data());
    return bytes;
}

QByteArray record(quint16 type, const QByteArray& data)
{
    return le16(type) + le16(quint32(data.size())) + data;
}

// Characters one byte each (compressed) or two.
QByteArray characters(const QString& text, bool wide)
{
    QByteArray bytes;
    for (const QChar c : text)
        bytes += wide ? le16(c.unicode()) : QByteArray(1, char(c.unicode()));
    return bytes;
}

// A 97 string: length, flags, characters.
QByteArray unicodeString(const QString& text, bool wide)
{
    return le16(quint32(text.size())) + QByteArray(1, wide ? '\x01' : '\x00') +
           characters(text, wide);
}

QByteArray cellHead(int row, int column, int style)
{
    return le16(quint32(row)) + le16(quint32(column)) + le16(quint32(style));
}

// An integer in the 30-bit form, or a hundredth of one.
quint32 rkInteger(qint32 value, bool hundredths = false)
{
    return (quint32(value) << 2) | 0x02 | (hundredths ? 0x01 : 0x00);
}

QByteArray bof(quint16 version, quint16 kind)
{
    return record(0x0809, le16(version) + le16(kind) + QByteArray(12, '\0'));
}

const QByteArray endOfFile = record(0x000A, {});

// Globals then sheet, with the sheet's offset put into its BOUNDSHEET record
// (whose first four bytes are left as zeros by the caller).
QByteArray workbook(QByteArray globals, const QByteArray& sheet, qsizetype boundSheetAt)
{
    const QByteArray offset = le32(quint32(globals.size()));
    globals.replace(boundSheetAt + 4, 4, offset);
    return globals + sheet;
}

// A version 3 compound file of 512-byte sectors holding one stream; a stream
// under 4096 bytes goes into the root's small-sector container, as writers do.
QByteArray compoundFile(const QByteArray& stream, const QString& name = QStringLiteral("Workbook"))
{
    constexpr quint32 End = 0xFFFFFFFE, Free = 0xFFFFFFFF, FatSector = 0xFFFFFFFD;
    const bool small = stream.size() < 4096;
    QList<quint32> fat{FatSector, End}; // the table itself, the directory
    QByteArray sectors;
    const auto chainOf = [&](const QByteArray& bytes) {
        const quint32 first = quint32(fat.size());
        const qsizetype count = (bytes.size() + 511) / 512;
        for (qsizetype i = 0; i < count; ++i)
            fat << (i + 1 < count ? first + quint32(i) + 1 : End);
        QByteArray padded = bytes;
        padded.append(QByteArray(count * 512 - bytes.size(), '\0'));
        sectors += padded;
        return count ? first : End;
    };
    quint32 streamStart = 0, miniFatStart = End, rootStart = End;
    quint32 rootSize = 0;
    if (small) {
        const qsizetype pieces = (stream.size() + 63) / 64;
        QByteArray miniFat;
        for (qsizetype i = 0; i < pieces; ++i)
            miniFat += le32(i + 1 < pieces ? quint32(i) + 1 : End);
        miniFatStart = chainOf(miniFat);
        QByteArray container = stream;
        container.append(QByteArray(pieces * 64 - stream.size(), '\0'));
        rootStart = chainOf(container);
        rootSize = quint32(container.size());
    } else {
        streamStart = chainOf(stream);
    }
    const auto entry = [](const QString& entryName, int type, quint32 child, quint32 start,
                          quint32 size) {
        QByteArray bytes = characters(entryName, true);
        bytes.append(QByteArray(64 - bytes.size(), '\0'));
        bytes += le16(quint32(entryName.size() + 1) * 2);
        bytes += QByteArray(1, char(type)) + QByteArray(1, '\x01');
        bytes += le32(0xFFFFFFFF) + le32(0xFFFFFFFF) + le32(child);
        bytes.append(QByteArray(116 - bytes.size(), '\0'));
        return bytes + le32(start) + le32(size) + le32(0);
    };
    QByteArray directory =
        entry(QStringLiteral("Root Entry"), 5, 1, rootStart, rootSize) +
        entry(name, 2, 0xFFFFFFFF, small ? 0 : streamStart, quint32(stream.size()));
    directory.append(QByteArray(512 - directory.size(), '\0'));
    while (fat.size() < 128)
        fat << Free;
    QByteArray fatBytes;
    for (const quint32 next : fat)
        fatBytes += le32(next);

    QByteArray header = QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(16, '\0') +
                        le16(0x3E) + le16(3) + le16(0xFFFE) + le16(9) + le16(6) +
                        QByteArray(6, '\0') + le32(0) + le32(1) + le32(1) + le32(0) + le32(4096) +
                        le32(miniFatStart) + le32(small ? 1 : 0) + le32(End) + le32(0) + le32(0);
    while (header.size() < 512)
        header += le32(Free);
    return header + fatBytes + directory + sectors;
}

QString write(QTemporaryDir& folder, const QByteArray& bytes)
{
    static int count = 0;
    const QString path = folder.filePath(QStringLiteral("book%1.xls").arg(++count));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString readError(const QString& path)
{
    try {
        XlsReader().read(path);
    } catch (const SpreadsheetReadError& error) {
        return error.reason();
    }
    return {};
}

// The 97 globals every case here starts from: styles 0 general, 1 a custom
// date format, 2 the built-in date, 3 the built-in "0.00"; a chart sheet
// first, then the worksheet. Returns where the worksheet's BOUNDSHEET is.
QByteArray globals97(const QByteArray& sharedStrings, qsizetype* boundSheetAt)
{
    QByteArray globals = bof(0x0600, 0x0005) + record(0x0042, le16(1200));
    globals +=
        record(0x041E, le16(164) + unicodeString(QStringLiteral("yyyy\"年\"m\"月\"d\"日\""), true));
    for (const int format : {0, 164, 14, 2})
        globals += record(0x00E0, le16(0) + le16(quint32(format)) + QByteArray(16, '\0'));
    globals += record(0x0085, le32(0) + QByteArray(1, '\0') + QByteArray(1, '\x02') +
                                  QByteArray(1, '\x05') + QByteArray(1, '\0') + "Chart");
    *boundSheetAt = globals.size();
    globals += record(0x0085, le32(0) + QByteArray(2, '\0') + QByteArray(1, '\x06') +
                                  QByteArray(1, '\0') + "Sheet1");
    return globals + sharedStrings + endOfFile;
}

} // namespace

class TestXlsReader : public QObject
{
    Q_OBJECT
private slots:
    void cellsOfEveryKindAndContinuedStrings();
    void olderFormatInItsCodePageFromSmallSectors();
    void damagedWorkbooksRefusedWithAReason();
};

void TestXlsReader::cellsOfEveryKindAndContinuedStrings()
{
    // Shared strings: Chinese, plain, one with formatting runs and phonetic
    // data to skip, and a long one that runs into a continuation record, one
    // byte per character before the break and two after it.
    const QString longStart(3000, u'x');
    const QString longEnd = QString(500, QChar(u'汉'));
    QByteArray sst = le32(5) + le32(4) + unicodeString(QStringLiteral("名称"), true) +
                     unicodeString(QStringLiteral("plain"), false);
    sst += le16(4) + QByteArray(1, '\x0D') + le16(1) + le32(3) +
           characters(QStringLiteral("rich"), true) + le32(0) + QByteArray(3, '\x7F');
    sst += le16(quint32(longStart.size() + longEnd.size())) + QByteArray(1, '\0') +
           characters(longStart, false);
    const QByteArray continued = QByteArray(1, '\x01') + characters(longEnd, true);
    qsizetype boundSheetAt = 0;
    const QByteArray globals =
        globals97(record(0x00FC, sst) + record(0x003C, continued), &boundSheetAt);

    QByteArray sheet = bof(0x0600, 0x0010);
    sheet += record(0x00FD, cellHead(0, 0, 0) + le32(0));
    sheet += record(0x00FD, cellHead(0, 1, 0) + le32(1));
    sheet += record(0x00FD, cellHead(0, 2, 0) + le32(2));
    sheet += record(0x00FD, cellHead(0, 3, 0) + le32(3));
    sheet += record(0x0203, cellHead(1, 0, 0) + f64(12.5));
    sheet += record(0x027E, cellHead(1, 1, 0) + le32(rkInteger(201)));
    sheet += record(0x027E, cellHead(1, 2, 3) + le32(rkInteger(1234, true)));
    sheet += record(0x027E, cellHead(1, 3, 0) + le32(rkInteger(-7)));
    sheet +=
        record(0x00BD, le16(2) + le16(0) + le16(1) + le32(rkInteger(45356)) + le16(2) +
                           le32(rkInteger(45357)) + le16(0) + le32(rkInteger(350, true)) + le16(2));
    sheet += record(0x0204, cellHead(3, 0, 0) + unicodeString(QStringLiteral("手工"), true));
    sheet += record(0x0205, cellHead(3, 1, 0) + QByteArray(1, '\x01') + QByteArray(1, '\0'));
    sheet += record(0x0205, cellHead(3, 2, 0) + QByteArray(1, '\x07') + QByteArray(1, '\x01'));
    sheet += record(0x0205, cellHead(3, 3, 0) + QByteArray(1, '\0') + QByteArray(1, '\0'));
    // Formulas keep the value they had: a number, text in the string record
    // after them (here continued), false.
    const QByteArray formulaTail = le16(0) + le32(0) + le16(0);
    sheet += record(0x0006, cellHead(4, 0, 0) + f64(7) + formulaTail);
    sheet +=
        record(0x0006, cellHead(4, 1, 0) + QByteArray::fromHex("000000000000FFFF") + formulaTail);
    sheet += record(0x0207, le16(3) + QByteArray(1, '\0') + "ab");
    sheet += record(0x003C, QByteArray(1, '\x01') + le16(u'计'));
    sheet +=
        record(0x0006, cellHead(4, 2, 0) + QByteArray::fromHex("010000000000FFFF") + formulaTail);
    sheet += record(0x00FD, cellHead(6, 3, 0) + le32(1));
    sheet += endOfFile;

    const QByteArray stream = workbook(globals, sheet, boundSheetAt);
    QVERIFY(stream.size() >= 4096); // kept in regular sectors
    QTemporaryDir folder;
    const SheetContent content = XlsReader().read(write(folder, compoundFile(stream)));

    QCOMPARE(content.rows.size(), 6);
    QCOMPARE(content.rows.at(0).cells, (QStringList{QStringLiteral("名称"), QStringLiteral("plain"),
                                                    QStringLiteral("rich"), longStart + longEnd}));
    QCOMPARE(content.rows.at(1).cells,
             (QStringList{QStringLiteral("12.5"), QStringLiteral("201"), QStringLiteral("12.34"),
                          QStringLiteral("-7")}));
    // A custom date format (with quoted text) and the built-in one are days.
    QCOMPARE(content.rows.at(2).cells,
             (QStringList{QStringLiteral("2024-03-05"), QStringLiteral("2024-03-06"),
                          QStringLiteral("3.5")}));
    // An error value shows nothing.
    QCOMPARE(content.rows.at(3).cells, (QStringList{QStringLiteral("手工"), QStringLiteral("TRUE"),
                                                    QString(), QStringLiteral("FALSE")}));
    QCOMPARE(content.rows.at(4).cells,
             (QStringList{QStringLiteral("7"), QStringLiteral("ab计"), QStringLiteral("FALSE")}));
    QCOMPARE(content.rows.at(5).number, 7);
    QCOMPARE(content.rows.at(5).cells,
             (QStringList{QString(), QString(), QString(), QStringLiteral("plain")}));
    QCOMPARE(content.columnCount, 4);
}

void TestXlsReader::olderFormatInItsCodePageFromSmallSectors()
{
    // Excel 5/95: texts are bytes in the workbook's code page; the stream is
    // small, so it lives in the root's 64-byte sectors.
    const QByteArray name = gbk::encode(QStringLiteral("洗发水"));
    QByteArray globals = bof(0x0500, 0x0005) + record(0x0042, le16(936));
    globals += record(0x041E, le16(164) + QByteArray(1, char(10)) + "yyyy-mm-dd");
    for (const int format : {0, 164})
        globals += record(0x00E0, le16(0) + le16(quint32(format)) + QByteArray(12, '\0'));
    const qsizetype boundSheetAt = globals.size();
    globals += record(0x0085, le32(0) + QByteArray(2, '\0') + QByteArray(1, '\x06') + "Sheet1");
    globals += endOfFile;
    QByteArray sheet = bof(0x0500, 0x0010);
    sheet += record(0x0204, cellHead(0, 0, 0) + le16(quint32(name.size())) + name);
    sheet += record(0x0203, cellHead(0, 1, 1) + f64(45356));
    sheet += record(0x0207, le16(2) + "ok"); // no formula waits for it
    sheet += record(0x0006, cellHead(1, 0, 0) + QByteArray::fromHex("000000000000FFFF") + le16(0) +
                                le32(0) + le16(0));
    sheet += record(0x0207, le16(quint32(name.size())) + name);
    sheet += endOfFile;
    const QByteArray stream = workbook(globals, sheet, boundSheetAt);
    QVERIFY(stream.size() < 4096);

    QTemporaryDir folder;
    const SheetContent content =
        XlsReader().read(write(folder, compoundFile(stream, QStringLiteral("Book"))));
    QCOMPARE(content.rows.size(), 2);
    QCOMPARE(content.rows.at(0).cells,
             (QStringList{QStringLiteral("洗发水"), QStringLiteral("2024-03-05")}));
    QCOMPARE(content.rows.at(1).cells, QStringList{QStringLiteral("洗发水")});

    // The container itself: the stream comes back byte for byte, an absent one empty.
    const QByteArray file = compoundFile(stream, QStringLiteral("Book"));
    QCOMPARE(compoundfile::readStream(file, {QStringLiteral("Workbook"), QStringLiteral("book")}),
             stream);
    QVERIFY(compoundfile::readStream(file, {QStringLiteral("Workbook")}).isEmpty());
}

void TestXlsReader::damagedWorkbooksRefusedWithAReason()
{
    qsizetype boundSheetAt = 0;
    const QByteArray sst =
        record(0x00FC, le32(1) + le32(1) + unicodeString(QStringLiteral("a"), false));
    const QByteArray globals = globals97(sst, &boundSheetAt);
    const QByteArray sheetStart = bof(0x0600, 0x0010);
    const auto book = [&](const QByteArray& cells, const QByteArray& sharedGlobals = {}) {
        const QByteArray g = sharedGlobals.isEmpty() ? globals : sharedGlobals;
        QByteArray stream = workbook(g, sheetStart + cells + endOfFile, boundSheetAt);
        return compoundFile(stream);
    };
    QTemporaryDir folder;
    // The sound book first, so that each case below differs in one thing.
    QCOMPARE(XlsReader()
                 .read(write(folder, book(record(0x00FD, cellHead(0, 0, 0) + le32(0)))))
                 .rows.at(0)
                 .cells,
             QStringList{QStringLiteral("a")});

    QByteArray shortRecord = record(0x0203, cellHead(0, 0, 0) + f64(1));
    shortRecord.chop(4); // a length that runs past the stream's end
    QByteArray looping = book({});
    qToLittleEndian<quint32>(2, looping.data() + 512 +
                                    4 * 2); // the stream's first sector points to itself
    QByteArray tooLong = book({});
    qToLittleEndian<quint32>(1 << 30, tooLong.data() + 1024 + 128 + 120);
    QByteArray gluedStrings = globals;
    // A shared string longer than its record, with no continuation.
    gluedStrings.replace(gluedStrings.indexOf(sst) + 12, 2, le16(40));
    const QByteArray noSheet = bof(0x0600, 0x0005) + endOfFile;
    const QByteArray farSheet = [&] {
        QByteArray stream = workbook(globals, sheetStart + endOfFile, boundSheetAt);
        qToLittleEndian<quint32>(0x7FFFFFF0, stream.data() + boundSheetAt + 4);
        return compoundFile(stream);
    }();

    const QList<QPair<QByteArray, QString>> cases = {
        {book(record(0x00FD, cellHead(0, 0, 0) + le32(1))), QStringLiteral("内容已损坏")},
        {book(record(0x00FD, cellHead(0, 300, 0) + le32(0))), QStringLiteral("内容已损坏")},
        {book(record(0x0203, cellHead(0, 0, 0) + QByteArray(4, '\0'))),
         QStringLiteral("内容已损坏")},
        {book(record(0x00BD, le16(0) + le16(254) + QByteArray(20, '\0'))),
         QStringLiteral("内容已损坏")},
        {compoundFile(workbook(globals, sheetStart + shortRecord, boundSheetAt)),
         QStringLiteral("内容已损坏")},
        {book({}, gluedStrings), QStringLiteral("内容已损坏")},
        {farSheet, QStringLiteral("内容已损坏")},
        {compoundFile(workbook(globals, record(0x0009, le16(0x0200) + le16(0x0010)) + endOfFile,
                               boundSheetAt)),
         QStringLiteral("内容已损坏")},
        {compoundFile(bof(0x0400, 0x0005) + endOfFile + QByteArray(4096, '\0')),
         QStringLiteral("格式版本太旧")},
        {compoundFile(noSheet), QStringLiteral("没有工作表")},
        {compoundFile(bof(0x0600, 0x0005) + record(0x002F, QByteArray(54, '\x11')) + endOfFile),
         QStringLiteral("取消密码")},
        {compoundFile(globals, QStringLiteral("Other")), QStringLiteral("没有工作簿")},
        {looping, QStringLiteral("目录已损坏")},
        {tooLong, QStringLiteral("目录已损坏")},
        {QByteArray("ID;Name\n1;x\n"), QStringLiteral("不是可读的xls文件")},
    };
    for (const auto& [bytes, expected] : cases) {
        const QString reason = readError(write(folder, bytes));
        QVERIFY2(reason.contains(expected), qPrintable(expected + QStringLiteral(" / ") + reason));
    }

    // Inputs the fuzzer found that made the earlier reader read past its buffers.
    const QString corpus =
        qEnvironmentVariable("SHOUPAI_SOURCE_DIR") + QStringLiteral("/fuzz/corpus/xls/");
    for (const char* found :
         {"shared-string-past-record", "name-past-entry", "directory-outside-file"}) {
        const QString reason = readError(corpus + QLatin1String(found));
        QVERIFY2(reason.contains(u"xls"),
                 qPrintable(QLatin1String(found) + QStringLiteral(": ") + reason));
    }
}

QTEST_GUILESS_MAIN(TestXlsReader)
#include "tst_xlsreader.moc"
