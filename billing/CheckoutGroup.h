#pragma once

#include "platform/Money.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace shoupai {

class Database;

// The open-bill row of one tag, as the checkout screen shows it.
struct OpenBillRow
{
    QString tag;
    QString mainTag;
    QString guestName;
    Money deposit;
    QString entryTime; // as stored, "yyyy-MM-dd hh:mm:ss"
};

// The reads and small writes the checkout screen makes on a group of open tags
// (all rows that share one main tag).
namespace checkoutgroup {

std::optional<OpenBillRow> openBillOf(const Database& database, const QString& tag);
QStringList tags(const Database& database, const QString& mainTag);
// Lines back to list price: 合计 = 单价 × 数量.
void resetLineTotals(Database& database, const QString& mainTag);
// Sum of 数量 × 实际单价 (the undiscounted total); 0 without lines.
Money consumptionTotal(const Database& database, const QString& mainTag);
// Sum of 合计 (what is owed); 0 without lines.
Money receivableTotal(const Database& database, const QString& mainTag);
int lineCount(const Database& database, const QString& mainTag);

// The group's lines at one moment: how many, their list-price total and the
// sum of their current 合计.
struct GroupTotals
{
    int lines = 0;
    Money consumption;
    Money linesTotal;
};
GroupTotals totals(const Database& database, const QString& mainTag);

// A typed discount rate: a number from 0 to 10.
std::optional<Money> parseRate(const QString& text);
// 合计 = 单价 × 数量 × rate, rounded half to even to four decimals, for every
// line of the group that takes part in discounts; one transaction.
void applyDiscount(Database& database, const QString& mainTag, Money rate);

enum class JoinResult
{
    Joined,
    NoOpenBill,
    AlreadyInGroup,
    GroupClosed // this group was posted or cancelled meanwhile
};
// "添加": the tag's open bill joins the group. A tag that is the main tag of
// another group brings its whole group along. One transaction.
JoinResult join(Database& database, const QString& mainTag, const QString& tag);
// "删除": the tag becomes a group of its own, with its lines. One transaction.
// False, writing nothing, when the tag is no longer an open tag of this group.
bool detach(Database& database, const QString& mainTag, const QString& tag);

} // namespace checkoutgroup

// The split of the receivable between the member's card and cash.
struct PaymentSplit
{
    Money cardDeduction;
    Money received;
};
// Cash: all received in cash. Card: the card pays what its balance covers (never
// a negative amount), the rest is cash.
PaymentSplit splitPayment(bool byCard, Money cardBalance, Money receivable);

} // namespace shoupai
