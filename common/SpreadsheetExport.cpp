#include "common/SpreadsheetExport.h"

#include <stdexcept>

#include "common/GridColumn.h"
#include "common/Prompter.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlField>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>

#include <xlsxwriter.h>

#include <cmath>
#include <optional>
#include <vector>

namespace shoupai {

namespace {

SpreadsheetDesktop* installedDesktop = nullptr;

// A failure while the workbook is written; text is shown to the operator.
struct ExportFailure
{
    QString text;
};

// Widths are kept within what reads well; long memos wrap in the program.
constexpr int MaxColumnWidth = 80;
// Integers beyond this lose digits as spreadsheet numbers (doubles).
constexpr qint64 LargestExactInteger = qint64(1) << 53;
// Longest text a cell holds.
constexpr qsizetype MaxCellText = 32767;

bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || c >= 0x20000;
}

// Width in character cells of the default font: East Asian characters take two.
int displayWidth(QStringView text)
{
    int width = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        width += isWide(c) ? 2 : 1;
        if (width >= MaxColumnWidth)
            break;
    }
    return width;
}

bool isIntegerType(int type)
{
    switch (type) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isFloatingType(int type)
{
    return type == QMetaType::Double || type == QMetaType::Float;
}

struct Column
{
    int index = 0;
    std::optional<ColumnKind> kind;
    int fieldType = QMetaType::UnknownType; // what the driver declares
    int width = 0;
};

QString sanitizedName(QString name)
{
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || forbidden.contains(c))
            c = u'_';
    }
    name = name.trimmed();
    if (name.size() > 100)
        name.truncate(100);
    return name;
}

QString lxwText(lxw_error error)
{
    return QString::fromUtf8(lxw_strerror(error));
}

// The one worksheet of the export, written row after row.
class SheetWriter
{
public:
    explicit SheetWriter(const QString& path, const QString& scratchFolder)
        : m_scratch(QFile::encodeName(scratchFolder))
    {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.tmpdir = m_scratch.data();
        // A sheet stays far below the 4 GB a plain zip entry holds (the row limit
        // sees to that), and not every reader takes zip64.
        options.use_zip64 = LXW_FALSE;
        m_workbook = workbook_new_opt(QFile::encodeName(path).constData(), &options);
        if (!m_workbook)
            throw ExportFailure{QStringLiteral("不能建立工作簿 %1").arg(path)};
        m_sheet = workbook_add_worksheet(m_workbook, nullptr);
        m_money = workbook_add_format(m_workbook);
        m_date = workbook_add_format(m_workbook);
        m_dateTime = workbook_add_format(m_workbook);
        if (!m_sheet || !m_money || !m_date || !m_dateTime)
            throw ExportFailure{QStringLiteral("不能在 %1 中建立临时文件")
                                    .arg(QDir::toNativeSeparators(scratchFolder))};
        format_set_num_format(m_money, "0.00##");
        format_set_num_format(m_date, "yyyy-mm-dd");
        format_set_num_format(m_dateTime, "yyyy-mm-dd hh:mm:ss");
    }

    ~SheetWriter()
    {
        if (m_workbook)
            workbook_close(m_workbook); // after a failure the file is removed anyway
    }

    SheetWriter(const SheetWriter&) = delete;
    SheetWriter& operator=(const SheetWriter&) = delete;

    // Writes the remaining parts of the file; the workbook is complete after it.
    void finish(const std::vector<Column>& columns)
    {
        for (size_t c = 0; c < columns.size(); ++c) {
            const double width = qMin(columns[c].width + 2, MaxColumnWidth + 2);
            check(worksheet_set_column(m_sheet, static_cast<lxw_col_t>(c),
                                       static_cast<lxw_col_t>(c), width, nullptr));
        }
        lxw_workbook* workbook = m_workbook;
        m_workbook = nullptr;
        const lxw_error error = workbook_close(workbook);
        if (error != LXW_NO_ERROR)
            throw ExportFailure{lxwText(error)};
    }

    int text(lxw_row_t row, lxw_col_t col, QString value)
    {
        if (value.size() > MaxCellText) {
            qsizetype cut = MaxCellText;
            if (value[cut - 1].isHighSurrogate())
                --cut;
            value.truncate(cut);
        }
        if (value.isEmpty())
            return 0;
        check(worksheet_write_string(m_sheet, row, col, value.toUtf8().constData(), nullptr));
        return displayWidth(value);
    }

    int number(lxw_row_t row, lxw_col_t col, double value)
    {
        if (!std::isfinite(value))
            return text(row, col, QString::number(value));
        check(worksheet_write_number(m_sheet, row, col, value, nullptr));
        return int(QString::number(value, 'g', 15).size());
    }

    int integer(lxw_row_t row, lxw_col_t col, qint64 value)
    {
        // A number the spreadsheet cannot hold exactly keeps its digits as text.
        if (value > LargestExactInteger || value < -LargestExactInteger)
            return text(row, col, QString::number(value));
        check(worksheet_write_number(m_sheet, row, col, double(value), nullptr));
        return int(QString::number(value).size());
    }

    int money(lxw_row_t row, lxw_col_t col, Money value)
    {
        check(worksheet_write_number(m_sheet, row, col, value.toDouble(), m_money));
        return int(qMax(value.toString().size(), value.toFixed(2).size()));
    }

    int flag(lxw_row_t row, lxw_col_t col, bool value)
    {
        check(worksheet_write_boolean(m_sheet, row, col, value ? 1 : 0, nullptr));
        return 5;
    }

    int dateTime(lxw_row_t row, lxw_col_t col, const QDateTime& value)
    {
        const QDate d = value.date();
        const QTime t = value.time();
        // Only these years are dates to the spreadsheet.
        if (d.year() < 1900 || d.year() > 9999)
            return text(row, col, value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        lxw_datetime cell{};
        cell.year = d.year();
        cell.month = d.month();
        cell.day = d.day();
        cell.hour = t.hour();
        cell.min = t.minute();
        cell.sec = t.second();
        return dateTime(row, col, cell);
    }

    int dateTime(lxw_row_t row, lxw_col_t col, lxw_datetime cell)
    {
        // A date without time of day (written as "yyyy-mm-dd") shows as a date.
        const bool dateOnly = cell.hour == 0 && cell.min == 0 && cell.sec == 0;
        check(worksheet_write_datetime(m_sheet, row, col, &cell, dateOnly ? m_date : m_dateTime));
        return dateOnly ? 10 : 19;
    }

private:
    static void check(lxw_error error)
    {
        if (error != LXW_NO_ERROR)
            throw ExportFailure{lxwText(error)};
    }

    QByteArray m_scratch;
    lxw_workbook* m_workbook = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_money = nullptr;
    lxw_format* m_date = nullptr;
    lxw_format* m_dateTime = nullptr;
};

// A stored time text, "yyyy-MM-dd" or "yyyy-MM-dd hh:mm:ss", read without
// QDateTime: its local-time conversion looks up the time zone on every call,
// which would dominate a long export.
std::optional<lxw_datetime> storedStamp(QStringView text)
{
    if (text.size() != 10 && text.size() != 19)
        return std::nullopt;
    auto digits = [&](qsizetype from, qsizetype count, int& out) {
        out = 0;
        for (qsizetype i = from; i < from + count; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                return false;
            out = out * 10 + (c - u'0');
        }
        return true;
    };
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!digits(0, 4, year) || text[4] != u'-' || !digits(5, 2, month) || text[7] != u'-' ||
        !digits(8, 2, day))
        return std::nullopt;
    if (text.size() == 19 &&
        ((text[10] != u' ' && text[10] != u'T') || !digits(11, 2, hour) || text[13] != u':' ||
         !digits(14, 2, minute) || text[16] != u':' || !digits(17, 2, second)))
        return std::nullopt;
    if (year < 1900 || !QDate::isValid(year, month, day) || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    lxw_datetime stamp{};
    stamp.year = year;
    stamp.month = month;
    stamp.day = day;
    stamp.hour = hour;
    stamp.min = minute;
    stamp.sec = second;
    return stamp;
}

// Writes one value as its kind says, or as its own type when no kind is known;
// returns its display width.
int writeCell(SheetWriter& sheet, lxw_row_t row, lxw_col_t col, const Column& column,
              const QVariant& value)
{
    const int type = value.metaType().id();
    if (column.kind) {
        switch (*column.kind) {
        case ColumnKind::Text:
        case ColumnKind::Memo:
            return sheet.text(row, col, value.toString());
        case ColumnKind::Integer:
        case ColumnKind::AutoNumber: {
            bool ok = false;
            const qint64 n = value.toLongLong(&ok);
            return ok ? sheet.integer(row, col, n) : sheet.text(row, col, value.toString());
        }
        case ColumnKind::Number:
            return sheet.number(row, col, stored::toNumber(value).toDouble());
        case ColumnKind::Money:
            return sheet.money(row, col, stored::toMoney(value));
        case ColumnKind::Boolean:
            return sheet.flag(row, col, stored::toFlag(value));
        case ColumnKind::DateTime: {
            if (type == QMetaType::QString) {
                if (const auto stamp = storedStamp(value.toString()))
                    return sheet.dateTime(row, col, *stamp);
            }
            const QDateTime dt = stored::toDateTime(value);
            return dt.isValid() ? sheet.dateTime(row, col, dt)
                                : sheet.text(row, col, value.toString());
        }
        }
    }
    if (type == QMetaType::Bool)
        return sheet.flag(row, col, value.toBool());
    if (isIntegerType(type))
        return sheet.integer(row, col, value.toLongLong());
    if (isFloatingType(type))
        return sheet.number(row, col, value.toDouble());
    if (type == QMetaType::QDateTime)
        return sheet.dateTime(row, col, value.toDateTime());
    if (type == QMetaType::QDate)
        return sheet.dateTime(row, col, value.toDate().startOfDay());
    if (type == QMetaType::QTime)
        return sheet.text(row, col, value.toTime().toString(QStringLiteral("HH:mm:ss")));
    if (type == QMetaType::QString &&
        (isIntegerType(column.fieldType) || isFloatingType(column.fieldType))) {
        // Numbers the driver hands over as decimal text to keep their precision.
        bool ok = false;
        const QString text = value.toString();
        if (isIntegerType(column.fieldType)) {
            const qint64 n = text.toLongLong(&ok);
            if (ok)
                return sheet.integer(row, col, n);
        }
        const double d = text.toDouble(&ok);
        if (ok)
            return sheet.number(row, col, d);
    }
    if (type == QMetaType::QByteArray)
        return sheet.text(row, col, QString::fromUtf8(value.toByteArray()));
    return sheet.text(row, col, value.toString());
}

std::vector<Column> exportedColumns(const QSqlRecord& record, int firstColumn, int lastColumn,
                                    const SpreadsheetExportOptions& options)
{
    QHash<QString, ColumnKind> kinds;
    for (auto it = options.kinds.cbegin(); it != options.kinds.cend(); ++it)
        kinds.insert(it.key().toLower(), it.value());

    const int first = qMax(0, firstColumn);
    const int last = qMin(lastColumn, record.count() - 1);
    std::vector<Column> columns;
    for (int i = first; i <= last && i - first < int(LXW_COL_MAX); ++i) {
        const QSqlField field = record.field(i);
        Column column;
        column.index = i;
        column.fieldType = field.metaType().id();
        const auto given = kinds.constFind(field.name().toLower());
        if (given != kinds.cend())
            column.kind = *given;
        else if (!options.table.isEmpty())
            column.kind = Schema::kindOf(options.table, field.name());
        // Without it an amount would be written in ten-thousandths.
        if (!column.kind)
            column.kind = gridformat::kindByName(field.name());
        if (!column.kind)
            gridformat::undeclaredColumn(field.name());
        columns.push_back(column);
    }
    return columns;
}

// Walks the rows into the workbook at path; throws ExportFailure.
void writeWorkbook(Rows& rows, int firstColumn, int lastColumn,
                   const SpreadsheetExportOptions& options, const QString& path,
                   const QString& scratchFolder)
{
    const QSqlRecord record = rows.record();
    std::vector<Column> columns = exportedColumns(record, firstColumn, lastColumn, options);
    SheetWriter sheet(path, scratchFolder);

    for (size_t c = 0; c < columns.size(); ++c)
        columns[c].width =
            sheet.text(0, static_cast<lxw_col_t>(c), record.fieldName(columns[c].index));

    QSqlQuery& query = rows.query();
    lxw_row_t row = 0;
    while (query.next()) {
        if (++row >= LXW_ROW_MAX)
            throw ExportFailure{
                QStringLiteral("记录超过了工作表的最大行数 %1，不能全部导出").arg(LXW_ROW_MAX - 1)};
        for (size_t c = 0; c < columns.size(); ++c) {
            const QVariant value = query.value(columns[c].index);
            if (value.isNull())
                continue;
            const int width = writeCell(sheet, row, static_cast<lxw_col_t>(c), columns[c], value);
            if (width > columns[c].width)
                columns[c].width = width;
        }
    }
    // A connection lost while rows were coming in ends the walk early.
    if (query.lastError().isValid())
        throw ExportFailure{query.lastError().text()};
    sheet.finish(columns);
}

// Gives a complete workbook its final name, never overwriting another file.
QString placeFinished(const QString& temporaryPath, const QDir& folder, const QString& base)
{
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const QString name = attempt == 1 ? base + QStringLiteral(".xlsx")
                                          : QStringLiteral("%1_%2.xlsx").arg(base).arg(attempt);
        const QString path = folder.filePath(name);
        if (QFileInfo::exists(path))
            continue;
        if (QFile::rename(temporaryPath, path))
            return path;
    }
    throw ExportFailure{QStringLiteral("不能在 %1 中保存文件")
                            .arg(QDir::toNativeSeparators(folder.absolutePath()))};
}

void showFailure(const QString& text)
{
    Prompter::current().error(QStringLiteral("导出Excel失败:%1").arg(text), QStringLiteral("错误"));
}

} // namespace

QString SpreadsheetDesktop::folder() const
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir().mkpath(documents))
        return documents;
    return QDir::tempPath();
}

bool SpreadsheetDesktop::open(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

SpreadsheetDesktop& SpreadsheetDesktop::current()
{
    static SpreadsheetDesktop desktop;
    return installedDesktop ? *installedDesktop : desktop;
}

void SpreadsheetDesktop::install(SpreadsheetDesktop* desktop)
{
    installedDesktop = desktop;
}

ScriptedSpreadsheetDesktop::ScriptedSpreadsheetDesktop(const QString& folder, bool canOpen)
    : m_previous(installedDesktop), m_folder(folder), m_canOpen(canOpen)
{
    SpreadsheetDesktop::install(this);
}

ScriptedSpreadsheetDesktop::~ScriptedSpreadsheetDesktop()
{
    SpreadsheetDesktop::install(m_previous);
}

bool ScriptedSpreadsheetDesktop::open(const QString& path)
{
    m_opened.append(path);
    return m_canOpen;
}

SpreadsheetExportResult ExportQueryToSpreadsheet(Rows& query, int firstColumn, int lastColumn,
                                                 const SpreadsheetExportOptions& options)
{
    SpreadsheetDesktop& desktop = SpreadsheetDesktop::current();
    SpreadsheetExportResult result;

    QString name = sanitizedName(options.name);
    if (name.isEmpty())
        name = sanitizedName(options.table);
    if (name.isEmpty())
        name = QStringLiteral("导出");
    const QString base =
        name + QDateTime::currentDateTime().toString(QStringLiteral("_yyyyMMdd_HHmmss"));

    const QString folderPath = desktop.folder();
    QString temporaryPath;
    try {
        if (folderPath.isEmpty() || !QDir().mkpath(folderPath))
            throw ExportFailure{
                QStringLiteral("不能建立文件夹 %1").arg(QDir::toNativeSeparators(folderPath))};
        const QDir folder(folderPath);
        {
            // Written under a name of its own until complete, so that no
            // half-written workbook ever carries the final name.
            QTemporaryFile reserved(folder.filePath(QStringLiteral(".~%1_XXXXXX.xlsx").arg(base)));
            reserved.setAutoRemove(false);
            if (!reserved.open())
                throw ExportFailure{QStringLiteral("不能在 %1 中建立文件: %2")
                                        .arg(QDir::toNativeSeparators(folder.absolutePath()),
                                             reserved.errorString())};
            temporaryPath = reserved.fileName();
        }
        writeWorkbook(query, firstColumn, lastColumn, options, temporaryPath,
                      folder.absolutePath());
        result.path = placeFinished(temporaryPath, folder, base);
        temporaryPath.clear();
        result.written = true;
    } catch (const ExportFailure& failure) {
        if (!temporaryPath.isEmpty())
            QFile::remove(temporaryPath);
        showFailure(failure.text);
        return result;
    } catch (const DatabaseError& error) {
        if (!temporaryPath.isEmpty())
            QFile::remove(temporaryPath);
        showFailure(error.text());
        return result;
    } catch (const std::logic_error&) {
        // An undeclared computed column: no half-written file is left behind.
        if (!temporaryPath.isEmpty())
            QFile::remove(temporaryPath);
        throw;
    }

    result.opened = desktop.open(result.path);
    if (!result.opened) {
        Prompter& prompter = Prompter::current();
        prompter.error(QStringLiteral("系统没excel，不能导出Excel！"), QStringLiteral("错误"));
        prompter.inform(
            QStringLiteral("导出的文件已保存在:\n%1").arg(QDir::toNativeSeparators(result.path)),
            QStringLiteral("提示"));
    }
    return result;
}

SpreadsheetExportResult ExportQueryToSpreadsheet(const Database& database, const QString& sql,
                                                 const QVariantList& parameters,
                                                 const SpreadsheetExportOptions& options)
{
    std::optional<Rows> rows;
    try {
        rows.emplace(database.query(sql, parameters));
    } catch (const DatabaseError& error) {
        showFailure(error.text());
        return {};
    }
    return ExportQueryToSpreadsheet(*rows, 0, rows->columnCount() - 1, options);
}

} // namespace shoupai
