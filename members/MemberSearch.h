#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

namespace shoupai {

class Dialect;

// A statement with its bound values, or why an operator's search was refused.
struct MemberStatement
{
    QString sql;
    QVariantList parameters;
    QString refusal; // empty when the statement is ready
    bool isReady() const { return refusal.isEmpty(); }
};

// The statements of the member list and the recharge records.
namespace membersearch {

// The columns the member list, its report and its export show: every one but 密码.
QStringList listedColumns();
MemberStatement allMembers();
// Members whose chosen column holds the typed value. Text columns match the
// whole value; amounts, numbers and dates match as their kind reads the text.
// 密码 cannot be searched.
MemberStatement members(const Dialect& dialect, const QString& column, const QString& value);

MemberStatement allRecharges();
MemberStatement recharges(const Dialect& dialect, const QString& column, const QString& value);

} // namespace membersearch
} // namespace shoupai
