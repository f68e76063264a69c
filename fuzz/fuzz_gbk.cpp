// The code page at the edges: bytes from cards, legacy files and spreadsheets
// decode, and text that goes to printers and cards encodes and comes back.
#include "FuzzSupport.h"

#include "platform/GbkCodec.h"

namespace gbk = shoupai::gbk;

namespace {

void checkBytes(const QByteArray& bytes)
{
    const QString text = gbk::decode(bytes);
    FUZZ_CHECK(text.size() <= bytes.size(), fuzz::hex(bytes));
    FUZZ_CHECK(bytes.isEmpty() == text.isEmpty(), fuzz::hex(bytes));
    // Well-formed bytes (nothing replaced) come back byte for byte.
    if (!text.contains(QChar::ReplacementCharacter)) {
        FUZZ_CHECK(gbk::encode(text) == bytes,
                   fuzz::hex(bytes) + QStringLiteral(" -> ") + fuzz::hex(gbk::encode(text)));
        FUZZ_CHECK(gbk::byteLength(text) == bytes.size(), fuzz::hex(bytes));
    }
}

bool hasPrivateUse(const QString& text)
{
    for (QChar c : text)
        if (c.category() == QChar::Other_PrivateUse)
            return true;
    return false;
}

void checkText(const QString& text)
{
    const QByteArray bytes = gbk::encode(text);
    // Private-use code points have no fixed meaning in the code page: later
    // editions of the tables moved some of them onto real characters, so they
    // need not come back as themselves.
    if (hasPrivateUse(text))
        return;
    FUZZ_CHECK(gbk::decode(bytes) == text,
               fuzz::hex(text.toUtf8()) + QStringLiteral(" -> ") + fuzz::hex(bytes));
    FUZZ_CHECK(gbk::byteLength(text) == bytes.size(), fuzz::hex(text.toUtf8()));
    // ASCII stays one byte each; any other character takes two (GBK) or four,
    // so at least two per UTF-16 unit.
    qsizetype ascii = 0;
    for (QChar c : text)
        ascii += c.unicode() < 0x80 ? 1 : 0;
    FUZZ_CHECK(bytes.size() >= ascii + 2 * (text.size() - ascii), fuzz::hex(text.toUtf8()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    if (in.flag())
        checkBytes(in.rest());
    else
        checkText(QString::fromUtf8(in.rest()));
    return 0;
}
