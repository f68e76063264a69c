#include "../billing/BillingTestKit.h"
#include "common/DataGrid.h"
#include "common/ReportPreview.h"
#include "common/SpreadsheetExport.h"
#include "floor/MainUt.h"
#include "queries/CountMingXiUt.h"
#include "queries/CountProfitUt.h"
#include "queries/ItemCountUt.h"
#include "queries/SalesChartUt.h"

#include <QAction>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

class TestQueriesEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void postedBillsThroughTheMenus();
};

void TestQueriesEndToEnd::postedBillsThroughTheMenus()
{
    Venue venue;
    Database& db = venue.database();
    const GoodsItem scrub = addGoods(db, QStringLiteral("测试搓背"), 30, QStringLiteral("洗浴"));
    const GoodsItem cola = addGoods(db, QStringLiteral("测试可乐"), 5, QStringLiteral("饮料"));
    QVERIFY(openGroup(db, {QStringLiteral("A01")}, Money()).isEmpty());
    addLine(db, QStringLiteral("A01"), scrub);
    addLine(db, QStringLiteral("A01"), cola, 2);
    QCOMPARE(postCheckout(db, screenPost(db, QStringLiteral("A01"))).outcome,
             PostingResult::Outcome::Posted);
    QVERIFY(openGroup(db, {QStringLiteral("A02")}, Money()).isEmpty());
    addLine(db, QStringLiteral("A02"), scrub);
    CheckoutPost free = screenPost(db, QStringLiteral("A02"));
    free.state = FreeBillState;
    QCOMPARE(postCheckout(db, free).outcome, PostingResult::Outcome::Posted);

    const Money storedRevenue = money(
        db, QStringLiteral("select sum(实收金额) from 结帐管理 where 状态 = ?"), {SettledState});
    const qint64 storedLines =
        count(db, QStringLiteral("select count(*) from 结帐明细 where 状态 = ?"), {SettledState});
    QCOMPARE(storedRevenue, Money::fromUnits(40));

    {
        TMainFm hidden(venue.session);
        QVERIFY(!hidden.action(QStringLiteral("营业额查询"))->isVisible());
    }
    QVERIFY(venue.session.config().write(QStringLiteral("part1"), QStringLiteral("ShowRevenue"),
                                         QStringLiteral("1")));
    TMainFm main(venue.session);
    QVERIFY(main.action(QStringLiteral("营业额查询"))->isVisible());

    QTemporaryDir folder;
    ScriptedSpreadsheetDesktop desktop(folder.path());
    ScriptedReportPreviewer previewer;
    QStringList opened;
    QMap<QString, QString> seen;
    main.setModalRunner([&](QDialog& dialog) {
        opened << dialog.objectName();
        if (auto* items = qobject_cast<TItemCountFm*>(&dialog)) {
            QStringList rows;
            for (int row = 0; row < items->grid()->rowCount(); ++row)
                rows << items->grid()->value(row, QStringLiteral("商品名")).toString() + u'=' +
                            items->grid()->value(row, QStringLiteral("总数量")).toString();
            rows.sort();
            seen[QStringLiteral("items")] = rows.join(u',');
            seen[QStringLiteral("itemsAmount")] =
                items->grid()->footerText(QStringLiteral("总合计"));
            items->ExportToExcel();
        } else if (auto* lines = qobject_cast<TCountMingXiFm*>(&dialog)) {
            seen[QStringLiteral("linesRevenue")] = lines->revenueValue()->text();
            seen[QStringLiteral("linesCount")] = lines->countValue()->text();
            lines->PrintReport();
        } else if (auto* profit = qobject_cast<TCountProfitFm*>(&dialog)) {
            profit->toDate()->setDate(QDate::currentDate());
            profit->FreshDate();
            seen[QStringLiteral("revenue")] = profit->revenueValue()->text();
            seen[QStringLiteral("bills")] = profit->countValue()->text();
        } else if (auto* chart = qobject_cast<TSalesChartFm*>(&dialog)) {
            seen[QStringLiteral("chartToday")] = chart->revenue().bars.last().value.toString();
        }
        return int(QDialog::Rejected);
    });

    for (const char* entry : {"营业项目统计", "账单消费明细查询", "营业额查询", "营业图表"})
        main.action(QString::fromUtf8(entry))->trigger();
    QCOMPARE(opened,
             (QStringList{"TItemCountFm", "TCountMingXiFm", "TCountProfitFm", "TSalesChartFm"}));

    QCOMPARE(seen.value(QStringLiteral("items")), QStringLiteral("测试可乐=2,测试搓背=1"));
    QCOMPARE(seen.value(QStringLiteral("itemsAmount")), QStringLiteral("40.00"));
    QCOMPARE(seen.value(QStringLiteral("linesRevenue")), storedRevenue.toString());
    QCOMPARE(seen.value(QStringLiteral("linesCount")), QString::number(storedLines));
    QCOMPARE(seen.value(QStringLiteral("revenue")), storedRevenue.toString());
    QCOMPARE(seen.value(QStringLiteral("bills")), QStringLiteral("1"));
    QCOMPARE(seen.value(QStringLiteral("chartToday")), storedRevenue.toString());

    const QStringList workbooks = QDir(folder.path()).entryList({QStringLiteral("*.xlsx")});
    QCOMPARE(workbooks.size(), 1);
    QCOMPARE(desktop.opened().size(), 1);
    QCOMPARE(previewer.shown().size(), 1);
    QCOMPARE(previewer.shown().first().layout.name, QStringLiteral("历史账单消费明细"));
    QVERIFY2(venue.prompter.shown().isEmpty(), qPrintable(venue.prompter.texts().join(u'\n')));
}

QTEST_MAIN(TestQueriesEndToEnd)
#include "tst_queries_e2e.moc"
