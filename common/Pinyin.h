#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

namespace shoupai {

// The upper-case initial of the pinyin reading of the character that the first
// two bytes of gbk encode, or the zero character. Only first-level GB2312
// characters (sorted by reading in the code table) have one; a shorter text,
// ASCII, symbols, second-level and GBK extension characters have none.
QChar PinyinInitial(const QByteArray& gbk);
// The same for the first two bytes of the text in the GBK code page.
QChar PinyinInitial(const QString& text);

// The quick-search code of a name, character by character: a first-level
// character gives its initial, an ASCII letter itself in upper case, anything
// else nothing. 洗发水 gives "XFS", A洗发水 "AXFS".
QString PinyinInitials(const QString& name);

} // namespace shoupai
