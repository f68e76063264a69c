#pragma once

#include "common/SpreadsheetReader.h"

#include <QByteArray>

namespace shoupai {

// Comma-separated text: fields in double quotes may hold commas, line breaks
// and doubled quotes. UTF-8 (with or without a byte-order mark); a file that is
// not valid UTF-8 is taken as GB18030, which covers GBK and GB2312.
class CsvReader final : public SpreadsheetReader
{
public:
    SheetContent read(const QString& path) const override;

    static QString decode(const QByteArray& bytes);
    static SheetContent parse(const QString& text);
};

} // namespace shoupai
