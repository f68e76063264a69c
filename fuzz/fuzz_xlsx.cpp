// Goods lists in the zipped XML workbook format: damaged packages, and sound
// packages whose XML parts say anything at all.
#include "FuzzSupport.h"

#include "SheetChecks.h"
#include "common/XlsxReader.h"

#include <zip.h>

using namespace shoupai;

namespace {

// A package with the given parts, written to the scratch file.
QString packageOf(const QList<QPair<QString, QByteArray>>& parts)
{
    const QString path = fuzz::writeScratchFile(QStringLiteral(".xlsx"), {});
    int code = 0;
    zip_t* zip = zip_open(path.toUtf8().constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    FUZZ_CHECK(zip != nullptr, QStringLiteral("zip_open %1").arg(code));
    QList<QByteArray> kept; // the sources read from these when the package closes
    for (const auto& [name, bytes] : parts) {
        kept << bytes;
        zip_source_t* source =
            zip_source_buffer(zip, kept.last().constData(), zip_uint64_t(kept.last().size()), 0);
        FUZZ_CHECK(source && zip_file_add(zip, name.toUtf8().constData(), source,
                                          ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) >= 0,
                   name);
    }
    FUZZ_CHECK(zip_close(zip) == 0, QString::fromUtf8(zip_strerror(zip)));
    return path;
}

// The input's pieces, separated by 0x01 bytes: workbook, its relationships,
// the sheet, shared strings, styles and, when present, the package relationships.
QString packageFromPieces(const QByteArray& rest)
{
    const QList<QByteArray> pieces = rest.split('\x01');
    static const QStringList names = {QStringLiteral("xl/workbook.xml"),
                                      QStringLiteral("xl/_rels/workbook.xml.rels"),
                                      QStringLiteral("xl/worksheets/sheet1.xml"),
                                      QStringLiteral("xl/sharedStrings.xml"),
                                      QStringLiteral("xl/styles.xml"),
                                      QStringLiteral("_rels/.rels")};
    QList<QPair<QString, QByteArray>> parts;
    for (qsizetype i = 0; i < pieces.size() && i < names.size(); ++i)
        parts.append({names.at(i), pieces.at(i)});
    return packageOf(parts);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const bool pieces = in.flag();
    const QByteArray rest = in.rest();
    const QString path =
        pieces ? packageFromPieces(rest) : fuzz::writeScratchFile(QStringLiteral(".xlsx"), rest);
    try {
        const SheetContent content = XlsxReader().read(path);
        fuzz::checkSheet(content, fuzz::hex(rest));
        for (const SheetRow& row : content.rows)
            FUZZ_CHECK(row.cells.size() <= 16384, fuzz::hex(rest));
    } catch (const SpreadsheetReadError& error) {
        // Refused with a reason the operator sees; nothing else may escape.
        FUZZ_CHECK(!error.reason().isEmpty(), fuzz::hex(rest));
    }
    return 0;
}
