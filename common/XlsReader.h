#pragma once

#include "common/SpreadsheetReader.h"

namespace shoupai {

// Workbooks of the classic binary format (.xls), first worksheet.
class XlsReader final : public SpreadsheetReader
{
public:
    SheetContent read(const QString& path) const override;
};

} // namespace shoupai
