#include "common/XlsxReader.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QXmlStreamReader>

#include <zip.h>

namespace shoupai {

namespace {

const QString relationshipsNamespace =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");

// The open package; closed without writing however reading ends.
class Package
{
public:
    explicit Package(const QString& path) : m_path(path)
    {
        int code = 0;
        const QByteArray name = QFile::encodeName(path);
        m_zip = zip_open(name.constData(), ZIP_RDONLY, &code);
        if (!m_zip) {
            zip_error_t error;
            zip_error_init_with_code(&error, code);
            const QString reason = QString::fromUtf8(zip_error_strerror(&error));
            zip_error_fini(&error);
            throw SpreadsheetReadError(QStringLiteral("%1: %2").arg(path, reason));
        }
    }
    ~Package() { zip_discard(m_zip); }
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    bool has(const QString& part) const
    {
        return zip_name_locate(m_zip, part.toUtf8().constData(), 0) >= 0;
    }

    QByteArray part(const QString& part) const
    {
        const QByteArray name = part.toUtf8();
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat(m_zip, name.constData(), 0, &stat) != 0)
            throw SpreadsheetReadError(QStringLiteral("%1: 缺少 %2").arg(m_path, part));
        if ((stat.valid & ZIP_STAT_SIZE) && qint64(stat.size) > XlsxReader::MaxPartSize)
            tooLarge(part);
        zip_file_t* file = zip_fopen(m_zip, name.constData(), 0);
        if (!file)
            throw SpreadsheetReadError(
                QStringLiteral("%1: %2").arg(m_path, QString::fromUtf8(zip_strerror(m_zip))));
        QByteArray bytes;
        char buffer[65536];
        zip_int64_t read = 0;
        // The stated size is not trusted: reading stops at the limit.
        while ((read = zip_fread(file, buffer, sizeof buffer)) > 0) {
            bytes.append(buffer, qsizetype(read));
            if (bytes.size() > XlsxReader::MaxPartSize) {
                zip_fclose(file);
                tooLarge(part);
            }
        }
        zip_fclose(file);
        if (read < 0)
            throw SpreadsheetReadError(QStringLiteral("%1: %2 已损坏").arg(m_path, part));
        return bytes;
    }

private:
    [[noreturn]] void tooLarge(const QString& part) const
    {
        throw SpreadsheetReadError(QStringLiteral("%1: %2 解压后超过64MB").arg(m_path, part));
    }

    QString m_path;
    zip_t* m_zip = nullptr;
};

void checkXml(const QXmlStreamReader& xml, const QString& part)
{
    if (xml.hasError())
        throw SpreadsheetReadError(QStringLiteral("%1: %2").arg(part, xml.errorString()));
}

QString folderOf(const QString& part)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    return slash < 0 ? QString() : part.left(slash + 1);
}

// A relationship target as a path inside the package.
QString resolve(const QString& base, const QString& target)
{
    if (target.startsWith(u'/'))
        return target.mid(1);
    QStringList parts = (folderOf(base) + target).split(u'/');
    QStringList path;
    for (const QString& piece : parts) {
        if (piece == u"..") {
            if (!path.isEmpty())
                path.removeLast();
        } else if (piece != u"." && !piece.isEmpty()) {
            path << piece;
        }
    }
    return path.join(u'/');
}

struct Relationship
{
    QString type;
    QString target; // resolved
};

// The relationships of a part, by id; empty when it has none.
QHash<QString, Relationship> relationshipsOf(const Package& package, const QString& part)
{
    const QString relsPart = folderOf(part) + QStringLiteral("_rels/") +
                             part.mid(folderOf(part).size()) + QStringLiteral(".rels");
    QHash<QString, Relationship> found;
    if (!package.has(relsPart))
        return found;
    QXmlStreamReader xml(package.part(relsPart));
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"Relationship") {
            const auto attributes = xml.attributes();
            found.insert(attributes.value(QLatin1String("Id")).toString(),
                         {attributes.value(QLatin1String("Type")).toString(),
                          resolve(part, attributes.value(QLatin1String("Target")).toString())});
        }
    }
    checkXml(xml, relsPart);
    return found;
}

QString targetOfType(const QHash<QString, Relationship>& relationships, QStringView typeEnd,
                     const QString& fallback)
{
    for (const Relationship& relationship : relationships)
        if (relationship.type.endsWith(typeEnd))
            return relationship.target;
    return fallback;
}

// The text of a string item (<si> or <is>): its <t> pieces, without the
// phonetic guide runs.
QString stringItem(QXmlStreamReader& xml)
{
    const QString end = xml.name().toString();
    QString text;
    int phonetic = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"rPh")
                ++phonetic;
            else if (xml.name() == u"t" && phonetic == 0)
                text += xml.readElementText();
        } else if (xml.isEndElement()) {
            if (xml.name() == u"rPh")
                --phonetic;
            else if (xml.name() == end)
                break;
        }
    }
    return text;
}

QStringList sharedStrings(const Package& package, const QString& part)
{
    QStringList strings;
    if (part.isEmpty() || !package.has(part))
        return strings;
    QXmlStreamReader xml(package.part(part));
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"si")
            strings << stringItem(xml);
    }
    checkXml(xml, part);
    return strings;
}

// For each cell style index, whether numbers in it are dates.
QList<bool> dateStyles(const Package& package, const QString& part)
{
    QList<bool> styles;
    if (part.isEmpty() || !package.has(part))
        return styles;
    QHash<int, QString> customFormats;
    QXmlStreamReader xml(package.part(part));
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto attributes = xml.attributes();
            if (xml.name() == u"numFmt") {
                customFormats.insert(attributes.value(QLatin1String("numFmtId")).toInt(),
                                     attributes.value(QLatin1String("formatCode")).toString());
            } else if (xml.name() == u"cellXfs") {
                inCellXfs = true;
            } else if (xml.name() == u"xf" && inCellXfs) {
                const int id = attributes.value(QLatin1String("numFmtId")).toInt();
                styles << (customFormats.contains(id)
                               ? celltext::isDateFormatCode(customFormats.value(id))
                               : celltext::isBuiltInDateFormat(id));
            }
        } else if (xml.isEndElement() && xml.name() == u"cellXfs") {
            inCellXfs = false;
        }
    }
    checkXml(xml, part);
    return styles;
}

// "BC12" -> 54 (0-based); -1 when the reference has no letters, 16384 (past
// the last column) when it has too many.
int columnOf(QStringView reference)
{
    int column = 0;
    int letters = 0;
    for (QChar c : reference) {
        if (c < u'A' || c > u'Z')
            break;
        column = column * 26 + (c.unicode() - u'A' + 1);
        if (column > 16384)
            return 16384;
        ++letters;
    }
    return letters == 0 ? -1 : column - 1;
}

struct Workbook
{
    QString sheetPart;
    bool from1904 = false;
};

Workbook activeSheet(const Package& package, const QString& workbookPart)
{
    Workbook workbook;
    int activeTab = 0;
    QStringList sheetIds;
    QXmlStreamReader xml(package.part(workbookPart));
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const auto attributes = xml.attributes();
        if (xml.name() == u"workbookPr") {
            const auto value = attributes.value(QLatin1String("date1904"));
            workbook.from1904 = value == u"1" || value == u"true";
        } else if (xml.name() == u"workbookView" &&
                   attributes.hasAttribute(QLatin1String("activeTab"))) {
            activeTab = attributes.value(QLatin1String("activeTab")).toInt();
        } else if (xml.name() == u"sheet") {
            sheetIds << attributes.value(relationshipsNamespace, QLatin1String("id")).toString();
        }
    }
    checkXml(xml, workbookPart);
    if (sheetIds.isEmpty())
        throw SpreadsheetReadError(QStringLiteral("%1: 没有工作表").arg(workbookPart));
    if (activeTab < 0 || activeTab >= sheetIds.size())
        activeTab = 0;
    const auto relationships = relationshipsOf(package, workbookPart);
    const auto sheet = relationships.constFind(sheetIds.at(activeTab));
    if (sheet == relationships.constEnd())
        throw SpreadsheetReadError(QStringLiteral("%1: 找不到工作表").arg(workbookPart));
    workbook.sheetPart = sheet->target;
    return workbook;
}

} // namespace

SheetContent XlsxReader::read(const QString& path) const
{
    if (!QFile::exists(path))
        throw SpreadsheetReadError(QStringLiteral("%1 不存在").arg(path));
    Package package(path);
    const QString workbookPart = targetOfType(
        relationshipsOf(package, QString()), u"/officeDocument", QStringLiteral("xl/workbook.xml"));
    const Workbook workbook = activeSheet(package, workbookPart);
    const auto workbookRelationships = relationshipsOf(package, workbookPart);
    const QStringList strings =
        sharedStrings(package, targetOfType(workbookRelationships, u"/sharedStrings", {}));
    const QList<bool> dates =
        dateStyles(package, targetOfType(workbookRelationships, u"/styles", {}));

    SheetContent content;
    QXmlStreamReader xml(package.part(workbook.sheetPart));
    int rowNumber = 0;
    QStringList cells;
    bool inRow = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"row") {
            const int stated = xml.attributes().value(QLatin1String("r")).toInt();
            rowNumber = stated > 0 ? stated : rowNumber + 1;
            cells.clear();
            inRow = true;
        } else if (xml.isEndElement() && xml.name() == u"row") {
            celltext::appendRow(content, rowNumber, cells);
            inRow = false;
        } else if (xml.isStartElement() && xml.name() == u"c" && inRow) {
            const auto attributes = xml.attributes();
            const QString type = attributes.value(QLatin1String("t")).toString();
            const int style = attributes.value(QLatin1String("s")).toInt();
            int column = columnOf(attributes.value(QLatin1String("r")));
            if (column < 0)
                column = int(cells.size());
            if (column > 16383)
                throw SpreadsheetReadError(QStringLiteral("%1: 单元格超出范围").arg(path));
            QString value;
            bool hasValue = false;
            QString inlineText;
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isStartElement() && xml.name() == u"v") {
                    value = xml.readElementText();
                    hasValue = true;
                } else if (xml.isStartElement() && xml.name() == u"is") {
                    inlineText = stringItem(xml);
                } else if (xml.isEndElement() && xml.name() == u"c") {
                    break;
                }
            }
            QString text;
            if (type == u"inlineStr") {
                text = inlineText;
            } else if (!hasValue) {
                text.clear();
            } else if (type == u"s") {
                bool ok = false;
                const int index = value.toInt(&ok);
                if (!ok || index < 0 || index >= strings.size())
                    throw SpreadsheetReadError(
                        QStringLiteral("%1: 共享字符串 %2 不存在").arg(path, value));
                text = strings.at(index);
            } else if (type == u"str" || type == u"e") {
                text = value;
            } else if (type == u"b") {
                text = value.trimmed() == u"1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
            } else if (type == u"d") {
                text = value.left(10);
            } else {
                bool ok = false;
                const double number = value.toDouble(&ok);
                if (!ok)
                    text = value;
                else if (style >= 0 && style < dates.size() && dates.at(style))
                    text = celltext::date(number, workbook.from1904);
                else
                    text = celltext::number(number);
            }
            while (cells.size() < column)
                cells << QString();
            if (cells.size() == column)
                cells << text;
            else
                cells[column] = text;
        }
    }
    checkXml(xml, workbook.sheetPart);
    return content;
}

} // namespace shoupai
