#pragma once

#include <QString>

namespace shoupai {

// The text followed by as many blanks as make it at least width bytes long in
// the GBK code page (a Chinese character counts two), for the fixed columns of
// receipts. A text that is long enough already comes back unchanged; nothing is cut.
QString PadRight(const QString& text, int width);

} // namespace shoupai
