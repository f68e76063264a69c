#include "billing/BillingTestKit.h"
#include "billing/CheckOutUt.h"
#include "members/IcCard.h"
#include "platform/SimulatedIcReader.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

using namespace shoupai;
using namespace shoupai::test;

// "读卡" at checkout: the card's number replaces what the field holds, and the
// member lookup runs on it as on a typed number.
class TestIcCheckout : public QObject
{
    Q_OBJECT
private slots:
    void readCardFillsTheMemberField();
};

void TestIcCheckout::readCardFillsTheMemberField()
{
    Venue v;
    QTemporaryDir folder;
    auto owned = std::make_unique<SimulatedIcReader>(folder.filePath("iccard.img"));
    SimulatedIcReader& reader = *owned;
    IcUseReader(std::move(owned));
    IcInit();
    QVERIFY(openGroup(v.database(), {QStringLiteral("A01")}, Money()).isEmpty());
    addMember(v.database(), QStringLiteral("K001"), QStringLiteral("张三"), QStringLiteral("2863"),
              200, 0);

    {
        // Without the reader flag the button is off.
        TCheckOutFm screen(v.session, v.board, QStringLiteral("A01"));
        screen.show();
        QVERIFY(!screen.readCardButton()->isEnabled());
    }

    v.session.icReaderEnabled = true;
    TCheckOutFm screen(v.session, v.board, QStringLiteral("A01"));
    screen.show();
    QVERIFY(screen.readCardButton()->isEnabled());

    // No card: the field is emptied and the operator asked for one.
    v.prompter.clear();
    screen.readCardButton()->click();
    QCOMPARE(screen.cardEdit()->text(), QString());
    QCOMPARE(v.prompter.texts(), QStringList{QStringLiteral("请插卡!")});

    // A failed read leaves a single blank.
    QByteArray memory(SimulatedIcReader::MemorySize, '\0');
    memory.replace(32, 4, "K001");
    QVERIFY(reader.insertCard(memory));
    reader.setReadFails(true);
    screen.readCardButton()->click();
    QCOMPARE(screen.cardEdit()->text(), QStringLiteral(" "));

    // The card's number, then the lookup finds the member.
    reader.setReadFails(false);
    screen.readCardButton()->click();
    QCOMPARE(screen.cardEdit()->text(), QStringLiteral("K001"));
    QVERIFY(screen.ChaHuiYuan());
    QVERIFY(screen.ChaHuiYuanMiMa()); // the default password was filled in
    QCOMPARE(screen.memberCard(), QStringLiteral("K001"));
    QCOMPARE(screen.memberName(), QStringLiteral("张三"));
    IcUseReader(nullptr);
}

QTEST_MAIN(TestIcCheckout)
#include "tst_iccheckout.moc"
