#pragma once

#include "platform/Money.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

class QWidget;

namespace shoupai {

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

} // namespace shoupai
