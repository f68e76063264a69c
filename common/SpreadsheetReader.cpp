#include "common/SpreadsheetReader.h"

#include "common/CsvReader.h"
#include "common/XlsReader.h"
#include "common/XlsxReader.h"

#include <QDate>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace shoupai {

std::unique_ptr<SpreadsheetReader> SpreadsheetReader::forFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"xls")
        return std::make_unique<XlsReader>();
    if (suffix == u"xlsx")
        return std::make_unique<XlsxReader>();
    if (suffix == u"csv")
        return std::make_unique<CsvReader>();
    throw SpreadsheetReadError(
        QStringLiteral("不支持的文件类型 %1").arg(QFileInfo(path).fileName()));
}

namespace celltext {

QString number(double value)
{
    if (!std::isfinite(value))
        return QString::number(value);
    // Round to the 15 digits the spreadsheet shows, so 0.1+0.2 reads 0.3.
    const double shown = QString::number(value, 'g', 15).toDouble();
    QString text = QString::number(shown, 'f', QLocale::FloatingPointShortest);
    if (text == u"-0")
        text = QStringLiteral("0");
    return text;
}

QString date(double serial, bool from1904)
{
    // Before the first day or after 9999-12-31 a spreadsheet shows no date
    // either: the number is kept.
    const double lastDay = from1904 ? 2957003 : 2958465;
    if (!(serial >= 0 && serial < lastDay + 1))
        return number(serial);
    const qint64 days = qint64(std::floor(serial));
    QDate day;
    if (from1904)
        day = QDate(1904, 1, 1).addDays(days);
    else if (days >= 61)
        day = QDate(1899, 12, 30).addDays(days); // the calendar counts a 29 February 1900
    else
        day = QDate(1899, 12, 31).addDays(days);
    return day.toString(QStringLiteral("yyyy-MM-dd"));
}

bool isDateFormatCode(QString code)
{
    // Quoted text, escaped characters and [colour]/[locale] sections are not
    // date parts; elapsed-time sections like [h] are kept, they mark a time.
    static const QRegularExpression literal(QStringLiteral(R"("[^"]*"|\\.|\[(?![hms]+\])[^\]]*\])"),
                                            QRegularExpression::CaseInsensitiveOption);
    code.remove(literal);
    code = code.toLower();
    if (code.contains(u'y') || code.contains(u'd'))
        return true;
    // m alone is a month; beside h or s it is minutes.
    return code.contains(u'm') && !code.contains(u'h') && !code.contains(u's');
}

bool isBuiltInDateFormat(int id)
{
    // 14-22 everywhere, 27-36 and 50-58 the East Asian date formats.
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 50 && id <= 58);
}

void appendRow(SheetContent& content, int number, QStringList cells)
{
    while (!cells.isEmpty() && cells.last().trimmed().isEmpty())
        cells.removeLast();
    if (cells.isEmpty())
        return;
    content.columnCount = std::max(content.columnCount, int(cells.size()));
    content.rows.append(SheetRow{number, cells});
}

} // namespace celltext

} // namespace shoupai
