#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace fuzz {

// A property that failed: prints what and where, then aborts so that libFuzzer
// keeps the input as a crash.
[[noreturn]] void fail(const char* file, int line, const char* condition, const QString& detail);

#define FUZZ_CHECK(condition, detail)                                                              \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::fuzz::fail(__FILE__, __LINE__, #condition, (detail));                                \
    } while (false)

// Takes values off the front of the input; an exhausted input gives zeros and
// empty texts, so every input is a valid recipe.
class Input
{
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool empty() const { return m_pos >= m_size; }
    size_t remaining() const { return m_size - m_pos; }
    uint8_t byte();
    bool flag() { return byte() & 1; }
    // A whole number in [low, high].
    int64_t between(int64_t low, int64_t high);
    uint64_t u64();
    // Up to maxBytes bytes (length from the input).
    QByteArray bytes(int maxBytes);
    // Valid Unicode text from up to maxBytes bytes of UTF-8 (bad bytes become U+FFFD).
    QString text(int maxBytes);
    QByteArray rest();

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// A file of this process that holds the bytes, named with the given suffix
// (".xls"); the same path on every call with the same suffix.
QString writeScratchFile(const QString& suffix, const QByteArray& bytes);

// Hex text of up to 64 bytes, for failure messages.
QString hex(const QByteArray& bytes);

} // namespace fuzz
