#pragma once

#include "platform/Dialect.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

namespace shoupai {

// What an operator's "search this column for that text" becomes: a condition
// on the chosen column and its bound values, by the kind of the column.
//  - text: contains the text, without regard to case; '%', '_' and '\' are
//    just characters;
//  - amounts: equal to the typed amount ("12.5" is twelve and a half);
//  - whole numbers and flags: equal to the typed value;
//  - date-times: anywhere on the typed day.
// A column the table does not have, or one the screen excludes, is refused
// before any statement is built, and so is a value the column cannot hold.
struct TypedSearch
{
    enum class Outcome
    {
        Ready,
        UnknownColumn, // the screen says so in its own words
        BadValue       // message() says what was expected
    };

    Outcome outcome = Outcome::UnknownColumn;
    QString condition;       // "<quoted column> like ? escape '\'" and the like
    QVariantList parameters; // in the order of the condition's '?'
    QString message;         // why a value was refused

    bool isReady() const { return outcome == Outcome::Ready; }

    // Column names are compared without regard to case and surrounding blanks;
    // excluded names likewise.
    static TypedSearch build(const Dialect& dialect, const QString& table, const QString& column,
                             const QString& text, const QStringList& excluded = {});
};

} // namespace shoupai
