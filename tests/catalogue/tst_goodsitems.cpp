#include "CatalogueTestKit.h"
#include "catalogue/XmAddUt.h"
#include "catalogue/XmEditUt.h"
#include "catalogue/XmUt.h"
#include "common/DataGrid.h"
#include "platform/GbkCodec.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

class TestGoodsItems : public QObject
{
    Q_OBJECT
private slots:
    void initialsGoCharacterByCharacter();
    void searchListsMatchesOrSaysThereAreNone();
    void addWritesTheItemAndItsOpeningPurchaseTogether();
    void addScreenShowsStockFieldsForStockTypesOnly();
    void editGuardsTheStockAndNeedsThePermission();
    void listCommandsCheckTheirPermissions();
};

void TestGoodsItems::initialsGoCharacterByCharacter()
{
    QCOMPARE(goodsitems::initialsOf(QStringLiteral("洗发水")), QStringLiteral("XFS"));
    // A Latin letter does not shift the characters after it.
    QCOMPARE(goodsitems::initialsOf(QStringLiteral("A洗")), QStringLiteral("AX"));
    QCOMPARE(goodsitems::initialsOf(QStringLiteral("A洗发水")), QStringLiteral("AXFS"));
    // Odd byte length: a digit between characters contributes nothing.
    const QString odd = QStringLiteral("可乐1瓶");
    QCOMPARE(gbk::byteLength(odd) % 2, 1);
    QCOMPARE(goodsitems::initialsOf(odd), QStringLiteral("KLP"));
    // Only A to Z are stored, whatever was typed.
    QCOMPARE(goodsitems::cleanInitials(QStringLiteral(" kl-2 p ")), QStringLiteral("KLP"));
}

void TestGoodsItems::searchListsMatchesOrSaysThereAreNone()
{
    Venue v;
    Database& db = v.database();
    addGoods(db, QStringLiteral("洗发水"), 20, QStringLiteral("饮料"));
    addGoods(db, QStringLiteral("洗面奶"), 30, QStringLiteral("饮料"));
    addGoods(db, QStringLiteral("100%_纯"), 30, QStringLiteral("饮料"));
    TXmFm list(v.session);
    const qint64 all = list.grid()->recordCount();
    QVERIFY(all > 3);

    list.searchBox()->setText(QStringLiteral("   "));
    list.Search();
    QCOMPARE(list.grid()->recordCount(), all);
    QVERIFY(v.prompter.shown().isEmpty());

    list.searchBox()->setText(QStringLiteral(" 洗 "));
    list.Search();
    QStringList names;
    for (int row = 0; row < list.grid()->rowCount(); ++row)
        names << list.grid()->value(row, QStringLiteral("商品名")).toString();
    // 洗浴 of the sample venue contains it too.
    QCOMPARE(names.size(), 3);
    for (const char* name : {"洗发水", "洗面奶", "洗浴"})
        QVERIFY2(names.contains(QString::fromUtf8(name)), name);

    // '%' is a character, not a wildcard.
    list.searchBox()->setText(QStringLiteral("0%_"));
    list.Search();
    QCOMPARE(list.grid()->recordCount(), qint64(1));

    list.searchBox()->setText(QStringLiteral("没有的东西"));
    list.Search();
    QCOMPARE(list.grid()->recordCount(), qint64(0));
    QCOMPARE(v.prompter.lastText(), goodsitems::NoMatch);

    list.ShowAll();
    QCOMPARE(list.grid()->recordCount(), all);
}

void TestGoodsItems::addWritesTheItemAndItsOpeningPurchaseTogether()
{
    Venue v;
    Database& db = v.database();
    const QDate today(2025, 3, 4);

    // A type without stock: no purchase row, no count.
    QVERIFY(goodsitems::addItem(db, entryFor(QStringLiteral("头部护理"), QStringLiteral("按摩")),
                                OpeningStock{QStringLiteral("10"), QStringLiteral("3")},
                                QStringLiteral("店长"), today)
                .done);
    QVERIFY(stockOf(db, QStringLiteral("头部护理")).isNull());
    QCOMPARE(purchaseRows(db, QStringLiteral("头部护理")), qint64(0));

    // A stock type: 10 at 3 each.
    qint64 key = 0;
    QVERIFY(goodsitems::addItem(db, entryFor(QStringLiteral("A洗发水"), QStringLiteral("饮料")),
                                OpeningStock{QStringLiteral("10"), QStringLiteral("3")},
                                QStringLiteral("店长"), today, &key)
                .done);
    QCOMPARE(key, keyOf(db, QStringLiteral("A洗发水")));
    QCOMPARE(stockOf(db, QStringLiteral("A洗发水")).toLongLong(), qint64(10));
    Rows bought = db.query(QStringLiteral("select * from 进货表 where 商品名 = ?"),
                           {QStringLiteral("A洗发水")});
    QVERIFY(bought.next());
    QCOMPARE(bought.money(QStringLiteral("总进价")), Money::fromUnits(30));
    QCOMPARE(bought.number(QStringLiteral("数量")), Money::fromUnits(10));
    QCOMPARE(bought.text(QStringLiteral("管理员")), QStringLiteral("店长"));
    QCOMPARE(bought.dateTime(QStringLiteral("日期")).date(), today);
    QCOMPARE(bought.text(QStringLiteral("拼音")), QStringLiteral("AXFS"));
    QCOMPARE(db.scalar(QStringLiteral("select 拼音 from 商品库 where ID = ?"), {key}).toString(),
             QStringLiteral("AXFS"));
    QVERIFY(!bought.next());

    // Refusals write nothing.
    const qint64 items = count(db, QStringLiteral("select count(*) from 商品库"));
    const qint64 rows = count(db, QStringLiteral("select count(*) from 进货表"));
    const QList<std::pair<GoodsEntry, OpeningStock>> refused = {
        {entryFor(QStringLiteral("甲"), QStringLiteral("饮料")),
         {QStringLiteral("1.5"), QStringLiteral("3")}},
        {entryFor(QStringLiteral("乙"), QStringLiteral("饮料")),
         {QStringLiteral("-1"), QStringLiteral("3")}},
        {entryFor(QStringLiteral("丙"), QStringLiteral("饮料")),
         {QStringLiteral("2"), QStringLiteral("x")}},
        {entryFor(QStringLiteral("丁"), QStringLiteral("饮料")), {QString(), QStringLiteral("3")}},
        {entryFor(QStringLiteral("戊"), QStringLiteral("饮料"), QStringLiteral("abc")),
         {QStringLiteral("2"), QStringLiteral("3")}},
        {entryFor(QString(), QStringLiteral("饮料")), {QStringLiteral("2"), QStringLiteral("3")}},
    };
    for (const auto& [entry, opening] : refused)
        QVERIFY2(!goodsitems::addItem(db, entry, opening, QStringLiteral("店长"), today).done,
                 qPrintable(entry.name));
    QCOMPARE(goodsitems::addItem(db, entryFor(QString(), QStringLiteral("饮料")),
                                 OpeningStock{QStringLiteral("2"), QStringLiteral("3")},
                                 QStringLiteral("店长"), today)
                 .message,
             goodsitems::Incomplete);
    // A stock type without an opening is incomplete, whatever the screen showed.
    QVERIFY(!goodsitems::addItem(db, entryFor(QStringLiteral("己"), QStringLiteral("饮料")),
                                 std::nullopt, QStringLiteral("店长"), today)
                 .done);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 商品库")), items);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 进货表")), rows);

    // The purchase row failing takes the item back with it.
    db.exec(QStringLiteral("drop table 进货表"));
    const CatalogueOutcome failed = goodsitems::addItem(
        db, entryFor(QStringLiteral("矿泉水二"), QStringLiteral("饮料")),
        OpeningStock{QStringLiteral("5"), QStringLiteral("1")}, QStringLiteral("店长"), today);
    QVERIFY(!failed.done);
    QVERIFY(!failed.message.isEmpty());
    QCOMPARE(count(db, QStringLiteral("select count(*) from 商品库 where 商品名 = ?"),
                   {QStringLiteral("矿泉水二")}),
             qint64(0));
}

void TestGoodsItems::addScreenShowsStockFieldsForStockTypesOnly()
{
    Venue v;
    Database& db = v.database();
    TXmAddFm add(v.session);
    add.setToday([] { return QDate(2025, 3, 4); });
    add.typeBox()->setCurrentText(QStringLiteral("按摩"));
    QVERIFY(!add.stockShown());
    add.typeBox()->setCurrentText(QStringLiteral("饮料"));
    QVERIFY(add.stockShown());
    QVERIFY(!add.purchasePriceBox()->isHidden());

    add.nameBox()->setText(QStringLiteral("绿豆汤"));
    QCOMPARE(add.initialsBox()->text(), QStringLiteral("LDT"));
    add.initialsBox()->setText(QStringLiteral("zz"));
    add.priceBox()->setText(QStringLiteral("8"));
    add.quantityBox()->setText(QStringLiteral("4"));
    add.purchasePriceBox()->setText(QStringLiteral("2"));
    add.Save();
    QCOMPARE(add.result(), int(QDialog::Accepted));
    QCOMPARE(add.savedKey(), keyOf(db, QStringLiteral("绿豆汤")));
    QCOMPARE(db.scalar(QStringLiteral("select 拼音 from 进货表 where 商品名 = ?"),
                       {QStringLiteral("绿豆汤")})
                 .toString(),
             QStringLiteral("LDT"));

    TXmAddFm empty(v.session);
    empty.typeBox()->setCurrentText(QStringLiteral("饮料"));
    empty.nameBox()->setText(QStringLiteral("空的"));
    empty.Save();
    QCOMPARE(v.prompter.lastText(), goodsitems::Incomplete);
    QVERIFY(!empty.isHidden() || empty.result() != QDialog::Accepted);
}

void TestGoodsItems::editGuardsTheStockAndNeedsThePermission()
{
    Venue v;
    Database& db = v.database();
    const GoodsItem cola = goodsNamed(db, QStringLiteral("可乐"));
    const qint64 before = stock(db, QStringLiteral("可乐"));

    // Without the permission the screen is read-only and says so.
    v.session.permissions.set(Permission::EditGoods, false);
    {
        TXmEditFm readOnly(v.session, cola.id);
        QVERIFY(readOnly.isReadOnly());
        QCOMPARE(v.prompter.lastText(), QStringLiteral("没有权限"));
        readOnly.priceBox()->setText(QStringLiteral("99"));
        readOnly.Save();
        QCOMPARE(goodsNamed(db, QStringLiteral("可乐")).price, cola.price);
    }
    v.session.permissions.set(Permission::EditGoods, true);

    // Another workstation sells one while the screen is open.
    TXmEditFm edit(v.session, cola.id);
    QVERIFY(!edit.isReadOnly());
    QCOMPARE(edit.stockBox()->text(), QString::number(before));
    auto other = v.db.openAnother();
    other->exec(QStringLiteral("update 商品库 set 库存 = 库存 - 1 where ID = ?"), {cola.id});

    // Changing the price only leaves the sale counted.
    edit.priceBox()->setText(QStringLiteral("6.5"));
    edit.Save();
    QCOMPARE(edit.result(), int(QDialog::Accepted));
    QCOMPARE(goodsNamed(db, QStringLiteral("可乐")).price, *Money::parse(QStringLiteral("6.5")));
    QCOMPARE(stock(db, QStringLiteral("可乐")), before - 1);

    // Typing a count over the stale reading is refused and changes nothing.
    TXmEditFm stale(v.session, cola.id);
    other->exec(QStringLiteral("update 商品库 set 库存 = 库存 - 1 where ID = ?"), {cola.id});
    stale.stockBox()->setText(QStringLiteral("500"));
    stale.priceBox()->setText(QStringLiteral("7"));
    stale.Save();
    QCOMPARE(v.prompter.lastText(), goodsitems::StockChanged);
    QCOMPARE(stock(db, QStringLiteral("可乐")), before - 2);
    QCOMPARE(goodsNamed(db, QStringLiteral("可乐")).price, *Money::parse(QStringLiteral("6.5")));

    // A fresh screen may set it; "取消修改" brings back what was read.
    TXmEditFm fresh(v.session, cola.id);
    fresh.stockBox()->setText(QStringLiteral("1"));
    fresh.CancelChanges();
    QCOMPARE(fresh.stockBox()->text(), QString::number(before - 2));
    fresh.stockBox()->setText(QStringLiteral("500"));
    fresh.nameBox()->setText(QStringLiteral("可乐大瓶"));
    QCOMPARE(fresh.initialsBox()->text(), QStringLiteral("KLDP"));
    fresh.Save();
    QCOMPARE(stockOf(db, QStringLiteral("可乐大瓶")).toLongLong(), qint64(500));

    // An item without a count: the guard holds for the empty value too.
    const qint64 bath = goodsNamed(db, QStringLiteral("洗浴")).id;
    db.exec(QStringLiteral("update 商品库 set 库存 = null where ID = ?"), {bath});
    TXmEditFm empty(v.session, bath);
    QCOMPARE(empty.stockBox()->text(), QString());
    other->exec(QStringLiteral("update 商品库 set 库存 = 3 where ID = ?"), {bath});
    empty.stockBox()->setText(QStringLiteral("9"));
    empty.Save();
    QCOMPARE(v.prompter.lastText(), goodsitems::StockChanged);
    QCOMPARE(stockOf(db, QStringLiteral("洗浴")).toLongLong(), qint64(3));

    // An item deleted meanwhile.
    TXmEditFm gone(v.session, cola.id);
    db.exec(QStringLiteral("delete from 商品库 where ID = ?"), {cola.id});
    gone.Save();
    QCOMPARE(v.prompter.lastText(), goodsitems::Gone);
}

void TestGoodsItems::listCommandsCheckTheirPermissions()
{
    Venue v;
    Database& db = v.database();
    TXmFm list(v.session);
    QStringList opened;
    list.setModalRunner([&](QDialog& dialog) {
        opened << dialog.objectName();
        return int(QDialog::Rejected);
    });
    QVERIFY(list.grid()->selectByKey(QStringLiteral("ID"), keyOf(db, QStringLiteral("可乐"))));

    v.session.permissions.set(Permission::DeleteGoods, false);
    v.session.permissions.set(Permission::StockPurchase, false);
    list.Delete();
    QCOMPARE(v.prompter.lastText(), QStringLiteral("没有权限"));
    list.Purchase();
    QCOMPARE(v.prompter.lastText(), QStringLiteral("没有权限"));
    QVERIFY(opened.isEmpty());
    QCOMPARE(v.prompter.unanswered(), 0);

    v.session.permissions.set(Permission::DeleteGoods, true);
    v.session.permissions.set(Permission::StockPurchase, true);
    list.Purchase();
    QCOMPARE(opened, QStringList{QStringLiteral("TXmAddRdFm")});
    // The purchase gate stops an item whose type keeps no stock.
    QVERIFY(list.grid()->selectByKey(QStringLiteral("ID"), keyOf(db, QStringLiteral("洗浴"))));
    list.Purchase();
    QCOMPARE(v.prompter.lastText(), QStringLiteral("该商品没有库存属性,不能进货!"));
    QCOMPARE(opened.size(), 1);

    // Delete asks first; No keeps the item, Yes removes it and the list follows.
    QVERIFY(list.grid()->selectByKey(QStringLiteral("ID"), keyOf(db, QStringLiteral("可乐"))));
    list.Delete();
    QCOMPARE(v.prompter.lastText(), QStringLiteral("您是否要删除\" 可乐\""));
    QVERIFY(keyOf(db, QStringLiteral("可乐")) > 0);
    const qint64 shown = list.grid()->recordCount();
    v.prompter.queueAnswer(true);
    list.Delete();
    QCOMPARE(keyOf(db, QStringLiteral("可乐")), qint64(0));
    QCOMPARE(list.grid()->recordCount(), shown - 1);
}

QTEST_MAIN(TestGoodsItems)
#include "tst_goodsitems.moc"
