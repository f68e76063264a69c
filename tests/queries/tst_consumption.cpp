#include "QueriesFixture.h"
#include "StatementCounter.h"
#include "common/ReportPreview.h"
#include "queries/HYConsumeCxUt.h"
#include "queries/XfCxUt.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

namespace {

void addNumberedTag(Database& db, const QString& tag, qint64 number, const QString& state)
{
    db.exec(QStringLiteral("insert into 手牌管理 (手牌号码, 所属包厢, 手牌状态, number, 所在位置, "
                           "包厢性质) values (?, ?, ?, ?, ?, ?)"),
            {tag, QStringLiteral("大厅"), state, QVariant::fromValue<qlonglong>(number), QString(),
             QString()});
}

void addOpenLine(Database& db, const QString& tag, const QString& mainTag, const QString& goods,
                 qint64 amount)
{
    db.exec(QStringLiteral("insert into 手牌消费 (手牌号码, 主手牌号, 商品名, 商品类型, 单价, "
                           "实际单价, 数量, 折扣, 合计, 消费时间, 员工姓名, 营业员, 状态) values "
                           "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {tag, mainTag, goods, QStringLiteral("洗浴"), QVariant::fromValue(units(amount)),
             QVariant::fromValue(units(amount)), QVariant::fromValue<qlonglong>(1), 1.0,
             QVariant::fromValue(units(amount)), QDateTime::currentDateTime(), QStringLiteral("n"),
             QStringLiteral("收银员甲"), QStringLiteral("未结")});
}

void click(QListWidget* list, const QString& text)
{
    QListWidgetItem* item = list->findItems(text, Qt::MatchExactly).value(0);
    QVERIFY2(item, qPrintable(text));
    list->setCurrentItem(item);
    emit list->itemClicked(item);
}

StoredBill memberBill(const QString& number, const QString& card, const QString& guest,
                      const QString& operatorName, qint64 amount)
{
    StoredBill bill;
    bill.number = number;
    bill.card = card;
    bill.guest = guest;
    bill.operatorName = operatorName;
    bill.consumption = bill.received = units(amount);
    return bill;
}

} // namespace

class TestConsumption : public QObject
{
    Q_OBJECT
private slots:
    void mergedTagsShowTheirGroupBill();
    void typedTagWithoutLinesEmptiesTheGrid();
    void noOccupiedTag();
    void memberSearches();
    void memberSearchRefusalsRunNothing();
};

void TestConsumption::mergedTagsShowTheirGroupBill()
{
    QueryVenue venue;
    addNumberedTag(venue.d(), QStringLiteral("12"), 5, QStringLiteral("占用"));
    addNumberedTag(venue.d(), QStringLiteral("5"), 1, QStringLiteral("占用"));
    addNumberedTag(venue.d(), QStringLiteral("6"), 2, QStringLiteral("占用"));
    addOpenLine(venue.d(), QStringLiteral("5"), QStringLiteral("5"), QStringLiteral("搓背"), 30);
    addOpenLine(venue.d(), QStringLiteral("6"), QStringLiteral("5"), QStringLiteral("可乐"), 5);

    TXfCxFm screen(venue.session);
    // Listed as the board orders them, by number.
    QStringList listed;
    for (int i = 0; i < screen.tagList()->count(); ++i)
        listed << screen.tagList()->item(i)->text();
    QCOMPARE(listed, (QStringList{"5", "6", "12"}));
    // The opening shows the first tag's whole bill, as a click on it does.
    QCOMPARE(screen.tagValue()->text(), QStringLiteral("5"));
    QCOMPARE(sorted(columnValues(screen.grid(), QStringLiteral("商品名"))),
             (QStringList{"可乐", "搓背"}));
    QCOMPARE(screen.totalValue()->text(), QStringLiteral("35"));

    click(screen.tagList(), QStringLiteral("6"));
    QCOMPARE(screen.tagValue()->text(), QStringLiteral("6"));
    QCOMPARE(screen.grid()->recordCount(), 0);
    QCOMPARE(screen.totalValue()->text(), QStringLiteral("0"));

    // A bill without lines yet.
    click(screen.tagList(), QStringLiteral("12"));
    QCOMPARE(screen.totalValue()->text(), QStringLiteral("0"));

    click(screen.tagList(), QStringLiteral("5"));
    QCOMPARE(screen.grid()->recordCount(), 2);
    ScriptedReportPreviewer previewer;
    screen.PrintReport();
    QCOMPARE(previewer.shown().size(), 1);
    QCOMPARE(previewer.shown().first().parameters, QVariantList{QStringLiteral("5")});
    QVERIFY(venue.prompter.shown().isEmpty());
}

void TestConsumption::typedTagWithoutLinesEmptiesTheGrid()
{
    QueryVenue venue;
    addNumberedTag(venue.d(), QStringLiteral("5"), 1, QStringLiteral("占用"));
    addNumberedTag(venue.d(), QStringLiteral("6"), 2, QStringLiteral("占用"));
    addOpenLine(venue.d(), QStringLiteral("5"), QStringLiteral("5"), QStringLiteral("搓背"), 30);
    addOpenLine(venue.d(), QStringLiteral("6"), QStringLiteral("5"), QStringLiteral("可乐"), 5);

    TXfCxFm screen(venue.session);
    click(screen.tagList(), QStringLiteral("6"));
    screen.findField()->setText(QStringLiteral("5"));
    QTest::keyClick(screen.findField(), Qt::Key_Return);
    QCOMPARE(screen.tagValue()->text(), QStringLiteral("5"));
    QCOMPARE(screen.grid()->recordCount(), 2);
    QCOMPARE(screen.totalValue()->text(), QStringLiteral("35"));

    screen.findField()->setText(QStringLiteral("99"));
    QTest::keyClick(screen.findField(), Qt::Key_Return);
    QCOMPARE(screen.tagValue()->text(), QStringLiteral("99"));
    QCOMPARE(screen.grid()->recordCount(), 0);
    QCOMPARE(screen.totalValue()->text(), QStringLiteral("0"));
    // What is printed is what is shown: nothing of tag 5.
    ScriptedReportPreviewer previewer;
    screen.PrintReport();
    for (const ScriptedReportPreviewer::Shown& shown : previewer.shown())
        QCOMPARE(shown.parameters, QVariantList{QStringLiteral("99")});
}

void TestConsumption::noOccupiedTag()
{
    QueryVenue venue;
    TXfCxFm screen(venue.session);
    QCOMPARE(venue.prompter.texts(), QStringList{QStringLiteral("没有正在消费的手牌!")});
    QCOMPARE(screen.tagList()->count(), 0);
    QCOMPARE(screen.grid()->recordCount(), 0);
    QVERIFY(screen.tagValue()->text().isEmpty());
    QVERIFY(screen.totalValue()->text().isEmpty());
}

void TestConsumption::memberSearches()
{
    QueryVenue venue;
    insertStoredBill(venue.d(), memberBill(QStringLiteral("1"), QStringLiteral("120"),
                                           QStringLiteral("王芳"), QStringLiteral("张三"), 10));
    insertStoredBill(venue.d(), memberBill(QStringLiteral("2"), QStringLiteral("312"),
                                           QStringLiteral("李明"), QStringLiteral("小张"), 20));
    insertStoredBill(venue.d(), memberBill(QStringLiteral("3"), QStringLiteral("非会员"),
                                           QStringLiteral("王五"), QStringLiteral("李四"), 40));
    insertStoredBill(venue.d(), memberBill(QStringLiteral("4"), QStringLiteral("45"),
                                           QStringLiteral("赵六"), QStringLiteral("李四"), 80));

    THYConsumeCXFm screen(venue.session);
    // Every bill, members or not, with the sums under the amounts.
    QCOMPARE(screen.grid()->recordCount(), 4);
    QCOMPARE(screen.grid()->footerText(QStringLiteral("实收金额")),
             QStringLiteral("Sum is 150.00"));
    QCOMPARE(screen.columnField()->currentText(), QStringLiteral("会员卡号"));

    screen.columnField()->setCurrentText(QStringLiteral("营业员"));
    screen.textField()->setText(QStringLiteral("张"));
    screen.Search();
    QCOMPARE(sorted(columnValues(screen.grid(), QStringLiteral("单据号"))),
             (QStringList{"1", "2"}));

    screen.columnField()->setCurrentText(QStringLiteral("会员卡号"));
    screen.textField()->setText(QStringLiteral("12"));
    screen.Search();
    QCOMPARE(sorted(columnValues(screen.grid(), QStringLiteral("会员卡号"))),
             (QStringList{"120", "312"}));

    // The member's name is the guest name of member bills; a walk-in's is not.
    screen.columnField()->setCurrentText(QStringLiteral("会员姓名"));
    screen.textField()->setText(QStringLiteral("王"));
    screen.Search();
    QCOMPARE(columnValues(screen.grid(), QStringLiteral("单据号")), QStringList{"1"});

    screen.textField()->setText(QStringLiteral("无此人"));
    screen.Search();
    QCOMPARE(screen.grid()->recordCount(), 0);
    QCOMPARE(screen.grid()->footerText(QStringLiteral("消费金额")), QStringLiteral("Sum is 0.00"));
    QVERIFY(venue.prompter.shown().isEmpty());
}

void TestConsumption::memberSearchRefusalsRunNothing()
{
    QueryVenue venue;
    insertStoredBill(venue.d(), memberBill(QStringLiteral("1"), QStringLiteral("120"),
                                           QStringLiteral("王芳"), QStringLiteral("张三"), 10));
    THYConsumeCXFm screen(venue.session);
    StatementCounter counter(venue.d());

    screen.textField()->clear();
    screen.Search();
    screen.columnField()->setCurrentText(QString());
    screen.textField()->setText(QStringLiteral("1"));
    screen.Search();
    QVERIFY(venue.prompter.shown().isEmpty());

    screen.columnField()->setCurrentText(QStringLiteral("1=1 or 营业员"));
    screen.Search();
    QCOMPARE(counter.count(), 0);
    QCOMPARE(venue.prompter.shown().size(), 1);
    QCOMPARE(screen.grid()->recordCount(), 1);
}

QTEST_MAIN(TestConsumption)
#include "tst_consumption.moc"
