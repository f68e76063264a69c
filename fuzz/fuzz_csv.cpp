// Goods lists saved as comma-separated text by any spreadsheet program, in
// UTF-8 or GBK.
#include "FuzzSupport.h"

#include "SheetChecks.h"
#include "common/CsvReader.h"
#include "platform/GbkCodec.h"

#include <QStringDecoder>

using namespace shoupai;

namespace {

QString quotedIfNeeded(const QString& field, bool alwaysQuote)
{
    const bool needs = alwaysQuote || field.contains(u',') || field.contains(u'"') ||
                       field.contains(u'\r') || field.contains(u'\n') ||
                       field.startsWith(QChar(0xFEFF));
    if (!needs)
        return field;
    QString quoted = field;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

bool isUtf8(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)utf8.decode(bytes);
    return !utf8.hasError();
}

// A table written the way spreadsheet programs write it reads back cell for cell.
void checkRoundTrip(fuzz::Input& in)
{
    const bool legacy = in.flag();
    const bool alwaysQuote = in.flag();
    const QString lineEnd = in.flag() ? QStringLiteral("\r\n") : QStringLiteral("\n");
    const int rows = int(in.between(1, 6));
    const int columns = int(in.between(1, 5));
    QList<QStringList> table;
    QString text;
    for (int r = 0; r < rows; ++r) {
        QStringList row;
        QStringList written;
        for (int c = 0; c < columns; ++c) {
            row << in.text(12);
            written << quotedIfNeeded(row.last(), alwaysQuote || c == 0);
        }
        table << row;
        text += written.join(u',') + lineEnd;
    }
    const QByteArray bytes = legacy ? gbk::encode(text) : text.toUtf8();
    // GBK text that happens to be valid UTF-8 is read as UTF-8: nothing to compare.
    if (legacy && isUtf8(bytes) && QString::fromUtf8(bytes) != text)
        return;

    SheetContent expected;
    for (int r = 0; r < rows; ++r)
        celltext::appendRow(expected, r + 1, table[r]);
    const SheetContent read =
        CsvReader().read(fuzz::writeScratchFile(QStringLiteral(".csv"), bytes));
    fuzz::checkSheet(read, fuzz::hex(bytes));
    FUZZ_CHECK(read.rows.size() == expected.rows.size(), fuzz::hex(bytes));
    for (int r = 0; r < read.rows.size(); ++r) {
        FUZZ_CHECK(read.rows[r].number == expected.rows[r].number, fuzz::hex(bytes));
        FUZZ_CHECK(read.rows[r].cells == expected.rows[r].cells,
                   read.rows[r].cells.join(u'|') + QStringLiteral(" / ") +
                       expected.rows[r].cells.join(u'|'));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    if (in.flag()) {
        checkRoundTrip(in);
        return 0;
    }
    const QByteArray bytes = in.rest();
    try {
        const SheetContent content =
            CsvReader().read(fuzz::writeScratchFile(QStringLiteral(".csv"), bytes));
        fuzz::checkSheet(content, fuzz::hex(bytes));
        fuzz::checkIncreasingRows(content, fuzz::hex(bytes));
        const SheetContent direct = CsvReader::parse(CsvReader::decode(bytes));
        FUZZ_CHECK(direct.rows.size() == content.rows.size(), fuzz::hex(bytes));
    } catch (const SpreadsheetReadError& error) {
        FUZZ_CHECK(!error.reason().isEmpty(), fuzz::hex(bytes));
    }
    return 0;
}
