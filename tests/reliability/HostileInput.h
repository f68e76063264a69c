#pragma once

// The texts and numbers an operator may type, paste or scan that a careless
// program would mishandle, and the one rule every field is held to: the value
// is kept exactly as typed, or refused in the program's own words with nothing
// written.

#include "platform/Database.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTest>

#include <functional>

namespace shoupai::test {

struct HostileText
{
    const char* label;
    QString text;
    bool fitsName; // a name, number or code field keeps it
    bool fitsMemo; // a remark or other free text keeps it
};

inline QString longText()
{
    // Not compressible into a few bytes: the server keeps index entries compressed.
    QString text;
    text.reserve(10000);
    quint32 seed = 7;
    for (int i = 0; i < 10000; ++i) {
        seed = seed * 1103515245u + 12345u;
        text.append(QChar(char16_t(0x4E00 + (seed >> 8) % 0x51A5)));
    }
    return text;
}

inline const QList<HostileText>& hostileTexts()
{
    static const QList<HostileText> list = {
        {"quote", QStringLiteral("'"), true, true},
        {"double quote", QStringLiteral("\""), true, true},
        {"backslash", QStringLiteral("\\"), true, true},
        {"semicolon", QStringLiteral(";"), true, true},
        {"comment", QStringLiteral("--"), true, true},
        {"injection", QStringLiteral("' or '1'='1"), true, true},
        {"percent", QStringLiteral("%"), true, true},
        {"underscore", QStringLiteral("_"), true, true},
        {"nul", QStringLiteral("甲") + QChar(u'\0') + QStringLiteral("乙"), false, false},
        {"cr lf", QStringLiteral("甲\r\n乙"), true, true},
        {"10000 characters", longText(), false, true},
        {"gbk edge", QStringLiteral("鎈"), true, true},
        {"u+0080", QStringLiteral("a") + QChar(char16_t(0x80)) + QStringLiteral("b"), true, true},
        {"emoji", QStringLiteral("笑😀"), true, true},
        {"outside bmp", QStringLiteral("𠀀"), true, true},
    };
    return list;
}

// Numbers no amount, count or rate field may take as something else.
inline const QStringList& hostileNumbers()
{
    static const QStringList list = {
        QStringLiteral("-1"),
        QStringLiteral("-0.5"),
        QStringLiteral("0.00005"),
        QStringLiteral("1.5"),
        QStringLiteral("922337203685477"), // the largest whole amount there is
        QStringLiteral("99999999999999999999"),
        QStringLiteral("1e309"),
        QStringLiteral("1e5"),
        QStringLiteral("NaN"),
        QStringLiteral("inf"),
        QStringLiteral("-inf"),
        QStringLiteral("0x10"),
        QStringLiteral("１２"), // full-width digits
        QStringLiteral("1,5"),
    };
    return list;
}

// Texts no number field may accept at all.
inline bool isNeverANumber(const QString& text)
{
    static const QStringList never = {QStringLiteral("99999999999999999999"),
                                      QStringLiteral("1e309"),
                                      QStringLiteral("NaN"),
                                      QStringLiteral("inf"),
                                      QStringLiteral("-inf"),
                                      QStringLiteral("0x10"),
                                      QStringLiteral("１２"),
                                      QStringLiteral("1,5")};
    return never.contains(text);
}

// A refusal the operator can read: the program's own Chinese text, not an
// engine's statement error.
inline bool isOwnMessage(const QString& message)
{
    static const QRegularExpression engineText(
        QStringLiteral("error|unable|syntax|QPSQL|QSQLITE|index row|constraint|byte sequence|"
                       "out of range|SQL|statement|invalid"),
        QRegularExpression::CaseInsensitiveOption);
    bool chinese = false;
    for (const QChar c : message)
        chinese = chinese || (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF);
    return chinese && !engineText.match(message).hasMatch();
}

inline qint64 rowsOf(const Database& db, const QString& table)
{
    return db.scalar(QStringLiteral("select count(*) from ") + table).toLongLong();
}

inline QByteArray describe(const char* field, const char* input, const QString& message = {})
{
    return QByteArray(field) + " <- " + input + (message.isEmpty() ? "" : ": ") +
           message.left(200).toUtf8();
}

// One field's outcome for one input: either done and read back exactly, or
// refused in the program's words with the table's rows unchanged.
struct FieldCheck
{
    const char* field;
    const char* input;
    bool done;
    QString message;
    qint64 rowsBefore;
    qint64 rowsAfter;

    bool refusedCleanly() const
    {
        return !done && isOwnMessage(message) && rowsBefore == rowsAfter;
    }
};

} // namespace shoupai::test

#define HOSTILE_KEPT(check, stored, typed)                                                         \
    do {                                                                                           \
        QVERIFY2((check).done, describe((check).field, (check).input, (check).message));           \
        QVERIFY2((stored) == (typed),                                                              \
                 describe((check).field, (check).input, "read back differs"));                     \
    } while (false)

#define HOSTILE_REFUSED(check)                                                                     \
    QVERIFY2((check).refusedCleanly(), describe((check).field, (check).input, (check).message))
