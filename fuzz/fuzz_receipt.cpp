// Receipts built from what the database and the operator supply: goods names
// (imported from spreadsheets), shop texts and amounts.
#include "FuzzSupport.h"

#include "billing/Receipt.h"
#include "common/TextPadding.h"
#include "platform/GbkCodec.h"

using namespace shoupai;

namespace {

Money amount(fuzz::Input& in)
{
    // Up to a hundred million either way: far beyond any venue, inside the range.
    return Money::fromTicks(in.between(-1'000'000'000'000, 1'000'000'000'000));
}

bool breaksLines(const QString& text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

// Every character is a printable one of the code page (one or two bytes).
bool inCodePage(const QString& text)
{
    for (QChar c : text)
        if (c.isSurrogate() || c.category() == QChar::Other_Control ||
            gbk::encode(QString(c)).size() > 2)
            return false;
    return true;
}

// An item line: the name in a 16- or 48-byte column, then quantity, whole unit
// price and total in columns of 3, 6 and 7 bytes, closed by CR LF.
void checkItemLine(const ReceiptItem& item, const QByteArray& line)
{
    const QString detail = item.name + u' ' + fuzz::hex(line);
    FUZZ_CHECK(line.endsWith("\r\n"), detail);
    const QByteArray tail = (PadRight(item.quantity.toString(), 3) +
                             PadRight(item.unitPrice.roundedToUnits().toString(), 6) +
                             PadRight(item.total.toString(), 7))
                                .toLatin1();
    const QByteArray body = line.chopped(2);
    FUZZ_CHECK(body.endsWith(tail), detail);
    const QByteArray head = body.chopped(tail.size());
    FUZZ_CHECK(head.size() == 16 || head.size() >= 48, detail);
    if (head.size() > 48)
        FUZZ_CHECK(!head.endsWith(' ') || item.name.endsWith(u' '), detail);
    // A short printable name is printed as it is, padded to its column.
    if (inCodePage(item.name) && gbk::byteLength(item.name) <= 16) {
        FUZZ_CHECK(head.size() == 16, detail);
        const QString shown = gbk::decode(head);
        FUZZ_CHECK(shown.startsWith(item.name), detail);
        FUZZ_CHECK(shown.mid(item.name.size()).trimmed().isEmpty(), detail);
    }
}

// Each item line appears whole, in order; the receipt ends with the tear-off feed.
void checkReceipt(const QByteArray& bytes, const QList<ReceiptItem>& items, int fixedLines,
                  bool linesIntact)
{
    qsizetype from = 0;
    for (const ReceiptItem& item : items) {
        const QByteArray line = ReceiptItemLine(item);
        checkItemLine(item, line);
        const qsizetype at = bytes.indexOf(line, from);
        FUZZ_CHECK(at >= 0, QStringLiteral("item line missing: ") + item.name);
        from = at + line.size();
    }
    FUZZ_CHECK(bytes.startsWith(" \r\n"), fuzz::hex(bytes));
    FUZZ_CHECK(bytes.endsWith(QByteArray("\x0b\x1b\x4a\x8c\r\n", 6)), fuzz::hex(bytes.right(16)));
    if (linesIntact)
        FUZZ_CHECK(bytes.count("\r\n") == fixedLines + items.size(),
                   QStringLiteral("%1 lines").arg(bytes.count("\r\n")));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const bool reprint = in.flag();
    QStringList texts;
    for (int i = 0; i < 6; ++i)
        texts << in.text(24);
    const QDateTime printedAt = QDateTime::fromSecsSinceEpoch(in.between(0, 4'102'444'800));
    QList<ReceiptItem> items;
    const int count = int(in.between(0, 6));
    for (int i = 0; i < count; ++i) {
        ReceiptItem item;
        item.name = in.text(60);
        item.quantity = Money::fromUnits(in.between(-999, 999));
        item.unitPrice = amount(in);
        item.total = amount(in);
        items << item;
    }
    bool linesIntact = true;
    for (const QString& text : texts)
        linesIntact = linesIntact && !breaksLines(text);
    for (const ReceiptItem& item : items)
        linesIntact = linesIntact && !breaksLines(item.name);

    if (reprint) {
        ReprintReceipt r;
        r.shopName = texts[0];
        r.shopAddress = texts[1];
        r.shopTel = texts[2];
        r.tag = texts[3];
        r.billNumber = texts[4];
        r.operatorName = texts[5];
        r.entryTime = printedAt.addSecs(-in.between(0, 86400));
        r.items = items;
        r.consumption = amount(in);
        r.received = amount(in);
        r.printedAt = printedAt;
        checkReceipt(ReprintReceiptBytes(r), items, 19, linesIntact);
    } else {
        CheckoutReceipt r;
        r.shopName = texts[0];
        r.shopAddress = texts[1];
        r.shopTel = texts[2];
        r.tag = texts[3];
        r.memberName = texts[4];
        r.operatorName = texts[5];
        r.entryTime = printedAt.toString(Qt::ISODate);
        r.billNumber = QString::number(in.between(0, 99'999'999));
        r.items = items;
        r.consumption = amount(in);
        r.receivable = amount(in);
        r.cardDeduction = amount(in);
        r.received = amount(in);
        r.cardBalance = amount(in);
        r.points = amount(in);
        r.paidByCard = in.flag();
        r.discountRateText = in.text(8);
        r.printedAt = printedAt;
        const QByteArray bytes = CheckoutReceiptBytes(r);
        checkReceipt(bytes, items, 20, linesIntact && !breaksLines(r.discountRateText));
        const QByteArray balance = gbk::encode(QStringLiteral("卡内余额: ") +
                                               (r.cardBalance - r.cardDeduction).toString());
        FUZZ_CHECK(bytes.contains(balance), fuzz::hex(balance));
    }
    return 0;
}
