#include "../billing/BillingTestKit.h"
#include "catalogue/BaoXiangUt.h"
#include "catalogue/SpAddUt.h"
#include "catalogue/SpEditUt.h"
#include "catalogue/SpSetUt.h"
#include "catalogue/SpStatusUt.h"
#include "common/DataGrid.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

namespace {

const QString Occupied = QStringLiteral("该手牌处于占用状态，请先结帐！");

void occupy(Database& db, const QString& tag)
{
    BillOpening opening;
    opening.mainTag = tag;
    opening.tags = {tag};
    opening.roomType = QStringLiteral("大厅");
    opening.operatorName = QStringLiteral("另一台");
    opening.openedAt = QDateTime::currentDateTime();
    QCOMPARE(openBill(db, opening), QString());
}

QStringList items(const QComboBox* box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

} // namespace

class TestTagScreens : public QObject
{
    Q_OBJECT

private slots:
    void setupListsFiltersAndGuards()
    {
        Venue venue;
        Database& db = venue.database();
        db.exec(QStringLiteral("insert into 手牌管理 (手牌号码, 所属包厢, 手牌状态, number) values "
                               "(?, ?, ?, ?)"),
                {QStringLiteral("0号"), QStringLiteral("大厅"), QStringLiteral("可用"), 1});
        TSpSetFm setup(venue.session);
        DataGrid* tags = setup.tagGrid();
        // Ordered by 序号, then by tag number for equal ones.
        QCOMPARE(tags->recordCount(), 31);
        QCOMPARE(tags->value(0, QStringLiteral("手牌号码")).toString(), QStringLiteral("0号"));
        QCOMPARE(tags->value(1, QStringLiteral("手牌号码")).toString(), QStringLiteral("A01"));
        QCOMPARE(tags->value(16, QStringLiteral("手牌号码")).toString(), QStringLiteral("V01"));
        QCOMPARE(setup.roomGrid()->recordCount(), 3);

        QVERIFY(
            setup.roomGrid()->selectByKey(QStringLiteral("包厢类型"), QStringLiteral("贵宾房")));
        setup.ShowRoomTags();
        QCOMPARE(tags->recordCount(), 10);
        QCOMPARE(tags->value(0, QStringLiteral("手牌号码")).toString(), QStringLiteral("V01"));

        // An occupied tag stays, and stays selected.
        occupy(*venue.db.openAnother(), QStringLiteral("V03"));
        QVERIFY(tags->selectByKey(QStringLiteral("手牌号码"), QStringLiteral("V03")));
        venue.prompter.queueAnswer(true);
        setup.DeleteTag();
        QCOMPARE(venue.prompter.texts(),
                 (QStringList{QStringLiteral("您是否要删除\" V03\""), Occupied}));
        QCOMPARE(tags->currentValue(QStringLiteral("手牌号码")).toString(), QStringLiteral("V03"));
        QCOMPARE(count(db, QStringLiteral("select count(*) from 手牌管理 where 手牌号码 = ?"),
                       {QStringLiteral("V03")}),
                 1);
        // A "No" deletes nothing; a free tag goes.
        QVERIFY(tags->selectByKey(QStringLiteral("手牌号码"), QStringLiteral("V04")));
        setup.DeleteTag();
        QCOMPARE(tags->recordCount(), 10);
        venue.prompter.queueAnswer(true);
        setup.DeleteTag();
        QCOMPARE(tags->recordCount(), 9);

        venue.prompter.clear();
        venue.prompter.queueAnswer(true);
        setup.DeleteRoomType();
        QCOMPARE(venue.prompter.lastText(), QStringLiteral("该包厢类型下还有手牌,不能删除!"));
        QCOMPARE(setup.roomGrid()->recordCount(), 3);
        QCOMPARE(setup.roomGrid()->currentValue(QStringLiteral("包厢类型")).toString(),
                 QStringLiteral("贵宾房"));

        QSignalSpy closed(&setup, &TSpSetFm::closedAfterSetup);
        setup.accept();
        QCOMPARE(closed.count(), 1);
    }

    void subScreensAddAndChangeThroughTheSetup()
    {
        Venue venue;
        Database& db = venue.database();
        TSpSetFm setup(venue.session);
        QVERIFY(
            setup.roomGrid()->selectByKey(QStringLiteral("包厢类型"), QStringLiteral("休息厅")));
        QStringList seen;
        bool listOnly = false;
        bool markerFirst = false;
        setup.setModalRunner([&](QDialog& dialog) {
            if (auto* batch = qobject_cast<TSpAddFm*>(&dialog)) {
                seen << batch->roomBox()->currentText();
                listOnly = !batch->roomBox()->isEditable();
                markerFirst = batch->beforeButton()->isChecked();
                batch->Save();
                seen << venue.prompter.lastText();
                QTest::keyClicks(batch->startBox(), QStringLiteral("0a12"));
                QTest::keyClicks(batch->endBox(), QStringLiteral("1234567890"));
                seen << batch->startBox()->text() << batch->endBox()->text();
                batch->endBox()->setText(QStringLiteral("14"));
                batch->markerBox()->setText(QStringLiteral("R"));
                batch->afterButton()->setChecked(true);
                batch->Save();
                seen << venue.prompter.lastText();
            } else if (auto* editor = qobject_cast<TSpEditFm*>(&dialog)) {
                seen << editor->numberBox()->text() << editor->roomBox()->currentText()
                     << editor->stateBox()->currentText() << editor->sortKeyBox()->text();
                seen << items(editor->stateBox()).join(u'|');
                editor->stateBox()->setCurrentText(QStringLiteral("预定"));
                editor->sortKeyBox()->setText(QStringLiteral("x"));
                editor->Save();
                seen << venue.prompter.lastText();
                editor->sortKeyBox()->setText(QStringLiteral("99"));
                editor->Save();
            } else if (auto* room = qobject_cast<TBaoXiangFm*>(&dialog)) {
                seen << items(room->billingBox()).join(u'|') << room->priceBox()->text();
                room->nameBox()->setText(QStringLiteral("休憩厅"));
                room->priceBox()->setText(QStringLiteral("-5"));
                room->Save();
                seen << venue.prompter.lastText();
                room->priceBox()->setText(QStringLiteral("8.5"));
                room->Save();
            }
            return dialog.result();
        });

        setup.AddTags();
        QVERIFY(listOnly);
        QVERIFY(markerFirst);
        QCOMPARE(seen,
                 (QStringList{QStringLiteral("休息厅"),
                              QStringLiteral("请输入手牌的起始值和终止值！"), QStringLiteral("012"),
                              QStringLiteral("123456789"), QStringLiteral("手牌批量添加成功！")}));
        QCOMPARE(count(db,
                       QStringLiteral("select count(*) from 手牌管理 where 所属包厢 = ? and "
                                      "手牌号码 like ?"),
                       {QStringLiteral("休息厅"), QStringLiteral("%R")}),
                 3);
        QCOMPARE(setup.tagGrid()->currentValue(QStringLiteral("手牌号码")).toString(),
                 QStringLiteral("12R"));

        seen.clear();
        setup.ChangeTag();
        QCOMPARE(seen, (QStringList{QStringLiteral("12R"), QStringLiteral("休息厅"),
                                    QStringLiteral("可用"), QStringLiteral("12"),
                                    QStringLiteral("可用|停用|预定"),
                                    QStringLiteral("序号必须是整数!")}));
        QCOMPARE(tagState(db, QStringLiteral("12R")), QStringLiteral("预定"));
        QCOMPARE(setup.tagGrid()->currentValue(QStringLiteral("number")).toLongLong(), 99);

        seen.clear();
        setup.ChangeRoomType();
        QCOMPARE(seen, (QStringList{QStringLiteral("按次计费|按时计费"), QStringLiteral("0"),
                                    QStringLiteral("门票价格必须是不小于0的数字!")}));
        QCOMPARE(setup.roomGrid()->currentValue(QStringLiteral("包厢类型")).toString(),
                 QStringLiteral("休憩厅"));
        QCOMPARE(count(db, QStringLiteral("select count(*) from 手牌管理 where 所属包厢 = ?"),
                       {QStringLiteral("休憩厅")}),
                 8);
        QCOMPARE(setup.tagGrid()->currentValue(QStringLiteral("所属包厢")).toString(),
                 QStringLiteral("休憩厅"));
    }

    void editRefusedOnceAnotherWorkstationOpenedABill()
    {
        Venue venue;
        TSpEditFm editor(venue.session, QStringLiteral("A05"));
        occupy(*venue.db.openAnother(), QStringLiteral("A05"));
        editor.stateBox()->setCurrentText(QStringLiteral("停用"));
        editor.Save();
        QCOMPARE(venue.prompter.lastText(), Occupied);
        QCOMPARE(editor.result(), int(QDialog::Rejected));
        QCOMPARE(tagState(venue.database(), QStringLiteral("A05")), QStringLiteral("占用"));
    }

    void stateScreenRefusedOnceAnotherWorkstationOpenedABill()
    {
        Venue venue;
        venue.board.selected = QStringLiteral("A05");
        TSpStatusFm screen(venue.session, venue.board);
        QCOMPARE(screen.shownState(), QStringLiteral("可用"));
        occupy(*venue.db.openAnother(), QStringLiteral("A05"));
        screen.MakeOutOfUse();
        QCOMPARE(venue.prompter.lastText(), Occupied);
        QCOMPARE(tagState(venue.database(), QStringLiteral("A05")), QStringLiteral("占用"));
        QCOMPARE(screen.shownState(), QStringLiteral("占用"));
        QCOMPARE(screen.result(), int(QDialog::Rejected));
        QCOMPARE(venue.board.refreshes, 1);

        venue.board.selected = QStringLiteral("A06");
        TSpStatusFm free(venue.session, venue.board);
        free.MakeReserved();
        QCOMPARE(free.result(), int(QDialog::Accepted));
        QCOMPARE(tagState(venue.database(), QStringLiteral("A06")), QStringLiteral("预定"));
        QCOMPARE(venue.board.refreshes, 2);
    }
};

QTEST_MAIN(TestTagScreens)
#include "tst_tagscreens.moc"
