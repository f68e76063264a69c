#include "CatalogueTestKit.h"
#include "catalogue/GoodsTypes.h"
#include "catalogue/XmKindUt.h"
#include "common/DataGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

class TestGoodsTypes : public QObject
{
    Q_OBJECT
private slots:
    void namesAreRequiredAndUnique();
    void renameReachesItemsAndDeleteIsRefusedWhileInUse();
    void stockOnGivesEmptyCountsZero();
    void openLineKeepsItsDiscountFlagThroughCheckout();
    void screenModesAndMessages();
};

void TestGoodsTypes::namesAreRequiredAndUnique()
{
    Venue v;
    Database& db = v.database();
    QCOMPARE(goodstypes::saveType(db, GoodsType{QStringLiteral("  "), true, false}).message,
             goodsitems::Incomplete);
    QCOMPARE(goodstypes::saveType(db, GoodsType{QStringLiteral("饮料"), true, false}).message,
             goodstypes::Duplicate);
    QCOMPARE(goodstypes::saveType(db, GoodsType{QStringLiteral(" 饮料 "), true, false}).message,
             goodstypes::Duplicate);
    // A rename onto another type is a duplicate too, and moves no item.
    const qint64 snacks =
        count(db, QStringLiteral("select count(*) from 商品库 where 商品类型 = ?"),
              {QStringLiteral("小吃")});
    QCOMPARE(goodstypes::saveType(db, GoodsType{QStringLiteral("饮料"), true, false},
                                  QStringLiteral("小吃"))
                 .message,
             goodstypes::Duplicate);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 商品库 where 商品类型 = ?"),
                   {QStringLiteral("小吃")}),
             snacks);
    QVERIFY(goodstypes::saveType(
                db, GoodsType{QStringLiteral("水果"), true, false, QStringLiteral("n")})
                .done);
    QCOMPARE(goodstypes::keepsStock(db, QStringLiteral("水果")), std::optional<bool>(true));
    QCOMPARE(goodstypes::keepsStock(db, QStringLiteral("没有")), std::optional<bool>());
    // Saving a type under its own name changes its flags.
    QVERIFY(goodstypes::saveType(
                db, GoodsType{QStringLiteral("水果"), false, true, QStringLiteral("y")},
                QStringLiteral("水果"))
                .done);
    QCOMPARE(goodstypes::keepsStock(db, QStringLiteral("水果")), std::optional<bool>(false));
}

void TestGoodsTypes::renameReachesItemsAndDeleteIsRefusedWhileInUse()
{
    Venue v;
    Database& db = v.database();
    const qint64 smokes =
        count(db, QStringLiteral("select count(*) from 商品库 where 商品类型 = ?"),
              {QStringLiteral("香烟")});
    QVERIFY(smokes > 0);
    QCOMPARE(goodstypes::deleteType(db, QStringLiteral("香烟")).message, goodstypes::InUse);
    QVERIFY(goodstypes::keepsStock(db, QStringLiteral("香烟")).has_value());

    QVERIFY(goodstypes::saveType(
                db, GoodsType{QStringLiteral("烟草"), true, false, QStringLiteral("n")},
                QStringLiteral("香烟"))
                .done);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 商品库 where 商品类型 = ?"),
                   {QStringLiteral("烟草")}),
             smokes);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 商品库 where 商品类型 = ?"),
                   {QStringLiteral("香烟")}),
             qint64(0));
    QVERIFY(!goodstypes::keepsStock(db, QStringLiteral("香烟")).has_value());

    addType(db, QStringLiteral("空类型"), false);
    QVERIFY(goodstypes::deleteType(db, QStringLiteral("空类型")).done);
    QVERIFY(!goodstypes::keepsStock(db, QStringLiteral("空类型")).has_value());
}

void TestGoodsTypes::stockOnGivesEmptyCountsZero()
{
    Venue v;
    Database& db = v.database();
    db.exec(QStringLiteral("update 商品库 set 库存 = null where 商品类型 = ?"),
            {QStringLiteral("按摩")});
    db.exec(QStringLiteral("update 商品库 set 库存 = 7 where 商品名 = ?"),
            {QStringLiteral("修脚")});
    // Off stays off: nothing changes.
    QVERIFY(goodstypes::saveType(db, GoodsType{QStringLiteral("按摩"), false, true},
                                 QStringLiteral("按摩"))
                .done);
    QVERIFY(stockOf(db, QStringLiteral("足底按摩")).isNull());
    // On: empty counts become 0; other types' items are untouched.
    QVERIFY(goodstypes::saveType(db, GoodsType{QStringLiteral("按摩"), true, true},
                                 QStringLiteral("按摩"))
                .done);
    QCOMPARE(stockOf(db, QStringLiteral("足底按摩")).toLongLong(), qint64(0));
    QVERIFY(!stockOf(db, QStringLiteral("足底按摩")).isNull());
    QCOMPARE(stockOf(db, QStringLiteral("修脚")).toLongLong(), qint64(7));

    // A sale then lowers it below zero instead of leaving it empty.
    QVERIFY(openGroup(db, {QStringLiteral("A01")}, Money()).isEmpty());
    QVERIFY(addLine(db, QStringLiteral("A01"), goodsNamed(db, QStringLiteral("足底按摩"))).stored);
    QCOMPARE(stockOf(db, QStringLiteral("足底按摩")).toLongLong(), qint64(-1));
    // Switching off leaves the counts as they are.
    QVERIFY(goodstypes::saveType(db, GoodsType{QStringLiteral("按摩"), false, true},
                                 QStringLiteral("按摩"))
                .done);
    QCOMPARE(stockOf(db, QStringLiteral("足底按摩")).toLongLong(), qint64(-1));
}

void TestGoodsTypes::openLineKeepsItsDiscountFlagThroughCheckout()
{
    Venue v;
    Database& db = v.database();
    addType(db, QStringLiteral("饰品"), false, QStringLiteral("y"));
    const GoodsItem clip = addGoods(db, QStringLiteral("发夹"), 100, QStringLiteral("饰品"));
    QVERIFY(openGroup(db, {QStringLiteral("A01")}, Money()).isEmpty());
    QCOMPARE(addLine(db, QStringLiteral("A01"), clip).discountFlag, QStringLiteral("y"));

    // The type stops taking part; the open line keeps its flag.
    QVERIFY(goodstypes::saveType(
                db, GoodsType{QStringLiteral("饰品"), false, false, QStringLiteral("n")},
                QStringLiteral("饰品"))
                .done);
    QCOMPARE(addLine(db, QStringLiteral("A01"), clip).discountFlag, QStringLiteral("n"));
    QCOMPARE(
        db.scalar(QStringLiteral("select count(*) from 手牌消费 where 商品名 = ? and 参与打折 = ?"),
                  {QStringLiteral("发夹"), QStringLiteral("y")})
            .toLongLong(),
        qint64(1));

    // Checkout at 80%: the first line is discounted, the later one is not.
    checkoutgroup::applyDiscount(db, QStringLiteral("A01"), *Money::parse(QStringLiteral("0.8")));
    QCOMPARE(money(db, QStringLiteral("select sum(合计) from 手牌消费 where 主手牌号 = ?"),
                   {QStringLiteral("A01")}),
             Money::fromUnits(180));
}

void TestGoodsTypes::screenModesAndMessages()
{
    Venue v;
    Database& db = v.database();
    TXmKindFm screen(v.session);
    QCOMPARE(screen.mode(), EditModes::Mode::Browsing);
    screen.Add();
    QCOMPARE(screen.mode(), EditModes::Mode::Adding);
    QCOMPARE(screen.discountBox()->currentText(), QStringLiteral("y"));
    screen.nameBox()->setText(QStringLiteral("饮料"));
    screen.Save();
    QCOMPARE(v.prompter.lastText(), goodstypes::Duplicate);
    QCOMPARE(screen.mode(), EditModes::Mode::Adding);
    screen.nameBox()->setText(QStringLiteral("茶点"));
    screen.stockBox()->setChecked(true);
    screen.discountBox()->setCurrentText(QStringLiteral("n"));
    screen.Save();
    QCOMPARE(screen.mode(), EditModes::Mode::Browsing);
    QCOMPARE(screen.grid()->currentValue(QStringLiteral("名称")).toString(),
             QStringLiteral("茶点"));
    QCOMPARE(db.scalar(QStringLiteral("select 参与打折 from 商品类型 where 名称 = ?"),
                       {QStringLiteral("茶点")})
                 .toString(),
             QStringLiteral("n"));

    // Rename from the screen.
    screen.Change();
    screen.nameBox()->setText(QStringLiteral("茶歇"));
    screen.Save();
    QCOMPARE(screen.grid()->currentValue(QStringLiteral("名称")).toString(),
             QStringLiteral("茶歇"));
    QVERIFY(screen.stockBox()->isChecked());

    // Delete asks, and is refused for a type in use.
    QVERIFY(screen.grid()->selectByKey(QStringLiteral("名称"), QStringLiteral("饮料")));
    v.prompter.queueAnswer(true);
    screen.Delete();
    QCOMPARE(v.prompter.texts().at(v.prompter.texts().size() - 2),
             QStringLiteral("您是否要删除\" 饮料\""));
    QCOMPARE(v.prompter.lastText(), goodstypes::InUse);
    QVERIFY(goodstypes::keepsStock(db, QStringLiteral("饮料")).has_value());
}

QTEST_MAIN(TestGoodsTypes)
#include "tst_goodstypes.moc"
