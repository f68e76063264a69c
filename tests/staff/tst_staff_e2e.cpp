#include "../billing/BillingTestKit.h"
#include "common/DataGrid.h"
#include "floor/MainUt.h"
#include "staff/FaGongZiUt.h"
#include "staff/FwsEditUt.h"
#include "staff/FwsGlUt.h"
#include "staff/FwsTcMxUt.h"
#include "staff/FwsTcTjUt.h"
#include "staff/GongZiRecordUt.h"
#include "staff/StaffSearchBar.h"
#include "staff/YgDjUt.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

class TestStaffEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void gradeEmployeeBillAndPaymentThroughTheMenus();
};

void TestStaffEndToEnd::gradeEmployeeBillAndPaymentThroughTheMenus()
{
    Venue venue;
    Database& db = venue.database();
    TMainFm main(venue.session);
    const QDateTime paidAt(QDate(2025, 1, 2), QTime(9, 30));
    QMap<QString, QString> seen;
    QString step;

    main.setModalRunner([&](QDialog& dialog) {
        if (auto* grades = qobject_cast<TYgDjFm*>(&dialog)) {
            grades->Add();
            grades->nameBox()->setText(QStringLiteral("领班"));
            grades->wageBox()->setText(QStringLiteral("3000"));
            grades->Save();
            seen[QStringLiteral("gradeMode")] = grades->mode() == EditModes::Mode::Browsing
                                                    ? QStringLiteral("browsing")
                                                    : QString();
        } else if (auto* list = qobject_cast<TFwsGlFm*>(&dialog)) {
            if (step == u"add") {
                list->Add();
            } else {
                if (list->grid()->selectByKey(QStringLiteral("员工编号"), QStringLiteral("E5")))
                    list->PayWage();
            }
        } else if (auto* editor = qobject_cast<TFwsEditFm*>(&dialog)) {
            editor->codeBox()->setText(QStringLiteral(" E5 "));
            editor->nameBox()->setText(QStringLiteral("周五"));
            editor->gradeBox()->setCurrentIndex(
                editor->gradeBox()->findText(QStringLiteral("领班")));
            editor->Save();
            return editor->result();
        } else if (auto* pay = qobject_cast<TFaGongZiFm*>(&dialog)) {
            seen[QStringLiteral("commission")] = pay->commissionBox()->text();
            seen[QStringLiteral("total")] = pay->totalBox()->text();
            pay->setClock([&] { return paidAt; });
            pay->Pay();
        } else if (auto* totals = qobject_cast<TFwsTcTjFm*>(&dialog)) {
            if (totals->grid()->selectByKey(QStringLiteral("员工编号"), QStringLiteral("E5")))
                seen[QStringLiteral("statistics")] =
                    stored::toMoney(totals->grid()->currentValue(QStringLiteral("金额")))
                        .toString();
        } else if (auto* detail = qobject_cast<TFwsTcMxFm*>(&dialog)) {
            detail->searchBar()->valueBox()->setText(QStringLiteral("E5"));
            detail->Query();
            seen[QStringLiteral("detail")] = QString::number(detail->grid()->recordCount());
        } else if (auto* records = qobject_cast<TGongZiRecordFm*>(&dialog)) {
            seen[QStringLiteral("records")] = QString::number(records->grid()->recordCount());
        }
        return int(QDialog::Rejected);
    });

    main.action(QStringLiteral("员工等级设置"))->trigger();
    step = QStringLiteral("add");
    main.action(QStringLiteral("员工信息管理"))->trigger();
    QCOMPARE(seen.value(QStringLiteral("gradeMode")), QStringLiteral("browsing"));
    QCOMPARE(db.scalar(QStringLiteral("select 员工等级 from 员工管理 where 员工编号 = ?"),
                       {QStringLiteral("E5")})
                 .toString(),
             QStringLiteral("领班"));

    // A bill with a service the new employee gave.
    GoodsItem massage = addGoods(db, QStringLiteral("测试按摩"), 80, QStringLiteral("洗浴"));
    QVERIFY(openGroup(db, {QStringLiteral("A03")}, Money()).isEmpty());
    ConsumptionLine line;
    line.tag = QStringLiteral("A03");
    line.goods = massage;
    line.operatorName = QStringLiteral("收银员甲");
    line.addedAt = QDateTime::currentDateTime();
    line.employeeNumber = QStringLiteral("E5");
    line.employeeName = QStringLiteral("周五");
    QVERIFY(addConsumptionLine(db, line).stored);
    QCOMPARE(postCheckout(db, screenPost(db, QStringLiteral("A03"))).outcome,
             PostingResult::Outcome::Posted);

    main.action(QStringLiteral("员工提成统计"))->trigger();
    main.action(QStringLiteral("员工提成明细"))->trigger();
    step = QStringLiteral("pay");
    main.action(QStringLiteral("员工信息管理"))->trigger();
    main.action(QStringLiteral("工资记录"))->trigger();

    QCOMPARE(seen.value(QStringLiteral("statistics")), QStringLiteral("2"));
    QCOMPARE(seen.value(QStringLiteral("detail")), QStringLiteral("1"));
    QCOMPARE(seen.value(QStringLiteral("commission")), QStringLiteral("2"));
    QCOMPARE(seen.value(QStringLiteral("total")), QStringLiteral("3002"));
    QCOMPARE(seen.value(QStringLiteral("records")), QStringLiteral("1"));
    QCOMPARE(db.scalar(QStringLiteral("select tcyf from 结帐明细 where 员工编号 = ?"),
                       {QStringLiteral("E5")})
                 .toString(),
             QStringLiteral("1"));
    Rows paid = db.query(QStringLiteral("select * from 员工工资表 where 员工编号 = ?"),
                         {QStringLiteral("E5")});
    QVERIFY(paid.next());
    QCOMPARE(paid.money(QStringLiteral("合计")), Money::fromUnits(3002));
    QCOMPARE(paid.dateTime(QStringLiteral("日期")), paidAt);
    QCOMPARE(paid.text(QStringLiteral("登记人")), QStringLiteral("收银员甲"));
    QCOMPARE(venue.prompter.texts(), QStringList{QStringLiteral("完成")});
}

QTEST_MAIN(TestStaffEndToEnd)
#include "tst_staff_e2e.moc"
