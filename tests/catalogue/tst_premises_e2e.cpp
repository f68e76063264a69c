#include "../billing/BillingTestKit.h"
#include "catalogue/BaoXiangUt.h"
#include "catalogue/SpAddUt.h"
#include "catalogue/SpSetUt.h"
#include "catalogue/SpStatusUt.h"
#include "floor/MainUt.h"
#include "floor/TagState.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

class TestPremisesEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void newRoomTypeWithTagsReachesTheBoard();
};

void TestPremisesEndToEnd::newRoomTypeWithTagsReachesTheBoard()
{
    Venue venue;
    TMainFm main(venue.session);
    QStringList opened;
    main.setModalRunner([&](QDialog& dialog) {
        opened << dialog.objectName();
        if (auto* setup = qobject_cast<TSpSetFm*>(&dialog)) {
            setup->AddRoomType();
            setup->AddTags();
            setup->accept();
        } else if (auto* room = qobject_cast<TBaoXiangFm*>(&dialog)) {
            room->nameBox()->setText(QStringLiteral("桑拿房"));
            room->priceBox()->setText(QStringLiteral("30"));
            room->Save();
        } else if (auto* batch = qobject_cast<TSpAddFm*>(&dialog)) {
            batch->markerBox()->setText(QStringLiteral("N"));
            batch->startBox()->setText(QStringLiteral("1"));
            batch->endBox()->setText(QStringLiteral("3"));
            batch->Save();
        } else if (auto* state = qobject_cast<TSpStatusFm*>(&dialog)) {
            state->MakeOutOfUse();
        }
        return dialog.result();
    });

    QAction* setupEntry = main.action(QStringLiteral("手牌与包厢设置"));
    QVERIFY(TMainFm::isOffered(setupEntry));
    setupEntry->trigger();
    QCOMPARE(opened, (QStringList{QStringLiteral("TSpSetFm"), QStringLiteral("TBaoXiangFm"),
                                  QStringLiteral("TSpAddFm")}));
    QCOMPARE(venue.prompter.lastText(), QStringLiteral("手牌批量添加成功！"));

    // The board has the new tab at once, with the new tags on it.
    int tab = -1;
    for (int i = 0; i < main.roomTabs()->count(); ++i) {
        if (main.roomTabs()->tabText(i) == u"桑拿房")
            tab = i;
    }
    QVERIFY(tab >= 0);
    main.roomTabs()->setCurrentIndex(tab);
    QCOMPARE(main.tilePicture(QStringLiteral("N2")), std::optional<int>(AvailablePicture));

    QVERIFY(main.selectTile(QStringLiteral("N2")));
    main.preparePopup();
    QAction* changeState = main.popupAction(QStringLiteral("修改状态"));
    QVERIFY(TMainFm::isOffered(changeState));
    changeState->trigger();
    QCOMPARE(opened.last(), QStringLiteral("TSpStatusFm"));
    QCOMPARE(tagState(venue.database(), QStringLiteral("N2")), QStringLiteral("停用"));
    QCOMPARE(main.tilePicture(QStringLiteral("N2")), std::optional<int>(OutOfServicePicture));
}

QTEST_MAIN(TestPremisesEndToEnd)
#include "tst_premises_e2e.moc"
