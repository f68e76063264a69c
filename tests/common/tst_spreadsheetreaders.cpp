#include "common/CsvReader.h"
#include "common/SpreadsheetReader.h"
#include "common/XlsReader.h"
#include "common/XlsxReader.h"
#include "platform/GbkCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cmath>

#include <xlsxwriter.h>
#include <zip.h>

using namespace shoupai;

namespace {

QString fixture(const QString& name)
{
    return qEnvironmentVariable("SHOUPAI_SOURCE_DIR") + QStringLiteral("/tests/common/fixtures/") +
           name;
}

QString readError(const SpreadsheetReader& reader, const QString& path)
{
    try {
        reader.read(path);
    } catch (const SpreadsheetReadError& error) {
        return error.reason();
    }
    return {};
}

QList<int> rowNumbers(const SheetContent& content)
{
    QList<int> numbers;
    for (const SheetRow& row : content.rows)
        numbers << row.number;
    return numbers;
}

} // namespace

class TestSpreadsheetReaders : public QObject
{
    Q_OBJECT
private slots:
    void cellTextOfNumbersAndDates();
    void xlsFirstSheetWithNumbersDatesAndText();
    void xlsWithDamagedDirectoryRefused();
    void xlsxActiveSheetStringsFormulasAndDates();
    void xlsxInlineStringsAndRefusedPackages();
    void cellsOutsideTheCalendarOrTheSheet();
    void csvQuotingAndEncodings();
    void readerByExtension();
};

void TestSpreadsheetReaders::cellTextOfNumbersAndDates()
{
    QCOMPARE(celltext::number(6901234567890.0), QStringLiteral("6901234567890"));
    QCOMPARE(celltext::number(12.5), QStringLiteral("12.5"));
    QCOMPARE(celltext::number(0.1 + 0.2), QStringLiteral("0.3"));
    QCOMPARE(celltext::number(0.00001), QStringLiteral("0.00001"));
    QCOMPARE(celltext::number(-0.0), QStringLiteral("0"));
    QCOMPARE(celltext::number(-3.0), QStringLiteral("-3"));
    QCOMPARE(celltext::number(1e20), QStringLiteral("100000000000000000000"));

    QCOMPARE(celltext::date(1), QStringLiteral("1900-01-01"));
    QCOMPARE(celltext::date(59), QStringLiteral("1900-02-28"));
    QCOMPARE(celltext::date(61), QStringLiteral("1900-03-01"));
    QCOMPARE(celltext::date(45356.75), QStringLiteral("2024-03-05"));
    QCOMPARE(celltext::date(0, true), QStringLiteral("1904-01-01"));
    QCOMPARE(celltext::date(43894, true), QStringLiteral("2024-03-05"));
}

void TestSpreadsheetReaders::xlsFirstSheetWithNumbersDatesAndText()
{
    const SheetContent content = XlsReader().read(fixture(QStringLiteral("goods.xls")));
    // The blank fourth row is left out; numbers stay those of the sheet.
    QCOMPARE(rowNumbers(content), (QList<int>{1, 2, 3, 5, 6}));
    QCOMPARE(content.columnCount, 10);
    QCOMPARE(content.rows.at(0).cells.first(), QStringLiteral("id"));
    QCOMPARE(content.rows.at(0).cell(8), QStringLiteral("是否需要服务"));

    const SheetRow& shampoo = content.rows.at(1);
    QCOMPARE(shampoo.cell(0), QStringLiteral("201"));
    QCOMPARE(shampoo.cell(1), QStringLiteral("6901234567890"));
    QCOMPARE(shampoo.cell(2), QStringLiteral("洗发水"));
    QCOMPARE(shampoo.cell(3), QString());
    QCOMPARE(shampoo.cell(4), QStringLiteral("12.5"));
    QCOMPARE(shampoo.cell(9), QStringLiteral("2024-03-05"));
    QCOMPARE(content.rows.at(2).cell(2), QStringLiteral("可\"乐\"大瓶"));
    QCOMPARE(content.rows.at(2).cell(7), QStringLiteral("24"));
    // A short row ends at its last cell.
    QCOMPARE(content.rows.at(4).cells.size(), 3);

    QVERIFY(readError(XlsReader(), fixture(QStringLiteral("make_goods_xls.py"))).contains(u"xls"));
    QVERIFY(!readError(XlsReader(), fixture(QStringLiteral("missing.xls"))).isEmpty());
}

void TestSpreadsheetReaders::xlsWithDamagedDirectoryRefused()
{
    QFile fixtureFile(fixture(QStringLiteral("goods.xls")));
    QVERIFY(fixtureFile.open(QIODevice::ReadOnly));
    const QByteArray sound = fixtureFile.readAll();
    const qsizetype directory = (qFromLittleEndian<quint32>(sound.constData() + 0x30) + 1) * 512;
    QTemporaryDir folder;
    const auto damaged = [&](qsizetype at, const QByteArray& bytes) {
        QByteArray copy = sound;
        copy.replace(at, bytes.size(), bytes);
        const QString path = folder.filePath(QStringLiteral("damaged.xls"));
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(copy);
        return path;
    };
    // The second entry's name said to be longer than its 64 bytes; the
    // directory's sector outside the file; the sector size unknown.
    const QList<QPair<qsizetype, QByteArray>> damages = {
        {directory + 128 + 64, QByteArray("\xff\xff")},
        {0x30, QByteArray("\xff\xff\xff\xff")},
        {0x30, QByteArray("\x40\x00\x00\x00")},
        {0x1E, QByteArray("\x0a\x00")}};
    for (const auto& [at, bytes] : damages) {
        const QString reason = readError(XlsReader(), damaged(at, bytes));
        QVERIFY2(reason.contains(u"目录已损坏"), qPrintable(reason));
    }
    // The same workbook untouched reads.
    QCOMPARE(XlsReader().read(damaged(0, sound.left(8))).rows.size(), 5);
}

void TestSpreadsheetReaders::xlsxActiveSheetStringsFormulasAndDates()
{
    QTemporaryDir folder;
    const QByteArray path = (folder.path() + QStringLiteral("/goods.xlsx")).toUtf8();
    lxw_workbook* book = workbook_new(path.constData());
    lxw_worksheet* first = workbook_add_worksheet(book, "其他");
    worksheet_write_string(first, 0, 0, "不读这一页", nullptr);
    lxw_worksheet* sheet = workbook_add_worksheet(book, "商品");
    lxw_format* builtInDate = workbook_add_format(book);
    format_set_num_format_index(builtInDate, 14);
    lxw_format* chineseDate = workbook_add_format(book);
    format_set_num_format(chineseDate, "yyyy\"年\"m\"月\"d\"日\"");
    lxw_format* minutes = workbook_add_format(book);
    format_set_num_format(minutes, "[h]:mm");
    lxw_format* money = workbook_add_format(book);
    format_set_num_format(money, "0.00");
    worksheet_write_string(sheet, 0, 0, "商品名", nullptr);
    worksheet_write_string(sheet, 0, 1, "条码", nullptr);
    worksheet_write_string(sheet, 2, 0, "洗发水", nullptr);
    worksheet_write_number(sheet, 2, 1, 6901234567890.0, nullptr);
    worksheet_write_number(sheet, 2, 2, 12.5, money);
    worksheet_write_formula_num(sheet, 2, 3, "=C3*2", nullptr, 25);
    worksheet_write_formula_str(sheet, 2, 4, "=A3&\"!\"", nullptr, "洗发水!");
    worksheet_write_number(sheet, 2, 5, 45356, builtInDate);
    worksheet_write_number(sheet, 2, 6, 45357, chineseDate);
    worksheet_write_number(sheet, 2, 7, 1.5, minutes);
    worksheet_write_boolean(sheet, 2, 8, 1, nullptr);
    worksheet_write_string(sheet, 3, 2, "洗发水", nullptr); // a shared string used twice
    worksheet_write_string(sheet, 4, 0, "   ", nullptr);    // blank text: a blank row
    worksheet_activate(sheet);
    QCOMPARE(workbook_close(book), LXW_NO_ERROR);

    const SheetContent content = XlsxReader().read(QString::fromUtf8(path));
    QCOMPARE(rowNumbers(content), (QList<int>{1, 3, 4}));
    const QStringList expected{
        QStringLiteral("洗发水"),     QStringLiteral("6901234567890"), QStringLiteral("12.5"),
        QStringLiteral("25"),         QStringLiteral("洗发水!"),       QStringLiteral("2024-03-05"),
        QStringLiteral("2024-03-06"), QStringLiteral("1.5"),           QStringLiteral("TRUE")};
    QCOMPARE(content.rows.at(1).cells, expected);
    QCOMPARE(content.rows.at(2).cells,
             (QStringList{QString(), QString(), QStringLiteral("洗发水")}));
    QCOMPARE(content.columnCount, 9);
}

void TestSpreadsheetReaders::xlsxInlineStringsAndRefusedPackages()
{
    QTemporaryDir folder;
    // Written row by row, the writer keeps strings inline in the cells.
    const QByteArray path = (folder.path() + QStringLiteral("/inline.xlsx")).toUtf8();
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(path.constData(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    worksheet_write_string(sheet, 0, 0, "商品名", nullptr);
    worksheet_write_string(sheet, 1, 0, "可\"乐\"", nullptr);
    worksheet_write_number(sheet, 1, 1, 3, nullptr);
    QCOMPARE(workbook_close(book), LXW_NO_ERROR);
    const SheetContent content = XlsxReader().read(QString::fromUtf8(path));
    QCOMPARE(content.rows.size(), 2);
    QCOMPARE(content.rows.at(1).cells,
             (QStringList{QStringLiteral("可\"乐\""), QStringLiteral("3")}));

    // A part that unpacks past the limit is refused before it is read.
    const QString bomb = folder.path() + QStringLiteral("/bomb.xlsx");
    int code = 0;
    zip_t* archive =
        zip_open(QFile::encodeName(bomb).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    QVERIFY(archive);
    const QByteArray spaces(int(XlsxReader::MaxPartSize) + 1, ' ');
    zip_source_t* source = zip_source_buffer(archive, spaces.constData(), spaces.size(), 0);
    QVERIFY(zip_file_add(archive, "_rels/.rels", source, ZIP_FL_OVERWRITE) >= 0);
    QCOMPARE(zip_close(archive), 0);
    QVERIFY(QFileInfo(bomb).size() < 1024 * 1024);
    QVERIFY2(readError(XlsxReader(), bomb).contains(u"64MB"),
             qPrintable(readError(XlsxReader(), bomb)));

    // Not a package at all.
    const QString text = folder.path() + QStringLiteral("/text.xlsx");
    QFile file(text);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("id,name\n");
    file.close();
    QVERIFY(!readError(XlsxReader(), text).isEmpty());
}

void TestSpreadsheetReaders::cellsOutsideTheCalendarOrTheSheet()
{
    QCOMPARE(celltext::date(2958465), QStringLiteral("9999-12-31"));
    QCOMPARE(celltext::date(2957003, true), QStringLiteral("9999-12-31"));
    // No day to show: the number stays.
    QCOMPARE(celltext::date(2958466), QStringLiteral("2958466"));
    QCOMPARE(celltext::date(2957004, true), QStringLiteral("2957004"));
    QCOMPARE(celltext::date(-1), QStringLiteral("-1"));
    QCOMPARE(celltext::date(1e20), QStringLiteral("100000000000000000000"));
    QCOMPARE(celltext::date(-1e20), QStringLiteral("-100000000000000000000"));
    QCOMPARE(celltext::date(std::nan("")), QStringLiteral("nan"));

    // A sheet whose dates lie past the calendar and whose cell reference
    // runs past the last column.
    QTemporaryDir folder;
    const auto package = [&](const QString& name, const QByteArray& cells) {
        const QString path = folder.path() + u'/' + name;
        const QList<QPair<const char*, QByteArray>> parts = {
            {"xl/workbook.xml",
             "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
             "relationships\"><sheets><sheet r:id=\"rId1\"/></sheets></workbook>"},
            {"xl/_rels/workbook.xml.rels",
             "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" "
             "Target=\"sheet.xml\"/><Relationship Id=\"rId2\" Type=\"x/styles\" "
             "Target=\"styles.xml\"/></Relationships>"},
            {"xl/styles.xml", "<styleSheet><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/>"
                              "</cellXfs></styleSheet>"},
            {"xl/sheet.xml",
             "<worksheet><sheetData><row r=\"1\">" + cells + "</row></sheetData></worksheet>"}};
        int code = 0;
        zip_t* archive =
            zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
        for (const auto& [part, bytes] : parts)
            zip_file_add(archive, part,
                         zip_source_buffer(archive, bytes.constData(), bytes.size(), 0),
                         ZIP_FL_OVERWRITE);
        zip_close(archive);
        return path;
    };
    const SheetContent content = XlsxReader().read(package(QStringLiteral("dates.xlsx"),
                                                           "<c r=\"A1\" s=\"1\"><v>45356</v></c>"
                                                           "<c r=\"B1\" s=\"1\"><v>1e20</v></c>"
                                                           "<c r=\"C1\" s=\"1\"><v>-1e20</v></c>"));
    QCOMPARE(content.rows.size(), 1);
    QCOMPARE(content.rows.at(0).cells,
             (QStringList{QStringLiteral("2024-03-05"), QStringLiteral("100000000000000000000"),
                          QStringLiteral("-100000000000000000000")}));
    // XFD is the last column; one letter more is refused, however many follow.
    QCOMPARE(XlsxReader()
                 .read(package(QStringLiteral("last.xlsx"), "<c r=\"XFD1\"><v>7</v></c>"))
                 .rows.at(0)
                 .cells.size(),
             16384);
    for (const QByteArray& reference : {QByteArray("XFE1"), QByteArray("ZZZZZZZZZZZZZZ1")}) {
        const QString path =
            package(QStringLiteral("wide.xlsx"), "<c r=\"" + reference + "\"><v>7</v></c>");
        QVERIFY2(readError(XlsxReader(), path).contains(u"单元格超出范围"), reference);
    }
}

void TestSpreadsheetReaders::csvQuotingAndEncodings()
{
    const QString text = QStringLiteral("\xFEFFid,商品名,备注\r\n"
                                        "1,\"可\"\"乐\"\"\",\"两行\r\n说明\"\r\n"
                                        "\r\n"
                                        ",,\n"
                                        "2,\"a,b\",\n"
                                        "3,末行");
    const SheetContent content = CsvReader::parse(CsvReader::decode(text.toUtf8()));
    QCOMPARE(rowNumbers(content), (QList<int>{1, 2, 5, 6}));
    QCOMPARE(content.rows.at(0).cells.first(), QStringLiteral("id"));
    QCOMPARE(content.rows.at(1).cells, (QStringList{QStringLiteral("1"), QStringLiteral("可\"乐\""),
                                                    QStringLiteral("两行\r\n说明")}));
    QCOMPARE(content.rows.at(2).cells, (QStringList{QStringLiteral("2"), QStringLiteral("a,b")}));
    QCOMPARE(content.rows.at(3).cells, (QStringList{QStringLiteral("3"), QStringLiteral("末行")}));

    // The same text saved in the Chinese code page.
    const QString plain = QStringLiteral("id,商品名\n7,洗发水\n");
    QCOMPARE(CsvReader::decode(gbk::encode(plain)), plain);
    QCOMPARE(CsvReader::decode(plain.toUtf8()), plain);

    QTemporaryDir folder;
    const QString path = folder.path() + QStringLiteral("/goods.csv");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(gbk::encode(plain));
    file.close();
    const SheetContent fromFile = CsvReader().read(path);
    QCOMPARE(fromFile.rows.at(1).cells,
             (QStringList{QStringLiteral("7"), QStringLiteral("洗发水")}));
}

void TestSpreadsheetReaders::readerByExtension()
{
    const SheetContent content = SpreadsheetReader::forFile(QStringLiteral("/x/GOODS.XLS"))
                                     ->read(fixture(QStringLiteral("goods.xls")));
    QCOMPARE(content.rows.size(), 5);
    QVERIFY(dynamic_cast<XlsxReader*>(SpreadsheetReader::forFile(QStringLiteral("a.xlsx")).get()));
    QVERIFY(dynamic_cast<CsvReader*>(SpreadsheetReader::forFile(QStringLiteral("a.csv")).get()));
    QVERIFY_THROWS_EXCEPTION(SpreadsheetReadError,
                             SpreadsheetReader::forFile(QStringLiteral("a.ods")));
}

QTEST_GUILESS_MAIN(TestSpreadsheetReaders)
#include "tst_spreadsheetreaders.moc"
