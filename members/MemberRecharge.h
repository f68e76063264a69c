#pragma once

#include "platform/Money.h"

#include <QDateTime>
#include <QString>

namespace shoupai {

class Database;

struct RechargeRequest
{
    QString card;
    QString amountText;    // as typed, without sign
    bool negative = false; // "充负数": the amount is taken off
    QString remark;
    QString operatorName;
    QDateTime at;
};

struct RechargeOutcome
{
    bool done = false;
    QString message; // why not
    Money balance;   // after the recharge
};

// Adds an amount to a member's card balance and records it, in one transaction.
// The balance is changed relative to what the row holds now, never set to a
// figure read earlier, so a checkout made meanwhile stays counted.
namespace memberrecharge {

RechargeOutcome recharge(Database& database, const RechargeRequest& request);

} // namespace memberrecharge
} // namespace shoupai
