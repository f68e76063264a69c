// Quick-search codes of names typed, imported or read from legacy files.
#include "FuzzSupport.h"

#include "common/Pinyin.h"
#include "platform/GbkCodec.h"

using shoupai::PinyinInitial;
using shoupai::PinyinInitials;

namespace {

// The name's characters one by one (a surrogate pair is one character).
QStringList charactersOf(const QString& name)
{
    QStringList characters;
    for (qsizetype i = 0; i < name.size();) {
        const qsizetype length =
            name.at(i).isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()
                ? 2
                : 1;
        characters << name.mid(i, length);
        i += length;
    }
    return characters;
}

void checkName(const QString& name)
{
    const QString initials = PinyinInitials(name);
    for (QChar c : initials)
        FUZZ_CHECK(c >= u'A' && c <= u'Z', name + QStringLiteral(" -> ") + initials);

    // Character by character: what one character gives never depends on its neighbours.
    QString joined;
    for (const QString& character : charactersOf(name)) {
        const QString own = PinyinInitials(character);
        FUZZ_CHECK(own.size() <= 1, character + QStringLiteral(" -> ") + own);
        const QChar initial = PinyinInitial(character);
        const QChar c = character.at(0);
        if (!initial.isNull())
            FUZZ_CHECK(own == initial, character + QStringLiteral(" -> ") + own);
        else if (c.unicode() < 0x80 && c.isLetter())
            FUZZ_CHECK(own == c.toUpper(), character + QStringLiteral(" -> ") + own);
        else
            FUZZ_CHECK(own.isEmpty(), character + QStringLiteral(" -> ") + own);
        joined += own;
    }
    FUZZ_CHECK(initials == joined,
               name + QStringLiteral(" -> ") + initials + QStringLiteral(" / ") + joined);
    FUZZ_CHECK(PinyinInitial(name) ==
                   (name.isEmpty() ? QChar() : PinyinInitial(charactersOf(name).first())),
               name);
}

void checkBytes(const QByteArray& bytes)
{
    const QChar initial = PinyinInitial(bytes);
    if (initial.isNull())
        return;
    FUZZ_CHECK(initial >= u'A' && initial <= u'Z', fuzz::hex(bytes));
    // Only a whole GB2312 character has an initial, the same as its text has.
    const QString character = shoupai::gbk::decode(bytes.left(2));
    FUZZ_CHECK(character.size() == 1 && character.at(0).unicode() >= 0x80, fuzz::hex(bytes));
    FUZZ_CHECK(PinyinInitial(character) == initial, fuzz::hex(bytes));
    FUZZ_CHECK(PinyinInitials(character) == QString(initial), fuzz::hex(bytes));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    if (in.flag())
        checkBytes(in.rest());
    else
        checkName(QString::fromUtf8(in.rest()));
    return 0;
}
