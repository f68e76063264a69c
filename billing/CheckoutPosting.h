#pragma once

#include "platform/Money.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace shoupai {

class Database;

// The marker of a bill without a member.
inline const QString NonMember = QStringLiteral("非会员");
inline const QString CashPayment = QStringLiteral("现金支付");
inline const QString CardPayment = QStringLiteral("卡内扣除");
inline const QString SettledState = QStringLiteral("已结");
inline const QString FreeBillState = QStringLiteral("免单");

// What the checkout screen shows when it posts.
struct CheckoutPost
{
    QString tag; // the screen's tag; every stored line carries it
    QString mainTag;
    QStringList groupTags;
    // What the screen was computed from: posting refuses when the group has
    // changed since (another workstation posted it, added a line, ...).
    int lineCount = 0;
    Money linesTotal; // sum of the lines' 合计
    Money receivable; // stored as the bill's 消费金额

    QString guestName;
    QString entryTime;
    QString memberCard = NonMember;
    QString paymentMode = CashPayment;
    Money cardDeduction;
    Money received;
    QString remark;
    QString operatorName;
    QString state = SettledState;
    QDateTime postedAt;
};

struct PostingResult
{
    enum class Outcome
    {
        Posted,
        GroupChanged,  // open rows or total differ from what the screen shows
        MemberMissing, // the member row is gone
        BalanceTooLow, // the card no longer covers the deduction
    };
    Outcome outcome = Outcome::Posted;
    QString billNumber; // the number used, when posted
};

// Stores the bill in one transaction: member points and balance (relative
// updates; none for a free bill), the header (a free bill with nothing taken:
// 实收金额 and 卡内扣除 0), one detail per open line, the
// open rows deleted, their tags freed, the bill number taken from the counter.
// Nothing is written unless the outcome is Posted; database failures throw
// DatabaseError and leave the database as it was.
PostingResult postCheckout(Database& database, const CheckoutPost& post);

} // namespace shoupai
