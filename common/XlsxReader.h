#pragma once

#include "common/SpreadsheetReader.h"

namespace shoupai {

// Workbooks of the zipped XML format (.xlsx): the sheet that was active when
// the workbook was saved, its shared and inline strings, the cached results of
// formulas, and number cells in a date format read as dates.
class XlsxReader final : public SpreadsheetReader
{
public:
    // A part of the package that unpacks to more than this is refused: a small
    // file could otherwise fill the memory.
    static constexpr qint64 MaxPartSize = 64LL * 1024 * 1024;

    SheetContent read(const QString& path) const override;
};

} // namespace shoupai
