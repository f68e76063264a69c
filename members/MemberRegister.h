#pragma once

#include "members/MemberOutcome.h"

#include <QDateTime>
#include <QString>

namespace shoupai {

class Database;

// The columns of 会员管理 an operator types; balance, points, password and
// state are kept by recharge, checkout and the password screen alone.
struct MemberRecord
{
    QString card;
    QString name;
    QString type;
    QString sex;
    QDateTime birth;
    QString phone;
    QString remark;
    QDateTime registered; // edit only; a new member gets the database's date
};

// Adding, changing and deleting members. Card numbers are compared trimmed,
// as the card reader hands them back.
namespace memberregister {

extern const QString DuplicateCard;

// Whether a member other than the one with card `except` holds `card`.
bool cardTaken(Database& database, const QString& card, const QString& except = {});

MemberOutcome addMember(Database& database, MemberRecord record);
// Writes the typed columns of the member that had originalCard when the screen read it.
MemberOutcome changeMember(Database& database, const QString& originalCard, MemberRecord record);
// Refused while the card holds a balance: the money the venue owes would vanish.
MemberOutcome deleteMember(Database& database, const QString& card);

} // namespace memberregister
} // namespace shoupai
