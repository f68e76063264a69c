#include "common/CsvReader.h"

#include "platform/GbkCodec.h"

#include <QFile>
#include <QStringDecoder>

namespace shoupai {

SheetContent CsvReader::read(const QString& path) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SpreadsheetReadError(QStringLiteral("%1: %2").arg(path, file.errorString()));
    return parse(decode(file.readAll()));
}

QString CsvReader::decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return gbk::decode(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

SheetContent CsvReader::parse(const QString& text)
{
    SheetContent content;
    QStringList cells;
    QString field;
    int record = 1;          // a spreadsheet shows each record as one row
    bool quoted = false;     // inside a quoted field
    bool fieldBegun = false; // the row has a field already (an empty line has none)
    const qsizetype length = text.size();
    auto endRow = [&] {
        if (fieldBegun || !field.isEmpty())
            cells << field;
        celltext::appendRow(content, record++, cells);
        cells.clear();
        field.clear();
        fieldBegun = false;
    };
    for (qsizetype i = 0; i < length; ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < length && text.at(i + 1) == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
            continue;
        }
        if (c == u'"') {
            quoted = true;
            fieldBegun = true;
        } else if (c == u',') {
            cells << field;
            field.clear();
            fieldBegun = true;
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < length && text.at(i + 1) == u'\n')
                ++i;
            endRow();
        } else {
            field += c;
        }
    }
    endRow();
    return content;
}

} // namespace shoupai
