#include "common/NameField.h"

namespace shoupai {

std::optional<QString> nameFieldRefusal(const QString& caption, const QString& text)
{
    if (text.size() > MaxNameLength)
        return QStringLiteral("%1太长,最多%2个字!").arg(caption).arg(MaxNameLength);
    if (text.contains(QChar(u'\0')))
        return QStringLiteral("%1不能含有空字符!").arg(caption);
    return std::nullopt;
}

} // namespace shoupai
