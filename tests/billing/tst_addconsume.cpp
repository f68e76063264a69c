#include "BillingTestKit.h"
#include "billing/AddConsumeUt.h"
#include "billing/FwsXzUt.h"
#include "common/DataGrid.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

using namespace shoupai;
using namespace shoupai::test;

namespace {

// Makes the goods grid's current row the one of the named goods.
bool pick(TAddConsumeFm& screen, const QString& name)
{
    DataGrid* grid = screen.goodsGrid();
    for (int row = 0; row < grid->rowCount(); ++row) {
        if (grid->value(row, QStringLiteral("商品名")).toString() == name) {
            grid->setCurrentRow(row);
            return true;
        }
    }
    return false;
}

QStringList goodsNames(TAddConsumeFm& screen)
{
    QStringList names;
    for (int row = 0; row < screen.goodsGrid()->rowCount(); ++row)
        names << screen.goodsGrid()->value(row, QStringLiteral("商品名")).toString();
    return names;
}

struct Line
{
    QString tag, name, type, employeeNumber, employeeName, discount, operatorName, mainTag;
    Money price, actualPrice, total, commission;
    qint64 quantity = 0;
};

QList<Line> lines(Database& db)
{
    QList<Line> list;
    Rows rows = db.query(QStringLiteral("select * from 手牌消费 where 商品名 <> ? order by ID"),
                         {QStringLiteral("门票")});
    while (rows.next())
        list.append({rows.text(QStringLiteral("手牌号码")), rows.text(QStringLiteral("商品名")),
                     rows.text(QStringLiteral("商品类型")), rows.text(QStringLiteral("员工编号")),
                     rows.text(QStringLiteral("员工姓名")), rows.text(QStringLiteral("参与打折")),
                     rows.text(QStringLiteral("营业员")), rows.text(QStringLiteral("主手牌号")),
                     rows.money(QStringLiteral("单价")), rows.money(QStringLiteral("实际单价")),
                     rows.money(QStringLiteral("合计")), rows.money(QStringLiteral("提成金额")),
                     rows.integer(QStringLiteral("数量"))});
    return list;
}

} // namespace

class TestAddConsume : public QObject
{
    Q_OBJECT
private slots:
    void addsLinesAndLowersStock();
    void negativeQuantity();
    void employeePicker();
    void goodsTypesDecideStockAndDiscount();
    void refusedQuantitiesAndTags();
    void searchAndFilters();
    void failureLeavesStockAlone();
    void restoredScreenKeepsInput();
    void repeatedAddsKeepTheChosenGoods();
    void goodsGoneFromTheListBookNothing();
};

void TestAddConsume::addsLinesAndLowersStock()
{
    Venue v;
    Database& db = v.database();
    QCOMPARE(openGroup(db, {QStringLiteral("A01"), QStringLiteral("A02")}, Money::fromUnits(20)),
             QString());
    addGoods(db, QStringLiteral("果汁"), 25, QStringLiteral("饮料"), 40);
    v.board.shown = QStringLiteral("A02");
    TAddConsumeFm screen(v.session, v.board);
    screen.setOpensCheckout(false);
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));
    QCOMPARE(screen.windowTitle(), QStringLiteral("消费"));
    QCOMPARE(screen.findChild<QLabel*>(QStringLiteral("tagValue"))->text(), QStringLiteral("A02"));
    QCOMPARE(screen.findChild<QLabel*>(QStringLiteral("mainTagValue"))->text(),
             QStringLiteral("A01"));
    QCOMPARE(screen.quantityEdit()->text(), QStringLiteral("1"));
    QCOMPARE(screen.typeList()->item(0)->text(), QStringLiteral("全部"));
    QCOMPARE(screen.typeList()->count(), 7);
    // The tag's own lines: its ticket.
    QCOMPARE(screen.linesGrid()->rowCount(), 1);

    QVERIFY(pick(screen, QStringLiteral("果汁")));
    screen.quantityEdit()->setText(QStringLiteral("3"));
    QCOMPARE(screen.findChild<QLabel*>(QStringLiteral("signedQuantityValue"))->text(),
             QStringLiteral("3"));
    QTest::keyClick(&screen, Qt::Key_F5);
    const QList<Line> stored = lines(db);
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored[0].tag, QStringLiteral("A02"));
    QCOMPARE(stored[0].mainTag, QStringLiteral("A01"));
    QCOMPARE(stored[0].quantity, 3);
    QCOMPARE(stored[0].price, Money::fromUnits(25));
    QCOMPARE(stored[0].actualPrice, Money::fromUnits(25));
    QCOMPARE(stored[0].total, Money::fromUnits(75));
    QCOMPARE(stored[0].commission, Money::fromUnits(2));
    QCOMPARE(stored[0].type, QStringLiteral("饮料"));
    QCOMPARE(stored[0].discount, QStringLiteral("y"));
    QCOMPARE(stored[0].employeeNumber, QStringLiteral("n"));
    QCOMPARE(stored[0].employeeName, QStringLiteral("n"));
    QCOMPARE(stored[0].operatorName, QStringLiteral("收银员甲"));
    QCOMPARE(stock(db, QStringLiteral("果汁")), 37);
    QCOMPARE(screen.quantityEdit()->text(), QStringLiteral("1"));
    QCOMPARE(screen.linesGrid()->rowCount(), 2);
    QCOMPARE(stored::toMoney(screen.linesGrid()->value(1, QStringLiteral("合计"))),
             Money::fromUnits(75));
    QCOMPARE(v.prompter.shown().size(), 0);
}

void TestAddConsume::negativeQuantity()
{
    Venue v;
    Database& db = v.database();
    QCOMPARE(openGroup(db, {QStringLiteral("A01")}, Money()), QString());
    v.board.shown = QStringLiteral("A01");
    TAddConsumeFm screen(v.session, v.board);
    screen.load();
    QVERIFY(pick(screen, QStringLiteral("可乐")));
    const qint64 before = stock(db, QStringLiteral("可乐"));
    screen.quantityEdit()->setText(QStringLiteral("2"));
    screen.negativeBox()->setChecked(true);
    QCOMPARE(screen.signedQuantity(), QStringLiteral("-2"));

    v.prompter.queueAnswer(false);
    QVERIFY(!screen.ZengJiaHs());
    QCOMPARE(v.prompter.lastText(), QStringLiteral("您选择了\"负数\",请确定."));
    QCOMPARE(lines(db).size(), 0);
    QVERIFY(screen.negativeBox()->isChecked());

    v.prompter.queueAnswer(true);
    QVERIFY(screen.ZengJiaHs());
    const QList<Line> stored = lines(db);
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored[0].quantity, -2);
    QCOMPARE(stored[0].total, -Money::fromUnits(12));
    QCOMPARE(stock(db, QStringLiteral("可乐")), before + 2);
    QVERIFY(!screen.negativeBox()->isChecked());
    QCOMPARE(screen.signedQuantity(), QStringLiteral("1"));
}

void TestAddConsume::employeePicker()
{
    Venue v;
    Database& db = v.database();
    QCOMPARE(openGroup(db, {QStringLiteral("A01")}, Money()), QString());
    v.board.shown = QStringLiteral("A01");
    TAddConsumeFm screen(v.session, v.board);
    screen.load();

    // Chosen: the employee goes into the line.
    int pickerShown = 0;
    screen.setPickerHook([&](TFwsXzFm& picker) {
        ++pickerShown;
        QCOMPARE(picker.windowTitle(), QStringLiteral("选择服务生"));
        QCOMPARE(picker.grid()->rowCount(), 4);
        picker.searchByName(QStringLiteral("李"));
        QCOMPARE(picker.grid()->rowCount(), 1);
        picker.showAll();
        picker.searchByNumber(QStringLiteral("00"));
        QCOMPARE(picker.grid()->rowCount(), 0);
        picker.searchByNumber(QStringLiteral("002"));
        picker.choose();
    });
    QVERIFY(pick(screen, QStringLiteral("足底按摩")));
    QVERIFY(screen.ZengJiaHs());
    QCOMPARE(pickerShown, 1);
    QList<Line> stored = lines(db);
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored[0].employeeNumber, QStringLiteral("002"));
    QCOMPARE(stored[0].employeeName, QStringLiteral("李娜"));
    QCOMPARE(stored[0].commission, Money::fromUnits(30));

    // Cancelled: nothing stored, quantity and sign stay.
    screen.setPickerHook([](TFwsXzFm& picker) { picker.cancelChoice(); });
    screen.quantityEdit()->setText(QStringLiteral("2"));
    QVERIFY(!screen.ZengJiaHs());
    QCOMPARE(lines(db).size(), 1);
    QCOMPARE(screen.quantityEdit()->text(), QStringLiteral("2"));

    // Escape is "取消" too, also from a search box: nothing stored.
    TFwsXzFm::Outcome escaped = TFwsXzFm::Outcome::Chosen;
    screen.setPickerHook([&escaped](TFwsXzFm& picker) {
        QTest::keyClick(picker.nameEdit(), Qt::Key_Escape);
        escaped = picker.outcome();
    });
    QVERIFY(!screen.ZengJiaHs());
    QCOMPARE(escaped, TFwsXzFm::Outcome::Cancelled);
    QCOMPARE(lines(db).size(), 1);

    // Closed by its frame: the line is stored without an employee.
    screen.setPickerHook([](TFwsXzFm& picker) { picker.close(); });
    QVERIFY(screen.ZengJiaHs());
    stored = lines(db);
    QCOMPARE(stored.size(), 2);
    QCOMPARE(stored[1].employeeNumber, QStringLiteral("n"));
    QCOMPARE(stored[1].quantity, 2);

    // Goods without service never show the picker.
    pickerShown = 0;
    screen.setPickerHook([&](TFwsXzFm&) { ++pickerShown; });
    QVERIFY(pick(screen, QStringLiteral("矿泉水")));
    QVERIFY(screen.ZengJiaHs());
    QCOMPARE(pickerShown, 0);
}

void TestAddConsume::goodsTypesDecideStockAndDiscount()
{
    Venue v;
    Database& db = v.database();
    QCOMPARE(openGroup(db, {QStringLiteral("A01")}, Money()), QString());
    addGoods(db, QStringLiteral("无类商品"), 9, QStringLiteral("不存在的类"), 10);
    db.exec(QStringLiteral(
                "insert into 商品类型 (名称, 库存, 是否需要服务, 参与打折) values (?, ?, ?, ?)"),
            {QStringLiteral("重复类"), true, false, QStringLiteral("n")});
    // A second row of the same name, as an older database may have.
    db.exec(QStringLiteral("drop index ") + db.dialect().quote(QStringLiteral("uq_商品类型_名称")));
    db.exec(QStringLiteral(
                "insert into 商品类型 (名称, 库存, 是否需要服务, 参与打折) values (?, ?, ?, ?)"),
            {QStringLiteral("重复类"), true, false, QStringLiteral("n")});
    addGoods(db, QStringLiteral("双类商品"), 9, QStringLiteral("重复类"), 10);
    v.board.shown = QStringLiteral("A01");
    TAddConsumeFm screen(v.session, v.board);
    screen.load();
    for (const QString& name :
         {QStringLiteral("无类商品"), QStringLiteral("双类商品"), QStringLiteral("中华香烟")}) {
        QVERIFY(pick(screen, name));
        QVERIFY(screen.ZengJiaHs());
    }
    const QList<Line> stored = lines(db);
    QCOMPARE(stored[0].discount, QStringLiteral("y"));
    QCOMPARE(stored[1].discount, QStringLiteral("y"));
    QCOMPARE(stored[2].discount, QStringLiteral("n"));
    QCOMPARE(stock(db, QStringLiteral("无类商品")), 10);
    QCOMPARE(stock(db, QStringLiteral("双类商品")), 10);
    QCOMPARE(stock(db, QStringLiteral("中华香烟")), 29);
}

void TestAddConsume::refusedQuantitiesAndTags()
{
    Venue v;
    Database& db = v.database();
    QCOMPARE(openGroup(db, {QStringLiteral("A01")}, Money()), QString());
    v.board.shown = QStringLiteral("A01");
    TAddConsumeFm screen(v.session, v.board);
    screen.load();
    QVERIFY(pick(screen, QStringLiteral("可乐")));
    for (const QString& text :
         {QString(), QStringLiteral("1.5"), QStringLiteral("0"), QStringLiteral("10000"),
          QStringLiteral("."), QStringLiteral("2.")}) {
        screen.quantityEdit()->setText(text);
        v.prompter.clear();
        QVERIFY2(!screen.ZengJiaHs(), qPrintable(text));
        QCOMPARE(v.prompter.lastText(), QStringLiteral("消费数量必须是1到9999之间的整数!"));
    }
    QCOMPARE(lines(db).size(), 0);
    QCOMPARE(stock(db, QStringLiteral("可乐")), 120);
    // The field itself takes only digits and the point.
    screen.quantityEdit()->clear();
    QTest::keyClicks(screen.quantityEdit(), QStringLiteral("a-1.2"));
    QCOMPARE(screen.quantityEdit()->text(), QStringLiteral("1.2"));

    // A tag whose bill was checked out elsewhere takes no line.
    db.exec(QStringLiteral("delete from 手牌开单"));
    screen.quantityEdit()->setText(QStringLiteral("1"));
    QVERIFY(!screen.ZengJiaHs());
    QCOMPARE(v.prompter.lastText(), QStringLiteral("手牌A01没有开单,不能增加消费!"));
    QCOMPARE(lines(db).size(), 0);
    QCOMPARE(stock(db, QStringLiteral("可乐")), 120);
}

void TestAddConsume::searchAndFilters()
{
    Venue v;
    Database& db = v.database();
    QCOMPARE(openGroup(db, {QStringLiteral("A01")}, Money()), QString());
    v.board.shown = QStringLiteral("A01");
    TAddConsumeFm screen(v.session, v.board);
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));
    QCOMPARE(screen.goodsGrid()->rowCount(), 13);
    QCOMPARE(goodsNames(screen).first(), QStringLiteral("矿泉水"));

    screen.search(QStringLiteral("kqs"));
    QCOMPARE(goodsNames(screen), QStringList{QStringLiteral("矿泉水")});
    QVERIFY(screen.quantityEdit()->hasFocus() || !screen.isActiveWindow());
    screen.search(QStringLiteral("香烟"));
    QCOMPARE(goodsNames(screen),
             (QStringList{QStringLiteral("中华香烟"), QStringLiteral("利群香烟")}));
    screen.search(QStringLiteral("50"));
    QCOMPARE(goodsNames(screen), (QStringList{QStringLiteral("足底按摩"),
                                              QStringLiteral("全身按摩"), QStringLiteral("修脚")}));
    screen.search(QStringLiteral("'%"));
    QCOMPARE(screen.goodsGrid()->rowCount(), 0);

    screen.filterByType(QStringLiteral("按摩"));
    QCOMPARE(goodsNames(screen),
             (QStringList{QStringLiteral("足底按摩"), QStringLiteral("全身按摩")}));
    screen.filterByType(QStringLiteral("全部"));
    QCOMPARE(screen.goodsGrid()->rowCount(), 13);
    QCOMPARE(screen.goodsGrid()->value(12, QStringLiteral("编号")).toString(),
             QStringLiteral("503"));

    // F1 focuses the search field; leaving it clears the text.
    screen.activateWindow();
    QTest::keyClick(&screen, Qt::Key_F1);
    QTest::keyClicks(screen.searchEdit(), QStringLiteral("lc"));
    QTest::keyClick(screen.searchEdit(), Qt::Key_Return);
    QCOMPARE(goodsNames(screen), QStringList{QStringLiteral("绿茶")});
    screen.quantityEdit()->setFocus();
    QTRY_VERIFY(screen.searchEdit()->text().isEmpty());
    QCOMPARE(goodsNames(screen), QStringList{QStringLiteral("绿茶")});
}

void TestAddConsume::failureLeavesStockAlone()
{
    Venue v;
    Database& db = v.database();
    QCOMPARE(openGroup(db, {QStringLiteral("A01")}, Money()), QString());
    v.board.shown = QStringLiteral("A01");
    TAddConsumeFm screen(v.session, v.board);
    screen.load();
    QVERIFY(pick(screen, QStringLiteral("可乐")));
    // The line's insert, the last statement, fails.
    if (db.backend() == Backend::Sqlite)
        db.exec(QStringLiteral("create trigger 拒绝 before insert on 手牌消费 begin "
                               "select raise(abort, 'line refused'); end"));
    else {
        db.exec(QStringLiteral("create function refuse_line() returns trigger language plpgsql as "
                               "$$ begin raise exception 'line refused'; end $$"));
        db.exec(QStringLiteral("create trigger refuse_line before insert on 手牌消费 "
                               "for each row execute function refuse_line()"));
    }
    QVERIFY(!screen.ZengJiaHs());
    QCOMPARE(v.prompter.shown().last().kind, Prompter::Kind::Error);
    QVERIFY(v.prompter.lastText().contains(QStringLiteral("line refused")));
    QCOMPARE(stock(db, QStringLiteral("可乐")), 120);
    QVERIFY(!db.inTransaction());
}

void TestAddConsume::restoredScreenKeepsInput()
{
    Venue v;
    QCOMPARE(openGroup(v.database(), {QStringLiteral("A01")}, Money()), QString());
    v.board.shown = QStringLiteral("A01");
    TAddConsumeFm screen(v.session, v.board);
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));
    screen.filterByType(QStringLiteral("按摩"));
    screen.quantityEdit()->setText(QStringLiteral("3"));
    screen.negativeBox()->setChecked(true);

    // Minimised and restored: the quantity, the sign and the goods shown stay.
    screen.showMinimized();
    screen.showNormal();
    QCOMPARE(screen.quantityEdit()->text(), QStringLiteral("3"));
    QVERIFY(screen.negativeBox()->isChecked());
    QCOMPARE(screen.signedQuantity(), QStringLiteral("-3"));
    QCOMPARE(goodsNames(screen),
             (QStringList{QStringLiteral("足底按摩"), QStringLiteral("全身按摩")}));
}

namespace {

// Two cigarettes of a stock-keeping type, entered 中华香烟 first.
void enterCigarettes(Database& db, qint64 zhonghuaStock, qint64 liqunStock)
{
    db.exec(QStringLiteral("delete from 商品库 where 商品类型 = ?"), {QStringLiteral("香烟")});
    addGoods(db, QStringLiteral("中华香烟"), 65, QStringLiteral("香烟"), zhonghuaStock);
    addGoods(db, QStringLiteral("利群香烟"), 25, QStringLiteral("香烟"), liqunStock);
}

QStringList lineNames(Database& db)
{
    QStringList names;
    for (const Line& line : lines(db))
        names << line.name;
    return names;
}

} // namespace

void TestAddConsume::repeatedAddsKeepTheChosenGoods()
{
    Venue v;
    Database& db = v.database();
    QCOMPARE(openGroup(db, {QStringLiteral("A01")}, Money()), QString());
    enterCigarettes(db, 30, 40);
    v.board.shown = QStringLiteral("A01");
    TAddConsumeFm screen(v.session, v.board);
    screen.load();
    const QString zhonghua = QStringLiteral("中华香烟");
    const QString liqun = QStringLiteral("利群香烟");

    // Lowering the stock rewrites the row; the list keeps its order and the
    // second F5 books the same goods.
    screen.search(QStringLiteral("香烟"));
    QCOMPARE(goodsNames(screen), (QStringList{zhonghua, liqun}));
    QVERIFY(pick(screen, zhonghua));
    QVERIFY(screen.ZengJiaHs());
    QCOMPARE(goodsNames(screen), (QStringList{zhonghua, liqun}));
    QCOMPARE(screen.goodsGrid()->currentValue(QStringLiteral("商品名")).toString(), zhonghua);
    QVERIFY(screen.ZengJiaHs());
    QCOMPARE(lineNames(db), (QStringList{zhonghua, zhonghua}));
    QCOMPARE(stock(db, zhonghua), 28);
    QCOMPARE(stock(db, liqun), 40);

    // Sorted by stock, the add moves the row above the other one.
    db.exec(QStringLiteral("update 商品库 set 库存 = ? where 商品名 = ?"), {5, zhonghua});
    db.exec(QStringLiteral("update 商品库 set 库存 = ? where 商品名 = ?"), {4, liqun});
    QVERIFY(screen.goodsGrid()->sortBy(QStringLiteral("库存")));
    QCOMPARE(goodsNames(screen), (QStringList{liqun, zhonghua}));
    QVERIFY(pick(screen, zhonghua));
    screen.quantityEdit()->setText(QStringLiteral("2"));
    QVERIFY(screen.ZengJiaHs());
    QCOMPARE(goodsNames(screen), (QStringList{zhonghua, liqun}));
    QCOMPARE(screen.goodsGrid()->currentRow(), 0);
    QVERIFY(screen.ZengJiaHs());
    QCOMPARE(lineNames(db), (QStringList{zhonghua, zhonghua, zhonghua, zhonghua}));
    QCOMPARE(stock(db, zhonghua), 2);
    QCOMPARE(stock(db, liqun), 4);
    QCOMPARE(v.prompter.shown().size(), 0);
}

void TestAddConsume::goodsGoneFromTheListBookNothing()
{
    Venue v;
    Database& db = v.database();
    QCOMPARE(openGroup(db, {QStringLiteral("A01")}, Money()), QString());
    enterCigarettes(db, 30, 40);
    v.board.shown = QStringLiteral("A01");
    TAddConsumeFm screen(v.session, v.board);
    screen.load();
    const std::unique_ptr<Database> other = v.db.openAnother();

    // Renamed at another till: the add stores it, the refreshed search no
    // longer lists it, and no other row takes its place.
    screen.search(QStringLiteral("香烟"));
    QVERIFY(pick(screen, QStringLiteral("利群香烟")));
    other->exec(QStringLiteral("update 商品库 set 商品名 = ?, 编号 = ? where 商品名 = ?"),
                {QStringLiteral("利群"), QStringLiteral("L1"), QStringLiteral("利群香烟")});
    QVERIFY(screen.ZengJiaHs());
    QCOMPARE(goodsNames(screen), QStringList{QStringLiteral("中华香烟")});
    QVERIFY(!screen.goodsGrid()->hasCurrentRecord());
    QVERIFY(!screen.ZengJiaHs());
    QCOMPARE(lineNames(db), QStringList{QStringLiteral("利群")});
    QCOMPARE(stock(db, QStringLiteral("中华香烟")), 30);

    // Deleted at another till: refused once, and the next F5 books nothing.
    QVERIFY(pick(screen, QStringLiteral("中华香烟")));
    other->exec(QStringLiteral("delete from 商品库 where 商品名 = ?"),
                {QStringLiteral("中华香烟")});
    QVERIFY(!screen.ZengJiaHs());
    QCOMPARE(v.prompter.lastText(), QStringLiteral("该商品已经不存在!"));
    QVERIFY(screen.goodsGrid()->rowCount() > 0);
    QVERIFY(!screen.goodsGrid()->hasCurrentRecord());
    const qsizetype prompts = v.prompter.shown().size();
    QVERIFY(!screen.ZengJiaHs());
    QCOMPARE(v.prompter.shown().size(), prompts);
    QCOMPARE(lineNames(db), QStringList{QStringLiteral("利群")});
}

QTEST_MAIN(TestAddConsume)
#include "tst_addconsume.moc"
