#include "StoredBillFixture.h"
#include "TestDatabase.h"
#include "TestHome.h"
#include "app/Session.h"
#include "billing/PosPrinterPort.h"
#include "billing/Receipt.h"
#include "common/Prompter.h"
#include "common/ReportRenderer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace shoupai;
using namespace shoupai::test;

namespace {

// GBK through the C library, independently of the program's own codec.
QByteArray gbkOf(const QString& text)
{
    QByteArray in = text.toUtf8();
    QByteArray out(in.size() * 2 + 4, '\0');
    iconv_t cd = iconv_open("GBK", "UTF-8");
    char* inPtr = in.data();
    size_t inLeft = size_t(in.size());
    char* outPtr = out.data();
    size_t outLeft = size_t(out.size());
    const size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == size_t(-1))
        qFatal("iconv failed");
    out.resize(out.size() - qsizetype(outLeft));
    return out;
}

QByteArray receiptOf(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += gbkOf(line) + "\r\n";
    return bytes + QByteArray("\x0b\x1b\x4a\x8c\r\n", 6);
}

ReceiptItem item(const QString& name, qint64 quantity, const QString& price, const QString& total)
{
    return {name, Money::fromUnits(quantity), Money::parse(price).value(),
            Money::parse(total).value()};
}

const QString Shop = QStringLiteral("清泉沐浴休闲会所");
const QString Address = QStringLiteral("杭州市西湖区文二路128号");
const QString Tel = QStringLiteral("0571-86651234");

CheckoutReceipt walkIn()
{
    CheckoutReceipt r;
    r.shopName = Shop;
    r.shopAddress = Address;
    r.shopTel = Tel;
    r.mainTag = r.tag = QStringLiteral("A01");
    r.entryTime = QStringLiteral("2026-12-09 10:00:00");
    r.memberName = QStringLiteral("散客");
    r.billNumber = QStringLiteral("18");
    r.items = {item(QStringLiteral("洗发"), 2, QStringLiteral("25"), QStringLiteral("50")),
               item(QStringLiteral("果盘"), -1, QStringLiteral("30"), QStringLiteral("-30")),
               item(QStringLiteral("搓背"), 1, QStringLiteral("12.5"), QStringLiteral("12.5"))};
    r.consumption = r.receivable = r.received = Money::parse(u"32.5").value();
    r.operatorName = QStringLiteral("超级管理员");
    r.discountRateText = QStringLiteral("1");
    r.printedAt = QDateTime(QDate(2026, 12, 9), QTime(10, 30, 5));
    return r;
}

CheckoutReceipt memberByCard()
{
    CheckoutReceipt r = walkIn();
    r.memberName = QStringLiteral("王芳");
    r.items = {item(QStringLiteral("足疗"), 1, QStringLiteral("100"), QStringLiteral("80")),
               item(QStringLiteral("门票"), 1, QStringLiteral("30"), QStringLiteral("30"))};
    r.consumption = units(130);
    r.receivable = units(110);
    r.cardDeduction = units(110);
    r.received = Money();
    r.cardBalance = units(500);
    r.points = units(100);
    r.paidByCard = true;
    r.discountRateText = QStringLiteral("0.80");
    return r;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

struct SessionHome
{
    SeededDatabase db;
    Session session;
    SessionHome()
    {
        const QString home = writeSystemIni(db);
        session.start(home);
    }
};

void addOpenLine(Database& d, const QString& tag, const QString& goods, qint64 price,
                 qint64 quantity, qint64 total, const QDateTime& time)
{
    d.exec(QStringLiteral("insert into 手牌消费 (手牌号码, 商品名, 单价, 实际单价, 数量, 合计, "
                          "消费时间, 主手牌号, 参与打折) values (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
           {tag, goods, QVariant::fromValue(units(price)), QVariant::fromValue(units(price)),
            QVariant::fromValue<qlonglong>(quantity), QVariant::fromValue(units(total)), time,
            QStringLiteral("A01"), QStringLiteral("y")});
}

QStringList summaryTexts(const ReportLayout& layout)
{
    QStringList texts;
    for (const ReportLine& line : layout.summary) {
        QStringList parts;
        for (const ReportItem& item : line.items)
            parts << item.text;
        texts << parts.join(u'|');
    }
    return texts;
}

} // namespace

class TestReceipt : public QObject
{
    Q_OBJECT
private slots:
    void itemLinesHaveTheirFixedWidths();
    void checkoutReceiptBytes();
    void reprintReceiptBytes();
    void portNamesMapToDevices();
    void portWritesAndReportsFailures();
    void checkoutReportTexts();
    void checkoutReportAsPdf();
};

void TestReceipt::itemLinesHaveTheirFixedWidths()
{
    // 洗发 takes 4 bytes of the 16-byte field; 2, 25 and 50 fill 3, 6 and 7 bytes.
    QCOMPARE(ReceiptItemLine(
                 item(QStringLiteral("洗发"), 2, QStringLiteral("25"), QStringLiteral("50"))),
             QByteArray("\xcf\xb4\xb7\xa2            2  25    50     \r\n"));
    // A return line.
    QCOMPARE(ReceiptItemLine(
                 item(QStringLiteral("洗发"), -1, QStringLiteral("25"), QStringLiteral("-25"))),
             QByteArray("\xcf\xb4\xb7\xa2            -1 25    -25    \r\n"));
    // Exactly 16 bytes keep the short field, 17 take the long one.
    const QString sixteen = QStringLiteral("足底按摩加长套餐");
    QCOMPARE(ReceiptItemLine(item(sixteen, 1, QStringLiteral("98"), QStringLiteral("98"))),
             gbkOf(sixteen) + "1  98    98     \r\n");
    const QString seventeen = sixteen + u'A';
    QCOMPARE(ReceiptItemLine(item(seventeen, 1, QStringLiteral("98"), QStringLiteral("98"))),
             gbkOf(seventeen) + QByteArray(31, ' ') + "1  98    98     \r\n");
    // Longer texts are not cut; unit prices round half to even, totals keep their decimals.
    const QString long50 = QString(25, QChar(u'长'));
    QCOMPARE(
        ReceiptItemLine(item(long50, 100, QStringLiteral("12.5"), QStringLiteral("1234.5678"))),
        gbkOf(long50) + "10012    1234.5678\r\n");
    QCOMPARE(ReceiptItemLine(
                 item(QStringLiteral("茶"), 1, QStringLiteral("13.5"), QStringLiteral("13.5"))),
             gbkOf(QStringLiteral("茶")) + QByteArray(14, ' ') + "1  14    13.5   \r\n");
}

void TestReceipt::checkoutReceiptBytes()
{
    const QStringList head{QStringLiteral(" "), QStringLiteral("[ 清泉沐浴休闲会所 ]"),
                           QStringLiteral(" "), QStringLiteral("进店时间: 2026-12-09 10:00:00")};
    const QStringList tail{QStringLiteral("地址:杭州市西湖区文二路128号"),
                           QStringLiteral("电话:0571-86651234"),
                           QStringLiteral("打印时间:26-12-09 10:30:05"),
                           QStringLiteral("    谢谢光临 "), QStringLiteral("  欢迎下次再来! ")};
    const QString sep = QStringLiteral("-------------------------------");

    QCOMPARE(CheckoutReceiptBytes(walkIn()),
             receiptOf(head +
                       QStringList{QStringLiteral("牌    号: A01 姓名: 散客"),
                                   QStringLiteral("帐 单 号: 18"), sep,
                                   QStringLiteral("名称          数量 单价  合计"), sep,
                                   QStringLiteral("洗发            2  25    50     "),
                                   QStringLiteral("果盘            -1 30    -30    "),
                                   QStringLiteral("搓背            1  12    12.5   "), sep,
                                   QStringLiteral("消费金额: 32.5 应收: 32.5"),
                                   QStringLiteral("卡内扣除: 0 实收: 32.5"),
                                   QStringLiteral("卡内余额: 0 积分: 0"),
                                   QStringLiteral("收 银 员: 超级管理员 折扣: 1")} +
                       tail));

    // A member paying by card: the balance left after the deduction, points before this bill.
    QCOMPARE(CheckoutReceiptBytes(memberByCard()),
             receiptOf(head +
                       QStringList{QStringLiteral("牌    号: A01 姓名: 王芳"),
                                   QStringLiteral("帐 单 号: 18"), sep,
                                   QStringLiteral("名称          数量 单价  合计"), sep,
                                   QStringLiteral("足疗            1  100   80     "),
                                   QStringLiteral("门票            1  30    30     "), sep,
                                   QStringLiteral("消费金额: 130 应收: 110"),
                                   QStringLiteral("卡内扣除: 110 实收: 0"),
                                   QStringLiteral("卡内余额: 390 积分: 100"),
                                   QStringLiteral("收 银 员: 超级管理员 折扣: 0.80")} +
                       tail));
}

void TestReceipt::reprintReceiptBytes()
{
    SessionHome home;
    Database& d = home.db.database();
    StoredBill bill;
    bill.number = QStringLiteral("17");
    bill.consumption = bill.received = units(80);
    bill.lines = {line(QStringLiteral("可乐"), QStringLiteral("饮料"), 15, 2, 30),
                  line(QStringLiteral("搓背"), QStringLiteral("洗浴"), 50, 1, 50)};
    const qint64 id = insertStoredBill(d, bill);
    StoredBill empty;
    empty.number = QStringLiteral("20");
    empty.tag = QStringLiteral("A03");
    empty.operatorName = QStringLiteral("超级管理员");
    const qint64 emptyId = insertStoredBill(d, empty);

    std::optional<ReprintReceipt> receipt = LoadReprintReceipt(home.session, id);
    QVERIFY(receipt);
    receipt->printedAt = QDateTime(QDate(2026, 12, 9), QTime(9, 8, 7));
    const QString sep = QStringLiteral("-------------------------------");
    const QStringList tail{QStringLiteral("地址:杭州市西湖区文二路128号"),
                           QStringLiteral("电话:0571-86651234"),
                           QStringLiteral("打印时间:26-12-09 09:08:07"),
                           QStringLiteral("    谢谢光临 "), QStringLiteral("  欢迎下次再来! ")};
    QCOMPARE(ReprintReceiptBytes(*receipt),
             receiptOf(QStringList{QStringLiteral(" "), QStringLiteral("[ 清泉沐浴休闲会所 ]"),
                                   QStringLiteral(" "), QStringLiteral("牌    号: 08"),
                                   QStringLiteral("进店时间: 26-12-01 10:00:00"),
                                   QStringLiteral("帐 单 号: 17"), sep,
                                   QStringLiteral("名称   数量   单价   合计"), sep,
                                   QStringLiteral("可乐            2  15    30     "),
                                   QStringLiteral("搓背            1  50    50     "), sep,
                                   QStringLiteral("小计    : 80  实收: 80"),
                                   QStringLiteral("收 银 员: 收银员甲"), QStringLiteral(" ")} +
                       tail));

    // A bill without lines prints no item lines.
    receipt = LoadReprintReceipt(home.session, emptyId);
    QVERIFY(receipt);
    QVERIFY(receipt->items.isEmpty());
    QVERIFY(ReprintReceiptBytes(*receipt).contains(
        gbkOf(sep + QStringLiteral("\r\n") + sep + QStringLiteral("\r\n小计    : 0  实收: 0"))));
    QVERIFY(!LoadReprintReceipt(home.session, id + 1000));

    // "打印当前账单" writes it to the configured port.
    QTemporaryDir folder;
    home.session.port = folder.filePath(QStringLiteral("pos.out"));
    ScriptedPrompter prompter;
    QVERIFY(PrintStoredBill(home.session, id));
    const QByteArray printed = readFile(home.session.port);
    const QByteArray expected = ReprintReceiptBytes(*LoadReprintReceipt(home.session, id));
    const qsizetype timeAt = expected.indexOf(gbkOf(QStringLiteral("打印时间:")));
    QVERIFY(timeAt > 0);
    QCOMPARE(printed.left(timeAt), expected.left(timeAt));
    QVERIFY(printed.endsWith(QByteArray("\x0b\x1b\x4a\x8c\r\n", 6)));
    QVERIFY(prompter.shown().isEmpty());
}

void TestReceipt::portNamesMapToDevices()
{
    const QString lp0 = QFileInfo::exists(QStringLiteral("/dev/lp0")) ||
                                !QFileInfo::exists(QStringLiteral("/dev/usb/lp0"))
                            ? QStringLiteral("/dev/lp0")
                            : QStringLiteral("/dev/usb/lp0");
    QCOMPARE(PosPrinterPort::devicePath(QStringLiteral("LPT1")), lp0);
    QVERIFY(PosPrinterPort::devicePath(QStringLiteral("lpt3")).endsWith(QStringLiteral("lp2")));
    QCOMPARE(PosPrinterPort::devicePath(QStringLiteral("COM1")), QStringLiteral("/dev/ttyS0"));
    QCOMPARE(PosPrinterPort::devicePath(QStringLiteral(" COM9 ")), QStringLiteral("/dev/ttyS8"));
    QCOMPARE(PosPrinterPort::devicePath(QStringLiteral("/dev/usb/lp1")),
             QStringLiteral("/dev/usb/lp1"));
    QCOMPARE(PosPrinterPort::devicePath(QStringLiteral("out/pos.txt")),
             QStringLiteral("out/pos.txt"));

    // Names of no device: what a missing key reads as, and near misses.
    for (const QString& name :
         {QStringLiteral("0"), QString(), QStringLiteral("LPT4"), QStringLiteral("COM10"),
          QStringLiteral("COM0"), QStringLiteral("printer")}) {
        QString error;
        QVERIFY2(PosPrinterPort::devicePath(name, &error).isEmpty(), qPrintable(name));
        QCOMPARE(error,
                 QStringLiteral("打印端口\"%1\"不是打印机设备,请在\"Pos打印机设置\"中选择端口!")
                     .arg(name));
    }
}

void TestReceipt::portWritesAndReportsFailures()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("receipt.bin"));
    ScriptedPrompter prompter;
    const QByteArray bytes = CheckoutReceiptBytes(walkIn());

    QVERIFY(PosPrinterPort::print(path, bytes));
    QCOMPARE(readFile(path), bytes);
    // Each receipt opens the port anew; a file is emptied first.
    QVERIFY(PosPrinterPort::print(path, QByteArray("x\r\n")));
    QCOMPARE(readFile(path), QByteArray("x\r\n"));
    QVERIFY(prompter.shown().isEmpty());

    // A folder that does not exist, a folder as the port: the system's reason is shown.
    const QString missing = folder.filePath(QStringLiteral("nowhere/receipt.bin"));
    QVERIFY(!PosPrinterPort::print(missing, bytes));
    QCOMPARE(prompter.lastText(), QStringLiteral("无法打开打印端口 %1: %2")
                                      .arg(missing, QString::fromLocal8Bit(strerror(ENOENT))));
    QCOMPARE(prompter.shown().last().kind, Prompter::Kind::Error);
    QVERIFY(!PosPrinterPort::print(folder.path(), bytes));
    QVERIFY(prompter.lastText().endsWith(QString::fromLocal8Bit(strerror(EISDIR))));

    // A pipe nobody reads fails at once instead of hanging the till.
    const QString fifo = folder.filePath(QStringLiteral("pos.fifo"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(!PosPrinterPort::print(fifo, bytes));
    QVERIFY(prompter.lastText().endsWith(QString::fromLocal8Bit(strerror(ENXIO))));

    // A reader that takes nothing: the write gives up instead of hanging.
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    const QString stalled = PosPrinterPort::write(fifo, QByteArray(1 << 20, 'x'), 100);
    ::close(reader);
    QCOMPARE(stalled, QStringLiteral("打印端口 %1 写入失败: %2")
                          .arg(fifo, QString::fromLocal8Bit(strerror(ETIMEDOUT))));

    // "0" (the missing key) is refused and leaves no file in the working folder.
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder.path()));
    QVERIFY(!PosPrinterPort::print(QStringLiteral("0"), bytes));
    QVERIFY(QDir::setCurrent(previous));
    QVERIFY(!QFileInfo::exists(folder.filePath(QStringLiteral("0"))));
    QCOMPARE(prompter.lastText(),
             QStringLiteral("打印端口\"0\"不是打印机设备,请在\"Pos打印机设置\"中选择端口!"));

    // The checkout's print command writes to the session's port, and touches no database row.
    SessionHome home;
    home.session.port = path;
    const QStringList before = snapshotBilling(home.db.database());
    PrintCheckoutReceipt(home.session, memberByCard(), false);
    QCOMPARE(readFile(path), CheckoutReceiptBytes(memberByCard()));
    home.session.port = missing;
    prompter.clear();
    PrintCheckoutReceipt(home.session, memberByCard(), false);
    QCOMPARE(prompter.shown().size(), 1);
    QCOMPARE(snapshotBilling(home.db.database()), before);
}

void TestReceipt::checkoutReportTexts()
{
    SeededDatabase db;
    Database& d = db.database();
    addOpenLine(d, QStringLiteral("A01"), QStringLiteral("足疗"), 100, 1, 80,
                QDateTime(QDate(2026, 12, 9), QTime(10, 1, 2)));
    addOpenLine(d, QStringLiteral("A02"), QStringLiteral("门票"), 30, 1, 30,
                QDateTime(QDate(2026, 12, 9), QTime(10, 3, 0)));

    CheckoutReceipt card = memberByCard();
    CheckoutReport report = BuildCheckoutReport(d, card);
    const ReportLayout& layout = report.layout;
    QCOMPARE(layout.pageSizeMm, QSizeF(88, 160));
    QCOMPARE(layout.titles,
             QStringList({Shop, QStringLiteral("进店时间:2026-12-09 10:01:02"),
                          QStringLiteral("手牌号:A01   姓名:王芳"), QStringLiteral("帐单号:18")}));
    QCOMPARE(layout.headings.first(), QStringLiteral("项目名__ 单价__ 数量__ 合计"));
    QCOMPARE(layout.columns.size(), 4);
    QCOMPARE(layout.columns.at(0).field, QStringLiteral("商品名"));
    for (int i = 1; i < 4; ++i)
        QCOMPARE(layout.columns.at(i).prefix, QStringLiteral("/"));
    const QStringList expected{QStringLiteral("------------------------------------"),
                               QStringLiteral("小计:"),
                               QStringLiteral("实收金额:0  折扣:0.80"),
                               QStringLiteral("卡上余额:390|积分:100"),
                               QStringLiteral("顾客签字:"),
                               QString(),
                               QString(),
                               QStringLiteral("        谢谢光临"),
                               QStringLiteral("    欢迎下次再来！"),
                               QStringLiteral("电话号码:0571-86651234"),
                               QStringLiteral("打印时间:[DATE]/[TIME]")};
    QCOMPARE(summaryTexts(layout), expected);
    QCOMPARE(layout.summary.at(1).items.first().kind, ReportItem::Kind::Sum);
    QCOMPARE(layout.summary.at(1).items.first().field, QStringLiteral("合计"));

    // The statement reads the group's lines in order.
    Rows rows = d.query(report.statement, report.parameters);
    QVERIFY(rows.next());
    QCOMPARE(rows.text(QStringLiteral("商品名")), QStringLiteral("足疗"));
    QVERIFY(rows.next());
    QVERIFY(!rows.next());

    // Mixed payment: 60 from the card, 50 in cash.
    card.cardBalance = units(60);
    card.cardDeduction = units(60);
    card.received = units(50);
    QCOMPARE(CheckoutReportCardBalanceText(card), QStringLiteral("卡上余额:0"));
    QCOMPARE(summaryTexts(BuildCheckoutReport(d, card).layout).at(3),
             QStringLiteral("卡上余额:0|积分:150"));

    // Cash: the balance as it stands.
    CheckoutReceipt cash = memberByCard();
    cash.paidByCard = false;
    cash.cardDeduction = Money();
    cash.received = units(110);
    QCOMPARE(summaryTexts(BuildCheckoutReport(d, cash).layout).at(3),
             QStringLiteral("卡上余额:500|积分:210"));
}

void TestReceipt::checkoutReportAsPdf()
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext is not installed");
    SeededDatabase db;
    Database& d = db.database();
    addOpenLine(d, QStringLiteral("A01"), QStringLiteral("足疗"), 100, 1, 80,
                QDateTime(QDate(2026, 12, 9), QTime(10, 1, 2)));
    QTemporaryDir folder;
    const auto textOf = [&](const CheckoutReceipt& receipt) -> QString {
        const CheckoutReport report = BuildCheckoutReport(d, receipt);
        const QString pdf = folder.filePath(QStringLiteral("checkout.pdf"));
        ReportRenderer renderer(d);
        renderer.setPrintedAt(QDateTime(QDate(2026, 12, 9), QTime(10, 30, 5)));
        if (!renderer.renderToPdf(report.layout, report.statement, report.parameters, pdf))
            return {};
        QProcess process;
        process.start(pdftotext, {pdf, QStringLiteral("-")});
        process.waitForFinished();
        return QString::fromUtf8(process.readAllStandardOutput());
    };
    const QString cardText = textOf(memberByCard());
    if (cardText.isEmpty())
        QSKIP("the report renderer cannot write PDF files in this build");
    for (const QString& expected :
         {QStringLiteral("清泉沐浴休闲会所"), QStringLiteral("帐单号:18"), QStringLiteral("足疗"),
          QStringLiteral("/80"), QStringLiteral("小计:80"), QStringLiteral("实收金额:0"),
          QStringLiteral("卡上余额:390"), QStringLiteral("积分:100"),
          QStringLiteral("电话号码:0571-86651234"), QStringLiteral("打印时间:2026-12-09/10:30:05")})
        QVERIFY2(cardText.contains(expected), qPrintable(expected + u'\n' + cardText));

    CheckoutReceipt cash = memberByCard();
    cash.paidByCard = false;
    cash.cardDeduction = Money();
    cash.received = units(110);
    const QString cashText = textOf(cash);
    QVERIFY2(cashText.contains(QStringLiteral("卡上余额:500")), qPrintable(cashText));
    QVERIFY2(cashText.contains(QStringLiteral("积分:210")), qPrintable(cashText));
}

QTEST_MAIN(TestReceipt)
#include "tst_receipt.moc"
