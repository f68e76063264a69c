#include "common/XlsReader.h"

#include <QFile>

#include <freexl.h>

namespace shoupai {

namespace {

// Closes the workbook however reading ends.
class XlsHandle
{
public:
    ~XlsHandle()
    {
        if (m_handle)
            freexl_close(m_handle);
    }
    const void** out() { return &m_handle; }
    const void* get() const { return m_handle; }

private:
    const void* m_handle = nullptr;
};

[[noreturn]] void fail(const QString& path, int code)
{
    throw SpreadsheetReadError(QStringLiteral("%1 不是可读的xls文件(错误 %2)").arg(path).arg(code));
}

QString cellText(const FreeXL_CellValue& cell)
{
    switch (cell.type) {
    case FREEXL_CELL_INT:
        return QString::number(cell.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return celltext::number(cell.value.double_value);
    case FREEXL_CELL_DATETIME:
        // The day is what an import takes.
        return QString::fromUtf8(cell.value.text_value).left(10);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_TIME:
        return QString::fromUtf8(cell.value.text_value);
    default:
        return {};
    }
}

} // namespace

SheetContent XlsReader::read(const QString& path) const
{
    if (!QFile::exists(path))
        throw SpreadsheetReadError(QStringLiteral("%1 不存在").arg(path));
    XlsHandle workbook;
    const QByteArray name = QFile::encodeName(path);
    if (int code = freexl_open(name.constData(), workbook.out()); code != FREEXL_OK)
        fail(path, code);
    unsigned int sheets = 0;
    if (int code = freexl_get_info(workbook.get(), FREEXL_BIFF_SHEET_COUNT, &sheets);
        code != FREEXL_OK)
        fail(path, code);
    if (sheets == 0)
        throw SpreadsheetReadError(QStringLiteral("%1 没有工作表").arg(path));
    if (int code = freexl_select_active_worksheet(workbook.get(), 0); code != FREEXL_OK)
        fail(path, code);
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (int code = freexl_worksheet_dimensions(workbook.get(), &rows, &columns); code != FREEXL_OK)
        fail(path, code);

    SheetContent content;
    for (unsigned int row = 0; row < rows; ++row) {
        QStringList cells;
        cells.reserve(columns);
        for (unsigned short column = 0; column < columns; ++column) {
            FreeXL_CellValue cell;
            if (int code = freexl_get_cell_value(workbook.get(), row, column, &cell);
                code != FREEXL_OK)
                fail(path, code);
            cells << cellText(cell);
        }
        celltext::appendRow(content, int(row) + 1, std::move(cells));
    }
    return content;
}

} // namespace shoupai
