#include "billing/Receipt.h"

#include "app/Session.h"
#include "billing/PosPrinterPort.h"
#include "common/Prompter.h"
#include "common/ReportPreview.h"
#include "common/TextPadding.h"
#include "platform/Database.h"
#include "platform/GbkCodec.h"

namespace shoupai {

namespace {

const QString Separator = QStringLiteral("-------------------------------");

// What a GBK receipt printer can show. A character GBK lacks (four bytes in
// GB18030: U+0080, emoji, the rarer ideographs) prints as "?", one byte, and so
// does a control character, which the printer would take as a command or a line
// break; the fixed columns stay aligned.
QString printable(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isSurrogate()) {
            shown += u'?';
            if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
                ++i;
            continue;
        }
        const bool control = c.unicode() < 0x20 || c.unicode() == 0x7F;
        shown += control || gbk::byteLength(QString(c)) > 2 ? QChar(u'?') : c;
    }
    return shown;
}

// Collects the receipt's lines as GBK bytes, each closed by CR LF.
class ReceiptWriter
{
public:
    explicit ReceiptWriter(qsizetype expectedLines) { m_bytes.reserve(expectedLines * 40 + 64); }

    void line(const QString& text)
    {
        m_bytes += gbk::encode(printable(text));
        m_bytes += "\r\n";
    }
    void raw(const QByteArray& bytes) { m_bytes += bytes; }
    // Vertical tab, then ESC J 140: print and feed so the paper can be torn off.
    void closing() { m_bytes += QByteArray("\x0b\x1b\x4a\x8c\r\n", 6); }

    QByteArray bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

QString receiptTime(const QDateTime& moment)
{
    return moment.toString(QStringLiteral("yy-MM-dd HH:mm:ss"));
}

QDateTime printingTime(const QDateTime& given)
{
    return given.isValid() ? given : QDateTime::currentDateTime();
}

void shopFooter(ReceiptWriter& out, const QString& address, const QString& tel,
                const QDateTime& printedAt)
{
    out.line(QStringLiteral("地址:") + address);
    out.line(QStringLiteral("电话:") + tel);
    out.line(QStringLiteral("打印时间:") + receiptTime(printingTime(printedAt)));
    out.line(QStringLiteral("    谢谢光临 "));
    out.line(QStringLiteral("  欢迎下次再来! "));
    out.closing();
}

void itemLines(ReceiptWriter& out, const QList<ReceiptItem>& items)
{
    for (const ReceiptItem& item : items)
        out.raw(ReceiptItemLine(item));
}

} // namespace

QByteArray ReceiptItemLine(const ReceiptItem& item)
{
    const QString name = printable(item.name);
    const int nameWidth = gbk::byteLength(name) <= 16 ? 16 : 48;
    const QString text = PadRight(name, nameWidth) + PadRight(item.quantity.toString(), 3) +
                         PadRight(item.unitPrice.roundedToUnits().toString(), 6) +
                         PadRight(item.total.toString(), 7);
    return gbk::encode(text) + "\r\n";
}

QByteArray CheckoutReceiptBytes(const CheckoutReceipt& r)
{
    ReceiptWriter out(r.items.size() + 21);
    out.line(QStringLiteral(" "));
    out.line(QStringLiteral("[ ") + r.shopName + QStringLiteral(" ]"));
    out.line(QStringLiteral(" "));
    out.line(QStringLiteral("进店时间: ") + r.entryTime);
    out.line(QStringLiteral("牌    号: ") + r.tag + QStringLiteral(" 姓名: ") + r.memberName);
    out.line(QStringLiteral("帐 单 号: ") + r.billNumber);
    out.line(Separator);
    out.line(QStringLiteral("名称          数量 单价  合计"));
    out.line(Separator);
    itemLines(out, r.items);
    out.line(Separator);
    out.line(QStringLiteral("消费金额: ") + r.consumption.toString() + QStringLiteral(" 应收: ") +
             r.receivable.toString());
    out.line(QStringLiteral("卡内扣除: ") + r.cardDeduction.toString() + QStringLiteral(" 实收: ") +
             r.received.toString());
    out.line(QStringLiteral("卡内余额: ") + (r.cardBalance - r.cardDeduction).toString() +
             QStringLiteral(" 积分: ") + r.points.toString());
    out.line(QStringLiteral("收 银 员: ") + r.operatorName + QStringLiteral(" 折扣: ") +
             r.discountRateText);
    shopFooter(out, r.shopAddress, r.shopTel, r.printedAt);
    return out.bytes();
}

QByteArray ReprintReceiptBytes(const ReprintReceipt& r)
{
    ReceiptWriter out(r.items.size() + 20);
    out.line(QStringLiteral(" "));
    out.line(QStringLiteral("[ ") + r.shopName + QStringLiteral(" ]"));
    out.line(QStringLiteral(" "));
    out.line(QStringLiteral("牌    号: ") + r.tag);
    out.line(QStringLiteral("进店时间: ") + receiptTime(r.entryTime));
    out.line(QStringLiteral("帐 单 号: ") + r.billNumber);
    out.line(Separator);
    out.line(QStringLiteral("名称   数量   单价   合计"));
    out.line(Separator);
    itemLines(out, r.items);
    out.line(Separator);
    out.line(QStringLiteral("小计    : ") + r.consumption.toString() + QStringLiteral("  实收: ") +
             r.received.toString());
    out.line(QStringLiteral("收 银 员: ") + r.operatorName);
    out.line(QStringLiteral(" "));
    shopFooter(out, r.shopAddress, r.shopTel, r.printedAt);
    return out.bytes();
}

std::optional<ReprintReceipt> LoadReprintReceipt(Session& session, qint64 headerId)
{
    const Database& db = session.database();
    Rows header = db.query(QStringLiteral("select * from 结帐管理 where id = ?"),
                           {QVariant::fromValue<qlonglong>(headerId)});
    if (!header.next())
        return std::nullopt;
    ReprintReceipt r;
    r.shopName = session.shopName;
    r.shopAddress = session.shopAddress;
    r.shopTel = session.shopTel;
    r.tag = header.text(QStringLiteral("手牌号码"));
    r.entryTime = header.dateTime(QStringLiteral("进店时间"));
    r.billNumber = header.text(QStringLiteral("单据号"));
    r.consumption = header.money(QStringLiteral("消费金额"));
    r.received = header.money(QStringLiteral("实收金额"));
    r.operatorName = header.text(QStringLiteral("营业员"));

    Rows lines = db.query(QStringLiteral("select 商品名, 数量, 单价, 合计 from 结帐明细 "
                                         "where 单据号 = ? order by ID"),
                          {r.billNumber});
    while (lines.next()) {
        r.items.append({lines.text(QStringLiteral("商品名")),
                        Money::fromUnits(lines.integer(QStringLiteral("数量"))),
                        lines.money(QStringLiteral("单价")), lines.money(QStringLiteral("合计"))});
    }
    return r;
}

bool PrintStoredBill(Session& session, qint64 headerId)
{
    std::optional<ReprintReceipt> receipt;
    try {
        receipt = LoadReprintReceipt(session, headerId);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return false;
    }
    if (!receipt)
        return false;
    return PosPrinterPort::print(session.port, ReprintReceiptBytes(*receipt));
}

QString CheckoutReportCardBalanceText(const CheckoutReceipt& r)
{
    // Paid by card: what stays on the card is the balance less what this bill took from it.
    const Money balance = r.paidByCard ? r.cardBalance - r.cardDeduction : r.cardBalance;
    return QStringLiteral("卡上余额:") + balance.toString();
}

CheckoutReport BuildCheckoutReport(const Database& database, const CheckoutReceipt& r)
{
    CheckoutReport report;
    report.statement = QStringLiteral("select 商品名, 单价, 数量, 合计 from 手牌消费 "
                                      "where 主手牌号 = ? order by ID");
    report.parameters = {r.mainTag};

    QString firstTime;
    QString firstTag;
    Rows first = database.query(QStringLiteral("select 消费时间, 手牌号码 from 手牌消费 "
                                               "where 主手牌号 = ? order by ID limit 1"),
                                {r.mainTag});
    if (first.next()) {
        const QDateTime time = first.dateTime(QStringLiteral("消费时间"));
        firstTime = time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                   : first.text(QStringLiteral("消费时间"));
        firstTag = first.text(QStringLiteral("手牌号码"));
    }

    ReportLayout& layout = report.layout;
    layout.name = QStringLiteral("结帐单");
    layout.pageSizeMm = QSizeF(88, 160);
    layout.marginsMm = QMarginsF(4, 4, 4, 4);
    layout.fontPoints = 9;
    layout.titlePoints = 11;
    layout.titleAlignment = Qt::AlignLeft;
    layout.titles = {r.shopName, QStringLiteral("进店时间:") + firstTime,
                     QStringLiteral("手牌号:") + firstTag + QStringLiteral("   姓名:") +
                         r.memberName,
                     QStringLiteral("帐单号:") + r.billNumber};
    layout.headings = {QStringLiteral("项目名__ 单价__ 数量__ 合计"),
                       QStringLiteral("------------------------------------")};
    layout.columnHeadings = false;

    ReportColumn name =
        ReportColumn::of(QStringLiteral("商品名"), QStringLiteral("项目名"), 30, GridFormat::Text);
    ReportColumn price =
        ReportColumn::of(QStringLiteral("单价"), QStringLiteral("单价"), 16, GridFormat::Money);
    ReportColumn quantity =
        ReportColumn::of(QStringLiteral("数量"), QStringLiteral("数量"), 12, GridFormat::Integer);
    ReportColumn total =
        ReportColumn::of(QStringLiteral("合计"), QStringLiteral("合计"), 0, GridFormat::Money);
    for (ReportColumn* column : {&price, &quantity, &total}) {
        column->prefix = QStringLiteral("/");
        column->alignment = Qt::AlignLeft;
    }
    layout.columns = {name, price, quantity, total};

    ReportLine points{
        ReportItem::label(CheckoutReportCardBalanceText(r)),
        ReportItem::label(QStringLiteral("积分:") + (r.points + r.received).toString())};
    layout.summary = {
        ReportLine(QStringLiteral("------------------------------------")),
        ReportLine{ReportItem::sum(QStringLiteral("小计:"), QStringLiteral("合计"))},
        ReportLine(QStringLiteral("实收金额:") + r.received.toString() + QStringLiteral("  折扣:") +
                   r.discountRateText),
        points,
        ReportLine(QStringLiteral("顾客签字:")),
        ReportLine(QString()),
        ReportLine(QString()),
        ReportLine(QStringLiteral("        谢谢光临")),
        ReportLine(QStringLiteral("    欢迎下次再来！")),
        ReportLine(QStringLiteral("电话号码:") + r.shopTel),
        ReportLine(QStringLiteral("打印时间:[DATE]/[TIME]")),
    };
    layout.summaryAlignment = Qt::AlignLeft;
    return report;
}

void PrintCheckoutReceipt(Session& session, const CheckoutReceipt& receipt, bool preview,
                          QWidget* parent)
{
    if (!preview) {
        PosPrinterPort::print(session.port, CheckoutReceiptBytes(receipt));
        return;
    }
    try {
        const CheckoutReport report = BuildCheckoutReport(session.database(), receipt);
        ShowReportPreview(session.database(), report.layout, report.statement, report.parameters,
                          parent);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

} // namespace shoupai
