#pragma once

#include <QByteArray>
#include <QString>

namespace shoupai::gbk {

// Text of the system is Unicode inside; these convert at the edges where bytes
// in the Chinese code page matter (receipts, cards, pinyin keys, legacy files).
// GB18030 is used for both directions: it is a superset of GBK and GB2312, so
// every GBK byte sequence decodes, and every GBK character encodes the same.

// Characters that GB18030 cannot hold do not occur (it covers all of Unicode).
QByteArray encode(const QString& text);
// Undecodable bytes become U+FFFD.
QString decode(const QByteArray& bytes);
// Length in bytes of the text in the code page (a Chinese character counts 2).
int byteLength(const QString& text);

} // namespace shoupai::gbk
