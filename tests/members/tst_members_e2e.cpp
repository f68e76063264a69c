#include "../billing/BillingTestKit.h"
#include "billing/CheckOutInfoUt.h"
#include "billing/CheckOutUt.h"
#include "common/DataGrid.h"
#include "floor/MainUt.h"
#include "members/ChongZhiRecordUt.h"
#include "members/ChongZhiUt.h"
#include "members/HyChangePassUt.h"
#include "members/IcCard.h"
#include "members/MemberAddUt.h"
#include "members/MemberUt.h"
#include "platform/PasswordHash.h"
#include "platform/SimulatedIcReader.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

class TestMembersEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void addRechargeChangePasswordAndPayByCard();
};

void TestMembersEndToEnd::addRechargeChangePasswordAndPayByCard()
{
    Venue venue;
    Database& db = venue.database();
    TMainFm main(venue.session);
    QString step;
    QMap<QString, QString> seen;
    // A blank card in the simulated reader: the add screen writes the number on it,
    // and checkout reads it back.
    QTemporaryDir folder;
    auto owned = std::make_unique<SimulatedIcReader>(folder.filePath(QStringLiteral("iccard.img")));
    SimulatedIcReader& reader = *owned;
    IcUseReader(std::move(owned));
    IcInit();
    QCOMPARE(venue.prompter.texts(), QStringList{QStringLiteral("设备初始化成功!")});
    venue.prompter.clear();
    QVERIFY(reader.insertCard(QByteArray(SimulatedIcReader::MemorySize, '\0')));

    main.setModalRunner([&](QDialog& dialog) {
        if (auto* list = qobject_cast<TMemberFm*>(&dialog)) {
            if (step == u"add") {
                list->Add();
                seen[QStringLiteral("listed")] =
                    list->grid()->currentValue(QStringLiteral("会员卡号")).toString();
            } else if (list->grid()->selectByKey(QStringLiteral("会员卡号"),
                                                 QStringLiteral("V100"))) {
                list->Recharge();
                seen[QStringLiteral("balanceShown")] =
                    stored::toMoney(list->grid()->currentValue(QStringLiteral("卡内金额")))
                        .toString();
            }
        } else if (auto* add = qobject_cast<TMemberAddFm*>(&dialog)) {
            add->cardBox()->setText(QStringLiteral(" V100 "));
            add->nameBox()->setText(QStringLiteral("周会员"));
            add->typeBox()->setCurrentText(QStringLiteral("金卡"));
            add->WriteCard();
            add->Save();
            return add->result();
        } else if (auto* recharge = qobject_cast<TChongZhiFm*>(&dialog)) {
            QTest::keyClicks(recharge->amountBox(), QStringLiteral("200"));
            QTest::keyClick(recharge->amountBox(), Qt::Key_Return);
            return recharge->result();
        } else if (auto* password = qobject_cast<THYChangePassFm*>(&dialog)) {
            password->cardBox()->setText(QStringLiteral("V100"));
            password->oldBox()->setText(QStringLiteral("2863"));
            password->newBox()->setText(QStringLiteral("8888"));
            password->confirmBox()->setText(QStringLiteral("8888"));
            password->Save();
            return password->result();
        } else if (auto* records = qobject_cast<TChongZhiRecordFm*>(&dialog)) {
            seen[QStringLiteral("records")] = QString::number(records->grid()->recordCount());
        }
        return int(QDialog::Rejected);
    });

    step = QStringLiteral("add");
    main.action(QStringLiteral("会员信息管理"))->trigger();
    step = QStringLiteral("recharge");
    main.findChild<QAction*>(QStringLiteral("membersButton"))->trigger();
    main.action(QStringLiteral("会员密码修改"))->trigger();
    main.action(QStringLiteral("充值记录统计"))->trigger();
    QCOMPARE(seen.value(QStringLiteral("listed")), QStringLiteral("V100"));
    QCOMPARE(seen.value(QStringLiteral("balanceShown")), QStringLiteral("200"));
    QCOMPARE(seen.value(QStringLiteral("records")), QStringLiteral("1"));
    QCOMPARE(venue.prompter.texts(),
             (QStringList{QStringLiteral("写卡成功!"), QStringLiteral("保存成功!"),
                          QStringLiteral("充值成功！"), QStringLiteral("修改成功！")}));

    // A bill of 100 for the gold member (0.8): the card pays 80 after the new password.
    GoodsItem massage = addGoods(db, QStringLiteral("测试按摩"), 100, QStringLiteral("洗浴"));
    QVERIFY(openGroup(db, {QStringLiteral("A01")}, Money()).isEmpty());
    QVERIFY(addLine(db, QStringLiteral("A01"), massage).stored);
    QCOMPARE(reader.memory().mid(32, 5), QByteArray("V100\0", 5)); // trimmed on the card
    venue.session.icReaderEnabled = true;
    TCheckOutFm checkout(venue.session, venue.board, QStringLiteral("A01"));
    checkout.show();
    QVERIFY(QTest::qWaitForWindowExposed(&checkout));
    const int beepsBefore = reader.beeps();
    checkout.readCardButton()->click();
    QCOMPARE(checkout.cardEdit()->text(), QStringLiteral("V100"));
    QCOMPARE(reader.beeps(), beepsBefore + 1);
    QTest::keyClick(checkout.cardEdit(), Qt::Key_Return);
    QCOMPARE(checkout.passwordEdit()->text(), QString()); // no longer the initial one
    QTest::keyClicks(checkout.passwordEdit(), QStringLiteral("8888"));
    QTest::keyClick(checkout.passwordEdit(), Qt::Key_Return);
    QCOMPARE(checkout.memberCard(), QStringLiteral("V100"));
    checkout.paymentModeBox()->setCurrentText(QStringLiteral("卡内扣除"));
    checkout.ZhiFuHs();
    checkout.setConfirmHook([](TCheckOutInfoFm&) { return true; });
    QVERIFY(checkout.JieZhang());

    Rows member = db.query(QStringLiteral("select * from 会员管理 where 会员卡号 = 'V100'"));
    QVERIFY(member.next());
    QCOMPARE(member.money(QStringLiteral("卡内金额")), Money::fromUnits(120));
    QCOMPARE(member.text(QStringLiteral("会员姓名")), QStringLiteral("周会员"));
    QVERIFY(passwordhash::verify(member.text(QStringLiteral("密码")), QStringLiteral("8888")));
    Rows bill = db.query(QStringLiteral("select * from 结帐管理"));
    QVERIFY(bill.next());
    QCOMPARE(bill.text(QStringLiteral("会员卡号")), QStringLiteral("V100"));
    QCOMPARE(bill.text(QStringLiteral("结帐方式")), QStringLiteral("卡内扣除"));
    QCOMPARE(bill.money(QStringLiteral("卡内扣除")), Money::fromUnits(80));
    Rows record = db.query(QStringLiteral("select * from 会员充值"));
    QVERIFY(record.next());
    QCOMPARE(record.money(QStringLiteral("充值金额")), Money::fromUnits(200));
    QCOMPARE(record.text(QStringLiteral("会员类型")), QStringLiteral("金卡"));
    QCOMPARE(record.text(QStringLiteral("营业员")), QStringLiteral("收银员甲"));
    IcUseReader(nullptr);
}

QTEST_MAIN(TestMembersEndToEnd)
#include "tst_members_e2e.moc"
