#include "platform/GbkCodec.h"

#include <cerrno>
#include <iconv.h>

namespace shoupai::gbk {

namespace {

QByteArray convert(const char* to, const char* from, const QByteArray& input,
                   const QByteArray& replacement)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    QByteArray output;
    output.reserve(input.size() * 2 + 8);
    char buffer[4096];
    char* in = const_cast<char*>(input.constData());
    size_t inLeft = static_cast<size_t>(input.size());
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<qsizetype>(out - buffer));
        if (result == static_cast<size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL: skip one byte of input and mark it.
            output.append(replacement);
            ++in;
            --inLeft;
        }
    }
    iconv_close(cd);
    return output;
}

} // namespace

QByteArray encode(const QString& text)
{
    return convert("GB18030", "UTF-8", text.toUtf8(), QByteArray("?"));
}

QString decode(const QByteArray& bytes)
{
    return QString::fromUtf8(convert("UTF-8", "GB18030", bytes, QByteArray("\xEF\xBF\xBD")));
}

int byteLength(const QString& text)
{
    return static_cast<int>(encode(text).size());
}

} // namespace shoupai::gbk
