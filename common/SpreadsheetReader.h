#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <stdexcept>

namespace shoupai {

// A workbook that cannot be read; reason() is shown to the operator.
class SpreadsheetReadError : public std::runtime_error
{
public:
    explicit SpreadsheetReadError(const QString& reason)
        : std::runtime_error(reason.toStdString()), m_reason(reason)
    {
    }
    QString reason() const { return m_reason; }

private:
    QString m_reason;
};

// One row of a sheet that holds something: its 1-based row number in the sheet
// and the text of its cells from the first column on.
struct SheetRow
{
    int number = 0;
    QStringList cells;

    QString cell(int column) const { return column < cells.size() ? cells.at(column) : QString(); }
};

// Every cell is text: numbers in shortest fixed form, dates as yyyy-MM-dd.
// Rows without any text are left out.
struct SheetContent
{
    QList<SheetRow> rows;
    int columnCount = 0; // the widest row
};

// Reads the one sheet of a workbook that an import takes.
class SpreadsheetReader
{
public:
    virtual ~SpreadsheetReader() = default;
    // Throws SpreadsheetReadError.
    virtual SheetContent read(const QString& path) const = 0;

    // The reader for the file's extension (.xls, .xlsx, .csv); throws
    // SpreadsheetReadError for any other.
    static std::unique_ptr<SpreadsheetReader> forFile(const QString& path);
};

// What the file chooser offers.
inline const QString spreadsheetFileFilter = QStringLiteral("Excel/CSV (*.xls *.xlsx *.csv)");

namespace celltext {
// 12.5, 6901234567890 (never 6.9e+12), -0.25; at most 15 significant digits,
// as the spreadsheet program keeps them.
QString number(double value);
// The day of a serial date of the 1900 (or 1904) calendar as yyyy-MM-dd.
QString date(double serial, bool from1904 = false);
// Whether numbers shown in a cell format are dates (or times): by its code
// ("yyyy-mm-dd", "m/d", "[h]:mm") or, for the built-in formats, by its number.
bool isDateFormatCode(QString code);
bool isBuiltInDateFormat(int id);
// Collects rows: drops the blank ones and trailing empty cells.
void appendRow(SheetContent& content, int number, QStringList cells);
} // namespace celltext

} // namespace shoupai
