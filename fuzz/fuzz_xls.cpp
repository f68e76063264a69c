// Goods lists in the classic binary workbook format, as anyone may hand them over.
#include "FuzzSupport.h"

#include "SheetChecks.h"
#include "common/XlsReader.h"

using namespace shoupai;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const SheetContent content =
            XlsReader().read(fuzz::writeScratchFile(QStringLiteral(".xls"), bytes));
        fuzz::checkSheet(content, fuzz::hex(bytes));
        fuzz::checkIncreasingRows(content, fuzz::hex(bytes));
    } catch (const SpreadsheetReadError& error) {
        // Refused with a reason the operator sees; nothing else may escape.
        FUZZ_CHECK(!error.reason().isEmpty(), fuzz::hex(bytes));
    }
    return 0;
}
