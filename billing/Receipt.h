#pragma once

#include "common/ReportLayout.h"
#include "platform/Money.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariantList>

#include <optional>

class QWidget;

namespace shoupai {

class Database;
class Session;

// One consumption line as a receipt prints it.
struct ReceiptItem
{
    QString name;
    Money quantity;
    Money unitPrice; // the list price; printed rounded to whole units
    Money total;     // the line's current (possibly discounted) total
};

// What the checkout screen shows at the moment "打印[F1]" is pressed.
struct CheckoutReceipt
{
    QString shopName, shopAddress, shopTel;
    QString mainTag;   // the group whose open lines the preview report lists
    QString entryTime; // as the checkout screen shows it
    QString tag;
    QString memberName; // the member's name, or "散客"
    QString billNumber; // the number posting will use
    QList<ReceiptItem> items;
    Money consumption, receivable, cardDeduction, received, cardBalance, points;
    bool paidByCard = false; // payment mode "卡内扣除"
    QString operatorName;
    QString discountRateText;
    QDateTime printedAt;
};

// The checkout receipt as the bytes the POS printer receives (GBK, CR LF).
QByteArray CheckoutReceiptBytes(const CheckoutReceipt& receipt);

// "打印[F1]": writes the receipt to the session's port, or shows the checkout
// report in the previewer. Failures are shown through the prompter; nothing
// in the database changes.
void PrintCheckoutReceipt(Session& session, const CheckoutReceipt& receipt, bool preview,
                          QWidget* parent = nullptr);

// A stored bill as "打印当前账单" reprints it: its header and its lines.
struct ReprintReceipt
{
    QString shopName, shopAddress, shopTel;
    QString tag;
    QDateTime entryTime;
    QString billNumber;
    QList<ReceiptItem> items; // unit price: the line's former actual unit price
    Money consumption, received;
    QString operatorName;
    QDateTime printedAt;
};

// One item line: name (16 or 48 bytes), quantity (3), whole unit price (6), total (7).
QByteArray ReceiptItemLine(const ReceiptItem& item);

// The reprint receipt as the bytes the POS printer receives (GBK, CR LF).
QByteArray ReprintReceiptBytes(const ReprintReceipt& receipt);

// Reads the stored bill whose 结帐管理 row has the given id, with the session's
// shop texts; nothing when the row is gone. Throws DatabaseError.
std::optional<ReprintReceipt> LoadReprintReceipt(Session& session, qint64 headerId);

// "打印当前账单": writes the reprint of the stored bill to the session's port.
// Failures are shown through the prompter; returns whether it was printed.
bool PrintStoredBill(Session& session, qint64 headerId);

// The checkout report the preview shows: the layout over the group's open
// lines, with the statement and values that read them.
struct CheckoutReport
{
    ReportLayout layout;
    QString statement;
    QVariantList parameters;
};

// Builds the checkout report; reads the group's first line for its entry time
// and tag. Throws DatabaseError.
CheckoutReport BuildCheckoutReport(const Database& database, const CheckoutReceipt& receipt);

// The text of the card balance in the report: what is left on the card after
// this bill when paid by card, else the balance itself.
QString CheckoutReportCardBalanceText(const CheckoutReceipt& receipt);

} // namespace shoupai
