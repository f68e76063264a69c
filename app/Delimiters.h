#pragma once

#include <QDate>
#include <QString>

namespace shoupai {

// The literal delimiters of each backend code: "s" apostrophes, "a" a double
// quote for texts and # for dates, anything else nothing. Statements never
// splice values (they are bound); these render literals for display and logs.
QString StringDelimiter(const QString& backendCode);
QString DateDelimiter(const QString& backendCode);

// A value between string delimiters, a delimiter inside it written doubled.
QString StringLiteral(const QString& backendCode, const QString& value);
// A date as "yyyy-MM-dd" between date delimiters.
QString DateLiteral(const QString& backendCode, const QDate& date);

} // namespace shoupai
