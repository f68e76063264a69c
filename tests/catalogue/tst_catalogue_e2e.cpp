#include "CatalogueTestKit.h"
#include "billing/AddConsumeUt.h"
#include "catalogue/Purchases.h"
#include "catalogue/XmAddChaXunUt.h"
#include "catalogue/XmAddRdUt.h"
#include "catalogue/XmAddUt.h"
#include "catalogue/XmKindUt.h"
#include "catalogue/XmUt.h"
#include "common/DataGrid.h"
#include "floor/MainUt.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

class TestCatalogueEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void addPurchaseAndSellAStockItemThroughTheMenus();
};

void TestCatalogueEndToEnd::addPurchaseAndSellAStockItemThroughTheMenus()
{
    Venue v;
    Database& db = v.database();
    TMainFm main(v.session);
    const QString name = QStringLiteral("椰子汁");
    QString step;
    QStringList seen;

    main.setModalRunner([&](QDialog& dialog) {
        seen << dialog.objectName();
        if (auto* kinds = qobject_cast<TXmKindFm*>(&dialog)) {
            kinds->Add();
            kinds->nameBox()->setText(QStringLiteral("果汁"));
            kinds->stockBox()->setChecked(true);
            kinds->Save();
        } else if (auto* list = qobject_cast<TXmFm*>(&dialog)) {
            if (step == u"add") {
                list->Add();
            } else {
                list->searchBox()->setText(name);
                list->Search();
                list->Purchase();
            }
        } else if (auto* add = qobject_cast<TXmAddFm*>(&dialog)) {
            add->typeBox()->setCurrentText(QStringLiteral("果汁"));
            add->nameBox()->setText(name);
            add->priceBox()->setText(QStringLiteral("9"));
            add->quantityBox()->setText(QStringLiteral("10"));
            add->purchasePriceBox()->setText(QStringLiteral("3"));
            add->Save();
            return add->result();
        } else if (auto* buy = qobject_cast<TXmAddRdFm*>(&dialog)) {
            buy->unitPriceBox()->setText(QStringLiteral("2.5"));
            buy->quantityBox()->setText(QStringLiteral("4"));
            buy->Confirm();
            return buy->result();
        } else if (auto* consume = qobject_cast<TAddConsumeFm*>(&dialog)) {
            consume->load();
            DataGrid* goods = consume->goodsGrid();
            for (int row = 0; row < goods->rowCount(); ++row)
                if (goods->value(row, QStringLiteral("商品名")).toString() == name)
                    goods->setCurrentRow(row);
            consume->ZengJiaHs();
        } else if (auto* records = qobject_cast<TXmAddChaXunFm*>(&dialog)) {
            records->nameBox()->setText(name);
            records->Query();
            seen << QString::number(records->grid()->recordCount());
        }
        return int(QDialog::Rejected);
    });

    main.action(QStringLiteral("商品类型设置"))->trigger();
    step = QStringLiteral("add");
    main.action(QStringLiteral("商品项目管理"))->trigger();
    QCOMPARE(stockOf(db, name).toLongLong(), qint64(10));
    step = QStringLiteral("buy");
    main.action(QStringLiteral("商品项目"))->trigger();
    QCOMPARE(stockOf(db, name).toLongLong(), qint64(14));

    // Sold on the board: a bill on A01, then "消费与结帐".
    QVERIFY(openGroup(db, {QStringLiteral("A01")}, Money()).isEmpty());
    main.ReloadTags();
    QVERIFY(main.selectTile(QStringLiteral("A01")));
    main.action(QStringLiteral("消费与结帐"))->trigger();
    QCOMPARE(stockOf(db, name).toLongLong(), qint64(13));
    QCOMPARE(count(db, QStringLiteral("select count(*) from 手牌消费 where 商品名 = ?"), {name}),
             qint64(1));

    main.action(QStringLiteral("进货记录统计"))->trigger();
    QCOMPARE(seen, (QStringList{"TXmKindFm", "TXmFm", "TXmAddFm", "TXmFm", "TXmAddRdFm",
                                "TAddConsumeFm", "TXmAddChaXunFm", "2"}));
    QVERIFY2(!v.prompter.texts().contains(purchases::NoStock),
             qPrintable(v.prompter.texts().join(u'|')));
}

QTEST_MAIN(TestCatalogueEndToEnd)
#include "tst_catalogue_e2e.moc"
