#include "catalogue/GoodsImport.h"
#include "common/CsvReader.h"
#include "common/XlsReader.h"
#include "platform/Money.h"
#include "support/TestDatabase.h"

#include <QTest>

#include <algorithm>

using namespace shoupai;
using namespace shoupai::test;

namespace {

QList<SheetRow> csvRows(const QString& text)
{
    return goodsimport::dataRows(CsvReader::parse(text));
}

QStringList refusalLines(const goodsimport::Outcome& outcome)
{
    QStringList lines;
    for (const goodsimport::Refusal& refusal : outcome.refused)
        lines << refusal.line();
    return lines;
}

qint64 goodsCount(Database& db)
{
    return db.scalar(QStringLiteral("select count(*) from 商品库")).toLongLong();
}

// A goods item added the way the catalogue's add screen does: the key is left
// to the database.
qint64 addWithoutKey(Database& db, const QString& name)
{
    return db.insertReturningKey(
        QStringLiteral("insert into 商品库 (编号, 商品名, 拼音, 单价, 提成金额, 商品类型, 库存, "
                       "是否需要服务) values (?, ?, ?, ?, ?, ?, ?, ?)"),
        {QStringLiteral("N1"), name, QStringLiteral("X"), QVariant::fromValue(Money::fromUnits(1)),
         QVariant::fromValue(Money()), QStringLiteral("饮料"), QVariant::fromValue<qlonglong>(0),
         QStringLiteral("否")},
        QStringLiteral("ID"));
}

} // namespace

class TestGoodsImport : public QObject
{
    Q_OBJECT
private slots:
    void goodRowsGoInAndRefusedOnesAreListed();
    void autoNumberingCodesAndEveryReason();
    void aFailureWhileWritingImportsNothing();
    void addingAfterAnImportGetsAFreshKey();
    void progressEveryHundredRows();
};

void TestGoodsImport::goodRowsGoInAndRefusedOnesAreListed()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    const qint64 before = goodsCount(db);
    const QList<SheetRow> rows =
        goodsimport::dataRows(XlsReader().read(qEnvironmentVariable("SHOUPAI_SOURCE_DIR") +
                                               QStringLiteral("/tests/common/fixtures/goods.xls")));

    const goodsimport::Outcome outcome = goodsimport::importRows(db, rows, false);
    QVERIFY2(!outcome.failed(), qPrintable(outcome.failure));
    QCOMPARE(outcome.inserted, 2);
    QCOMPARE(refusalLines(outcome),
             (QStringList{QStringLiteral("5,单价不是数字"),
                          QStringLiteral("6,单价不是数字,提成金额不是数字,商品类型不存在,"
                                         "是否需要服务应为是或否")}));
    QCOMPARE(goodsCount(db), before + 2);

    Rows shampoo = db.query(QStringLiteral("select * from 商品库 where ID = ?"), {201});
    QVERIFY(shampoo.next());
    QCOMPARE(shampoo.text(QStringLiteral("编号")), QStringLiteral("6901234567890"));
    QCOMPARE(shampoo.text(QStringLiteral("商品名")), QStringLiteral("洗发水"));
    QCOMPARE(shampoo.text(QStringLiteral("拼音")), QStringLiteral("XFS"));
    QCOMPARE(shampoo.money(QStringLiteral("单价")), *Money::parse(u"12.5"));
    QCOMPARE(shampoo.money(QStringLiteral("提成金额")), Money::fromUnits(2));
    // A type without stock keeps no count.
    QVERIFY(shampoo.isNull(QStringLiteral("库存")));
    QCOMPARE(shampoo.text(QStringLiteral("是否需要服务")), QStringLiteral("是"));

    Rows cola = db.query(QStringLiteral("select * from 商品库 where ID = ?"), {202});
    QVERIFY(cola.next());
    QCOMPARE(cola.text(QStringLiteral("商品名")), QStringLiteral("可\"乐\"大瓶"));
    QCOMPARE(cola.text(QStringLiteral("编号")), QStringLiteral("0"));
    QCOMPARE(cola.text(QStringLiteral("拼音")), QStringLiteral("KL"));
    QCOMPARE(cola.integer(QStringLiteral("库存")), 24);
    QCOMPARE(cola.money(QStringLiteral("单价")), Money::fromUnits(6));

    // The same sheet again changes nothing, and says why for every row.
    const goodsimport::Outcome again = goodsimport::importRows(db, rows, false);
    QCOMPARE(again.inserted, 0);
    QCOMPARE(refusalLines(again).mid(0, 2),
             (QStringList{QStringLiteral("2,ID已存在"), QStringLiteral("3,ID已存在")}));
    QCOMPARE(again.refused.size(), 4);
    QCOMPARE(goodsCount(db), before + 2);
}

void TestGoodsImport::autoNumberingCodesAndEveryReason()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    db.exec(QStringLiteral("delete from 商品库"));

    const QString sheet =
        QStringLiteral("id,编号,商品名,拼音,单价,提成金额,商品类型,库存,是否需要服务\n"
                       "x,,矿泉水,,2,0,饮料,,否\n"
                       "x,B7,A洗,,30.25,5.5,洗浴,,是\n"
                       "x,,可乐,KL,3,0,饮料,12,否\n");
    const goodsimport::Outcome numbered = goodsimport::importRows(db, csvRows(sheet), true);
    QCOMPARE(numbered.inserted, 3);
    QVERIFY(numbered.refused.isEmpty());
    Rows rows = db.query(
        QStringLiteral("select ID, 编号, 拼音, 库存, 单价, 提成金额 from 商品库 order by ID"));
    QStringList stored;
    while (rows.next())
        stored << QStringLiteral("%1 %2 %3 %4 %5 %6")
                      .arg(rows.integer(QStringLiteral("ID")))
                      .arg(rows.text(QStringLiteral("编号")), rows.text(QStringLiteral("拼音")),
                           rows.isNull(QStringLiteral("库存"))
                               ? QStringLiteral("null")
                               : QString::number(rows.integer(QStringLiteral("库存"))),
                           rows.money(QStringLiteral("单价")).toString(),
                           rows.money(QStringLiteral("提成金额")).toString());
    // An empty count of a stock-keeping type is 0; of a service, nothing.
    QCOMPARE(stored,
             (QStringList{QStringLiteral("2 0 KQS 0 2 0"), QStringLiteral("3 B7 AX null 30.25 5.5"),
                          QStringLiteral("4 0 KL 12 3 0")}));

    const QString bad =
        QStringLiteral("id,编号,商品名,拼音,单价,提成金额,商品类型,库存,是否需要服务\n"
                       "2,,重号,,1,0,饮料,1,否\n"
                       "1.5,,小数号,,1,0,饮料,1,否\n"
                       "50,,甲,,1,0,饮料,1,否\n"
                       "50,,乙,,1,0,饮料,1,否\n"
                       "51,,  ,,1,0,饮料,1,否\n"
                       "52,,丙,,1,x,饮料,1.5,否\n"
                       "53,,丁,,1,0,没有的类型,1,Y\n"
                       "54,,戊,,\"1,5\",0,饮料,1,是\n");
    const goodsimport::Outcome refused = goodsimport::importRows(db, csvRows(bad), false);
    QCOMPARE(refusalLines(refused),
             (QStringList{QStringLiteral("2,ID已存在"), QStringLiteral("3,ID不是整数"),
                          QStringLiteral("5,ID重复"), QStringLiteral("6,商品名为空"),
                          QStringLiteral("7,提成金额不是数字,库存不是整数"),
                          QStringLiteral("8,商品类型不存在,是否需要服务应为是或否"),
                          QStringLiteral("9,单价不是数字")}));
    QCOMPARE(refused.inserted, 1);
    QCOMPARE(db.scalar(QStringLiteral("select 商品名 from 商品库 where ID = ?"), {50}).toString(),
             QStringLiteral("甲"));
}

void TestGoodsImport::aFailureWhileWritingImportsNothing()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    std::unique_ptr<Database> other = seeded.openAnother();
    const qint64 before = goodsCount(db);
    const QString sheet =
        QStringLiteral("id,编号,商品名,拼音,单价,提成金额,商品类型,库存,是否需要服务\n"
                       "301,,甲,,1,0,饮料,1,否\n"
                       "302,,乙,,1,0,饮料,1,否\n"
                       "303,,丙,,1,0,饮料,1,否\n");
    const QList<SheetRow> rows = csvRows(sheet);
    // Another workstation takes the last row's key after the checks passed.
    bool taken = false;
    const goodsimport::Outcome outcome =
        goodsimport::importRows(db, rows, false, [&](int done, int) {
            if (done == rows.size() && !taken) {
                other->exec(
                    QStringLiteral("insert into 商品库 (ID, 商品名, 单价, 提成金额, 商品类型, "
                                   "是否需要服务) values (?, ?, ?, ?, ?, ?)"),
                    {303, QStringLiteral("别处"), QVariant::fromValue(Money()),
                     QVariant::fromValue(Money()), QStringLiteral("饮料"), QStringLiteral("否")});
                taken = true;
            }
        });
    QVERIFY(taken);
    QVERIFY(outcome.failed());
    QVERIFY2(outcome.failure.startsWith(QStringLiteral("导入失败,没有导入任何数据:")),
             qPrintable(outcome.failure));
    QVERIFY(outcome.failure.size() > QStringLiteral("导入失败,没有导入任何数据:").size());
    QCOMPARE(outcome.inserted, 0);
    QCOMPARE(goodsCount(db), before + 1);
    QCOMPARE(
        db.scalar(QStringLiteral("select count(*) from 商品库 where ID in (301, 302)")).toInt(), 0);
}

void TestGoodsImport::addingAfterAnImportGetsAFreshKey()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    const qint64 highest = db.scalar(QStringLiteral("select max(ID) from 商品库")).toLongLong();
    // Keys right where the database would hand out its next ones.
    QString sheet =
        QStringLiteral("id,编号,商品名,拼音,单价,提成金额,商品类型,库存,是否需要服务\n");
    for (int i = 1; i <= 3; ++i)
        sheet += QStringLiteral("%1,,导入%1,,1,0,饮料,1,否\n").arg(highest + i);
    QCOMPARE(goodsimport::importRows(db, csvRows(sheet), false).inserted, 3);
    QCOMPARE(addWithoutKey(db, QStringLiteral("新增一")), highest + 4);

    // Fewer and lower keys never move the next key back onto used ones.
    db.exec(QStringLiteral("delete from 商品库"));
    const QString small =
        QStringLiteral("id,编号,商品名,拼音,单价,提成金额,商品类型,库存,是否需要服务\n"
                       ",,小一,,1,0,饮料,1,否\n");
    QCOMPARE(goodsimport::importRows(db, csvRows(small), true).inserted, 1);
    QCOMPARE(addWithoutKey(db, QStringLiteral("新增二")), highest + 5);
}

void TestGoodsImport::progressEveryHundredRows()
{
    SeededDatabase seeded;
    Database& db = seeded.database();
    db.exec(QStringLiteral("delete from 商品库"));
    QString sheet =
        QStringLiteral("id,编号,商品名,拼音,单价,提成金额,商品类型,库存,是否需要服务\n");
    for (int i = 0; i < 250; ++i)
        sheet += QStringLiteral(",,货%1,,1,0,%2,1,否\n")
                     .arg(i)
                     .arg(i % 50 == 0 ? QStringLiteral("无") : QStringLiteral("饮料"));
    QList<int> seen;
    int lastTotal = 0;
    const goodsimport::Outcome outcome =
        goodsimport::importRows(db, csvRows(sheet), true, [&](int done, int total) {
            seen << done;
            lastTotal = total;
        });
    QCOMPARE(outcome.inserted, 245);
    QCOMPARE(outcome.refused.size(), 5);
    QCOMPARE(lastTotal, 500);
    QVERIFY(std::is_sorted(seen.begin(), seen.end()));
    QCOMPARE(seen.last(), 500);
    QVERIFY2(seen.size() >= 5 && seen.size() <= 9, qPrintable(QString::number(seen.size())));
}

QTEST_GUILESS_MAIN(TestGoodsImport)
#include "tst_goodsimport.moc"
