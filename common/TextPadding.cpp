#include "common/TextPadding.h"

#include "platform/GbkCodec.h"

namespace shoupai {

QString PadRight(const QString& text, int width)
{
    const int length = gbk::byteLength(text);
    if (length >= width)
        return text;
    return text + QString(width - length, u' ');
}

} // namespace shoupai
