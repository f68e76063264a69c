#include "BillingTestKit.h"
#include "billing/AddConsumeUt.h"
#include "billing/CheckOutInfoUt.h"
#include "billing/CheckOutUt.h"
#include "billing/FwsXzUt.h"
#include "billing/OpenDanUt.h"
#include "common/DataGrid.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <functional>

using namespace shoupai;
using namespace shoupai::test;

namespace {

// Runs `step` on the modal window of type T as soon as it is up: the screens
// open one another with exec(), as an operator meets them.
template <typename T> void whenShown(std::function<void(T*)> step)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        step(window);
    });
    timer->start();
}

void click(QWidget* window, const QString& name)
{
    auto* button = window->findChild<QPushButton*>(name);
    if (button)
        QTest::mouseClick(button, Qt::LeftButton);
}

bool pick(TAddConsumeFm* screen, const QString& name)
{
    DataGrid* grid = screen->goodsGrid();
    for (int row = 0; row < grid->rowCount(); ++row) {
        if (grid->value(row, QStringLiteral("商品名")).toString() == name) {
            grid->setCurrentRow(row);
            return true;
        }
    }
    return false;
}

} // namespace

class TestBillingEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void openAddAndCheckOutAMemberByCard();
};

void TestBillingEndToEnd::openAddAndCheckOutAMemberByCard()
{
    Venue v;
    Database& db = v.database();
    addMember(db, QStringLiteral("M1"), QStringLiteral("林会员"), QStringLiteral("2863"), 1000, 0,
              QStringLiteral("银卡"));
    const QString before = counter(db);
    v.board.selected = QStringLiteral("A01");
    v.board.shown = QStringLiteral("A01");
    v.board.room = QStringLiteral("大厅");

    QStringList steps;
    whenShown<TAddConsumeFm>([&](TAddConsumeFm* consume) {
        steps << QStringLiteral("consume:") + consume->tag();
        if (!pick(consume, QStringLiteral("可乐")))
            return;
        consume->quantityEdit()->setText(QStringLiteral("2"));
        click(consume, QStringLiteral("addButton"));
        // A service: the employee picker comes up.
        whenShown<TFwsXzFm>([&](TFwsXzFm* picker) {
            steps << QStringLiteral("picker");
            picker->numberEdit()->setText(QStringLiteral("001"));
            QTest::keyClick(picker->numberEdit(), Qt::Key_Return);
            click(picker, QStringLiteral("chooseButton"));
        });
        if (!pick(consume, QStringLiteral("足底按摩")))
            return;
        click(consume, QStringLiteral("addButton"));
        steps << QStringLiteral("lines:%1").arg(consume->linesGrid()->rowCount());

        whenShown<TCheckOutFm>([&](TCheckOutFm* checkout) {
            steps << QStringLiteral("checkout:") + checkout->tag();
            checkout->cardEdit()->setText(QStringLiteral("M1"));
            QTest::keyClick(checkout->cardEdit(), Qt::Key_Return);
            QTest::keyClick(checkout->passwordEdit(), Qt::Key_Return);
            QComboBox* mode = checkout->paymentModeBox();
            mode->setCurrentIndex(1);
            Q_EMIT mode->activated(1);
            steps << QStringLiteral("amounts:%1/%2/%3/%4")
                         .arg(checkout->consumptionText(), checkout->receivableText(),
                              checkout->cardDeductionText(), checkout->receivedEdit()->text());
            whenShown<TCheckOutInfoFm>([&](TCheckOutInfoFm* info) {
                steps << QStringLiteral("confirm:") + info->receivableLabel()->text();
                click(info, QStringLiteral("confirmButton"));
            });
            click(checkout, QStringLiteral("checkoutButton"));
        });
        click(consume, QStringLiteral("checkoutButton"));
    });

    {
        TOpenDanFm open(v.session, v.board);
        open.show();
        QVERIFY(QTest::qWaitForWindowExposed(&open));
        open.candidateList()->setCurrentItem(
            open.candidateList()->findItems(QStringLiteral("A02"), Qt::MatchExactly)[0]);
        click(&open, QStringLiteral("moveInButton"));
        click(&open, QStringLiteral("openButton"));
        QVERIFY(!open.isVisible());
    }
    QTRY_COMPARE_WITH_TIMEOUT(count(db, QStringLiteral("select count(*) from 结帐管理")), 1, 20000);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(steps,
             (QStringList{QStringLiteral("consume:A01"), QStringLiteral("picker"),
                          QStringLiteral("lines:3"), QStringLiteral("checkout:A01"),
                          QStringLiteral("amounts:150/139/139/0"), QStringLiteral("confirm:139")}));
    QCOMPARE(v.prompter.texts(), QStringList{QStringLiteral("谢谢光临！")});

    // The stored bill, read back.
    const QString number = QString::number(before.toLongLong() + 1);
    QCOMPARE(counter(db), number);
    Rows header = db.query(QStringLiteral("select * from 结帐管理"));
    QVERIFY(header.next());
    QCOMPARE(header.text(QStringLiteral("单据号")), number);
    QCOMPARE(header.text(QStringLiteral("手牌号码")), QStringLiteral("A01"));
    QCOMPARE(header.text(QStringLiteral("会员卡号")), QStringLiteral("M1"));
    QCOMPARE(header.text(QStringLiteral("顾客姓名")), QStringLiteral("林会员"));
    QCOMPARE(header.text(QStringLiteral("结帐方式")), QStringLiteral("卡内扣除"));
    QCOMPARE(header.text(QStringLiteral("状态")), QStringLiteral("已结"));
    QCOMPARE(header.text(QStringLiteral("营业员")), QStringLiteral("收银员甲"));
    QCOMPARE(header.money(QStringLiteral("消费金额")), Money::fromUnits(139));
    QCOMPARE(header.money(QStringLiteral("卡内扣除")), Money::fromUnits(139));
    QCOMPARE(header.money(QStringLiteral("实收金额")), Money());

    Rows details =
        db.query(QStringLiteral("select * from 结帐明细 where 单据号 = ? order by ID"), {number});
    QStringList read;
    while (details.next())
        read << QStringLiteral("%1 %2x%3=%4 %5/%6 %7")
                    .arg(details.text(QStringLiteral("商品名")),
                         details.money(QStringLiteral("单价")).toString(),
                         QString::number(details.integer(QStringLiteral("数量"))),
                         details.money(QStringLiteral("合计")).toString(),
                         details.text(QStringLiteral("员工编号")),
                         details.text(QStringLiteral("员工姓名")),
                         details.money(QStringLiteral("提成金额")).toString());
    QCOMPARE(read, (QStringList{QStringLiteral("门票 20x1=20 无/ 0"),
                                QStringLiteral("门票 20x1=20 无/ 0"),
                                QStringLiteral("可乐 6x2=10.8 n/n 0"),
                                QStringLiteral("足底按摩 98x1=88.2 001/张伟 30")}));
    QCOMPARE(memberBalance(db, QStringLiteral("M1")), Money::fromUnits(861));
    QCOMPARE(memberPoints(db, QStringLiteral("M1")), Money());
    QCOMPARE(stock(db, QStringLiteral("可乐")), 118);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 手牌开单")), 0);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 手牌消费")), 0);
    QCOMPARE(tagState(db, QStringLiteral("A01")), QStringLiteral("可用"));
    QCOMPARE(tagState(db, QStringLiteral("A02")), QStringLiteral("可用"));
}

QTEST_MAIN(TestBillingEndToEnd)
#include "tst_billing_e2e.moc"
