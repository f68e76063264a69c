#include "CatalogueTestKit.h"
#include "catalogue/Purchases.h"
#include "catalogue/XmAddChaXunUt.h"
#include "catalogue/XmAddRdUt.h"
#include "common/DataGrid.h"
#include "platform/DayPeriod.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

namespace {

PurchaseEntry purchase(qint64 key, const QString& price, const QString& quantity,
                       const QDate& date = QDate(2025, 6, 1))
{
    PurchaseEntry entry;
    entry.goodsKey = key;
    entry.unitPriceText = price;
    entry.quantityText = quantity;
    entry.remark = QStringLiteral("补货");
    entry.operatorName = QStringLiteral("店长");
    entry.date = date;
    return entry;
}

} // namespace

class TestPurchases : public QObject
{
    Q_OBJECT
private slots:
    void purchaseRaisesTheStoredStock();
    void badValuesAreRefusedBeforeAnythingIsWritten();
    void failureHalfWayChangesNothing();
    void gateReadsTheTypeAgain();
    void recordsByNameAndWholeDays();
};

void TestPurchases::purchaseRaisesTheStoredStock()
{
    Venue v;
    Database& db = v.database();
    const qint64 cola = keyOf(db, QStringLiteral("可乐"));
    const qint64 before = stock(db, QStringLiteral("可乐"));

    TXmAddRdFm screen(v.session, cola);
    screen.setToday([] { return QDate(2025, 6, 1); });
    QCOMPARE(screen.stockBox()->text(), QString::number(before));
    QCOMPARE(screen.initialsBox()->text(), QStringLiteral("KL"));
    screen.unitPriceBox()->setText(QStringLiteral("2.5"));
    screen.quantityBox()->setText(QStringLiteral("4"));
    QCOMPARE(screen.totalBox()->text(), QStringLiteral("10"));
    // An unreadable value leaves the last total.
    screen.quantityBox()->setText(QStringLiteral("4x"));
    QCOMPARE(screen.totalBox()->text(), QStringLiteral("10"));
    screen.quantityBox()->setText(QStringLiteral("4"));

    // Another workstation sells one after the screen read the stock.
    QVERIFY(openGroup(db, {QStringLiteral("A01")}, Money()).isEmpty());
    auto other = v.db.openAnother();
    QVERIFY(addLine(*other, QStringLiteral("A01"), goodsNamed(db, QStringLiteral("可乐"))).stored);

    screen.Confirm();
    QCOMPARE(v.prompter.lastText(), QStringLiteral("完成!"));
    QCOMPARE(screen.result(), int(QDialog::Accepted));
    QCOMPARE(stock(db, QStringLiteral("可乐")), before - 1 + 4);
    Rows row =
        db.query(QStringLiteral("select * from 进货表 where 商品名 = ?"), {QStringLiteral("可乐")});
    QVERIFY(row.next());
    QCOMPARE(row.money(QStringLiteral("总进价")), Money::fromUnits(10));
    QCOMPARE(row.money(QStringLiteral("进货单价")), *Money::parse(QStringLiteral("2.5")));
    QCOMPARE(row.text(QStringLiteral("拼音")), QStringLiteral("KL"));
    QCOMPARE(row.text(QStringLiteral("管理员")), QStringLiteral("收银员甲"));
    QCOMPARE(row.dateTime(QStringLiteral("日期")).date(), QDate(2025, 6, 1));
    QVERIFY(!row.next());

    // An empty count counts as none.
    db.exec(QStringLiteral("update 商品库 set 库存 = null where ID = ?"), {cola});
    QVERIFY(purchases::record(db, purchase(cola, QStringLiteral("1"), QStringLiteral("4"))).done);
    QCOMPARE(stock(db, QStringLiteral("可乐")), qint64(4));

    // Empty fields: nothing happens at all.
    TXmAddRdFm idle(v.session, cola);
    v.prompter.clear();
    idle.unitPriceBox()->setText(QStringLiteral("3"));
    idle.Confirm();
    QVERIFY(v.prompter.shown().isEmpty());
    QCOMPARE(purchaseRows(db, QStringLiteral("可乐")), qint64(2));
}

void TestPurchases::badValuesAreRefusedBeforeAnythingIsWritten()
{
    Venue v;
    Database& db = v.database();
    const qint64 cola = keyOf(db, QStringLiteral("可乐"));
    const qint64 before = stock(db, QStringLiteral("可乐"));
    for (const char* quantity : {"1.5", "abc", "0", "-1", "100000", " "}) {
        const CatalogueOutcome outcome =
            purchases::record(db, purchase(cola, QStringLiteral("2"), QString::fromUtf8(quantity)));
        QCOMPARE(outcome.message, purchases::BadQuantity);
    }
    for (const char* price : {"abc", "-1", "", "1e3"}) {
        const CatalogueOutcome outcome =
            purchases::record(db, purchase(cola, QString::fromUtf8(price), QStringLiteral("2")));
        QCOMPARE(outcome.message, purchases::BadPrice);
    }
    QVERIFY(
        purchases::record(db, purchase(cola, QStringLiteral("0"), QStringLiteral("99999"))).done);
    QCOMPARE(stock(db, QStringLiteral("可乐")), before + 99999);
    QCOMPARE(purchaseRows(db, QStringLiteral("可乐")), qint64(1));

    // The screen shows the message and stays open.
    TXmAddRdFm screen(v.session, cola);
    screen.unitPriceBox()->setText(QStringLiteral("2"));
    screen.quantityBox()->setText(QStringLiteral("1.5"));
    screen.Confirm();
    QCOMPARE(v.prompter.lastText(), purchases::BadQuantity);
    QVERIFY(screen.result() != QDialog::Accepted);
}

void TestPurchases::failureHalfWayChangesNothing()
{
    Venue v;
    Database& db = v.database();
    const qint64 cola = keyOf(db, QStringLiteral("可乐"));
    const qint64 before = stock(db, QStringLiteral("可乐"));

    // The stock update fails after the purchase row went in.
    db.exec(QStringLiteral("alter table 商品库 rename column 库存 to 库存x"));
    QVERIFY(!purchases::record(db, purchase(cola, QStringLiteral("2"), QStringLiteral("3"))).done);
    db.exec(QStringLiteral("alter table 商品库 rename column 库存x to 库存"));
    QCOMPARE(purchaseRows(db, QStringLiteral("可乐")), qint64(0));
    QCOMPARE(stock(db, QStringLiteral("可乐")), before);

    // An item deleted meanwhile: no orphan purchase row.
    TXmAddRdFm screen(v.session, cola);
    db.exec(QStringLiteral("delete from 商品库 where ID = ?"), {cola});
    screen.unitPriceBox()->setText(QStringLiteral("2"));
    screen.quantityBox()->setText(QStringLiteral("3"));
    screen.Confirm();
    QCOMPARE(v.prompter.lastText(), goodsitems::Gone);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 进货表")), qint64(0));
}

void TestPurchases::gateReadsTheTypeAgain()
{
    Venue v;
    Database& db = v.database();
    const qint64 cola = keyOf(db, QStringLiteral("可乐"));
    QVERIFY(purchases::gate(db, cola).done);
    QCOMPARE(purchases::gate(db, keyOf(db, QStringLiteral("洗浴"))).message, purchases::NoStock);
    // The type switched off elsewhere after the list was read.
    auto other = v.db.openAnother();
    other->exec(QStringLiteral("update 商品类型 set 库存 = ? where 名称 = ?"),
                {false, QStringLiteral("饮料")});
    QCOMPARE(purchases::gate(db, cola).message, purchases::NoStock);
    // A type that is gone.
    db.exec(QStringLiteral("update 商品库 set 商品类型 = ? where ID = ?"),
            {QStringLiteral("无此类"), cola});
    QCOMPARE(purchases::gate(db, cola).message, purchases::NoStock);
    db.exec(QStringLiteral("delete from 商品库 where ID = ?"), {cola});
    QCOMPARE(purchases::gate(db, cola).message, goodsitems::Gone);
}

void TestPurchases::recordsByNameAndWholeDays()
{
    Venue v;
    Database& db = v.database();
    const QDate day(2025, 6, 1);
    QVERIFY(purchases::record(db, purchase(keyOf(db, QStringLiteral("可乐")), QStringLiteral("2"),
                                           QStringLiteral("3"), day))
                .done);
    QVERIFY(purchases::record(db, purchase(keyOf(db, QStringLiteral("绿茶")), QStringLiteral("1.5"),
                                           QStringLiteral("2"), day))
                .done);
    QVERIFY(purchases::record(db, purchase(keyOf(db, QStringLiteral("可乐")), QStringLiteral("2"),
                                           QStringLiteral("5"), day.addDays(1)))
                .done);

    TXmAddChaXunFm records(v.session);
    // Until a query runs: the latest purchase only.
    QCOMPARE(records.grid()->recordCount(), qint64(1));
    QVERIFY(!records.fromBox()->isEnabled());

    // Nothing to query: the list stays.
    records.Query();
    QCOMPARE(records.grid()->recordCount(), qint64(1));

    // One day, from and to on the same date.
    records.byDateBox()->setChecked(true);
    QVERIFY(records.fromBox()->isEnabled());
    records.fromBox()->setDate(day);
    records.toBox()->setDate(day);
    records.Query();
    QCOMPARE(records.grid()->recordCount(), qint64(2));
    QCOMPARE(records.grid()->footerText(QStringLiteral("总进价")), QStringLiteral("9.00"));

    records.nameBox()->setText(QStringLiteral(" 可乐 "));
    records.Query();
    QCOMPARE(records.grid()->recordCount(), qint64(1));
    QCOMPARE(records.grid()->currentValue(QStringLiteral("备注")).toString(),
             QStringLiteral("补货"));

    records.toBox()->setDate(day.addDays(1));
    records.Query();
    QCOMPARE(records.grid()->recordCount(), qint64(2));
    QCOMPARE(records.grid()->footerText(QStringLiteral("数量")), QStringLiteral("8"));

    // By name alone, and a reversed period refused.
    records.byDateBox()->setChecked(false);
    records.Query();
    QCOMPARE(records.grid()->recordCount(), qint64(2));
    records.byDateBox()->setChecked(true);
    records.fromBox()->setDate(day.addDays(2));
    records.toBox()->setDate(day);
    records.Query();
    QCOMPARE(v.prompter.lastText(), DayPeriod::refusal());
    QCOMPARE(records.grid()->recordCount(), qint64(2));
}

QTEST_MAIN(TestPurchases)
#include "tst_purchases.moc"
