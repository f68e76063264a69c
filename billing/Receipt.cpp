#include "billing/Receipt.h"

#include "app/Session.h"

namespace shoupai {

QByteArray CheckoutReceiptBytes(const CheckoutReceipt&)
{
    return {};
}

void PrintCheckoutReceipt(Session&, const CheckoutReceipt&, bool, QWidget*) {}

} // namespace shoupai
