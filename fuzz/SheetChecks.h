#pragma once

#include "FuzzSupport.h"

#include "common/SpreadsheetReader.h"

namespace fuzz {

// What every reader promises of a sheet: no blank rows, no trailing blank
// cells, the widest row's width, row numbers from 1.
inline void checkSheet(const shoupai::SheetContent& content, const QString& detail)
{
    int widest = 0;
    for (const shoupai::SheetRow& row : content.rows) {
        FUZZ_CHECK(!row.cells.isEmpty() && !row.cells.last().trimmed().isEmpty(), detail);
        FUZZ_CHECK(row.number >= 1, detail);
        widest = std::max(widest, int(row.cells.size()));
    }
    FUZZ_CHECK(content.columnCount == widest, detail);
}

// Readers that number rows as they come: each after the one before.
inline void checkIncreasingRows(const shoupai::SheetContent& content, const QString& detail)
{
    for (qsizetype i = 1; i < content.rows.size(); ++i)
        FUZZ_CHECK(content.rows[i].number > content.rows[i - 1].number, detail);
}

} // namespace fuzz
