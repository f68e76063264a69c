#include "app/Delimiters.h"

namespace shoupai {

QString StringDelimiter(const QString& backendCode)
{
    if (backendCode == u"s")
        return QStringLiteral("'");
    if (backendCode == u"a")
        return QStringLiteral("\"");
    return {};
}

QString DateDelimiter(const QString& backendCode)
{
    if (backendCode == u"s")
        return QStringLiteral("'");
    if (backendCode == u"a")
        return QStringLiteral("#");
    return {};
}

QString StringLiteral(const QString& backendCode, const QString& value)
{
    const QString delimiter = StringDelimiter(backendCode);
    QString escaped = value;
    if (!delimiter.isEmpty())
        escaped.replace(delimiter, delimiter + delimiter);
    return delimiter + escaped + delimiter;
}

QString DateLiteral(const QString& backendCode, const QDate& date)
{
    const QString delimiter = DateDelimiter(backendCode);
    return delimiter + date.toString(QStringLiteral("yyyy-MM-dd")) + delimiter;
}

} // namespace shoupai
