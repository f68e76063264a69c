#pragma once

#include <QString>

#include <optional>

namespace shoupai {

// Names, numbers and codes (of members, goods, tags, staff, administrators) are
// compared and looked up through indexes, and the server keeps an index entry to
// a few kilobytes: a longer text would fail there with the engine's message.
// 255 characters is what the venue's older data can hold, so no stored name
// becomes unchangeable.
constexpr qsizetype MaxNameLength = 255;

// Why a typed name, number or code cannot be stored: longer than MaxNameLength,
// or holding a NUL character, which not every engine keeps. Nothing when it can.
std::optional<QString> nameFieldRefusal(const QString& caption, const QString& text);

} // namespace shoupai
