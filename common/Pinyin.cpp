#include "common/Pinyin.h"

#include "platform/GbkCodec.h"

#include <array>

namespace shoupai {

namespace {

struct InitialRange
{
    char letter;
    unsigned first;
    unsigned last;
};

// First-level GB2312 characters are ordered by reading, so each initial covers
// one run of keys (first byte * 256 + second byte). No reading starts with I, U
// or V. X runs up to the last character before 压 (0xD1B9), which takes in
// 选, 学, 雪 and 寻 at 0xD1A1-0xD1B8.
constexpr std::array<InitialRange, 23> ranges{{
    {'A', 0xB0A1, 0xB0C4}, {'B', 0xB0C5, 0xB2C0}, {'C', 0xB2C1, 0xB4ED}, {'D', 0xB4EE, 0xB6E9},
    {'E', 0xB6EA, 0xB7A1}, {'F', 0xB7A2, 0xB8C0}, {'G', 0xB8C1, 0xB9FD}, {'H', 0xB9FE, 0xBBF6},
    {'J', 0xBBF7, 0xBFA5}, {'K', 0xBFA6, 0xC0AB}, {'L', 0xC0AC, 0xC2E7}, {'M', 0xC2E8, 0xC4C2},
    {'N', 0xC4C3, 0xC5B5}, {'O', 0xC5B6, 0xC5BD}, {'P', 0xC5BE, 0xC6D9}, {'Q', 0xC6DA, 0xC8BA},
    {'R', 0xC8BB, 0xC8F5}, {'S', 0xC8F6, 0xCBF9}, {'T', 0xCBFA, 0xCDD9}, {'W', 0xCDDA, 0xCEF3},
    {'X', 0xCEF4, 0xD1B8}, {'Y', 0xD1B9, 0xD4D0}, {'Z', 0xD4D1, 0xD7F9},
}};

QChar initialOf(unsigned char lead, unsigned char trail)
{
    // GB2312 codes have both bytes in A1..FE; the GBK extension characters
    // that share the lead bytes (trail 40..A0) are not ordered by reading.
    if (trail < 0xA1 || trail > 0xFE)
        return QChar();
    const unsigned key = lead * 256u + trail;
    for (const InitialRange& range : ranges) {
        if (key >= range.first && key <= range.last)
            return QChar(QLatin1Char(range.letter));
    }
    return QChar();
}

} // namespace

QChar PinyinInitial(const QByteArray& gbk)
{
    if (gbk.size() < 2)
        return QChar();
    return initialOf(static_cast<unsigned char>(gbk[0]), static_cast<unsigned char>(gbk[1]));
}

QChar PinyinInitial(const QString& text)
{
    // Only the first character can reach the first two bytes.
    return PinyinInitial(gbk::encode(text.left(2)));
}

QString PinyinInitials(const QString& name)
{
    const QByteArray bytes = gbk::encode(name);
    QString initials;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            const QChar c = QLatin1Char(static_cast<char>(lead));
            if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'))
                initials += c.toUpper();
            ++i;
            continue;
        }
        if (i + 1 >= bytes.size())
            break;
        const auto trail = static_cast<unsigned char>(bytes[i + 1]);
        if (trail >= 0x30 && trail <= 0x39) {
            // A four-byte GB18030 sequence: a character outside GBK.
            i += 4;
            continue;
        }
        const QChar initial = initialOf(lead, trail);
        if (!initial.isNull())
            initials += initial;
        i += 2;
    }
    return initials;
}

} // namespace shoupai
