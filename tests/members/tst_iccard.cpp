#include "TestDatabase.h"
#include "TestHome.h"
#include "app/LgUt.h"
#include "common/Prompter.h"
#include "floor/FloorFixture.h"
#include "floor/MainUt.h"
#include "members/IcCard.h"
#include "members/SeticmUt.h"
#include "platform/GbkCodec.h"
#include "platform/SimulatedIcReader.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

namespace {

const QString checking = QStringLiteral("正在检查通信端口:");
const QString found = QStringLiteral("找到设备,连接端口为:");
const QString opened = QStringLiteral("设备初始化成功!");

// A simulated reader installed in the card service, its card file in a
// folder of its own. The service owns the reader; the test keeps a view.
class SimulatedCard
{
public:
    SimulatedCard()
    {
        auto reader = std::make_unique<SimulatedIcReader>(m_folder.filePath("iccard.img"));
        m_reader = reader.get();
        IcUseReader(std::move(reader));
    }
    ~SimulatedCard() { IcUseReader(nullptr); }
    SimulatedIcReader& reader() { return *m_reader; }
    // A card whose text block holds bytes (at address 32), the rest of memory filled.
    void insert(const QByteArray& block, char filler = '\0')
    {
        QByteArray memory(SimulatedIcReader::MemorySize, filler);
        memory.replace(32, block.size(), block);
        QVERIFY(m_reader->insertCard(memory));
    }
    QByteArray block() const { return m_reader->memory().mid(32, 100); }

private:
    QTemporaryDir m_folder;
    SimulatedIcReader* m_reader = nullptr;
};

QByteArray terminated(const QByteArray& text)
{
    return text + QByteArray(100 - text.size(), '\0');
}

} // namespace

class TestIcCard : public QObject
{
    Q_OBJECT
private slots:
    void probeListsReadersAndOpensTheFirstUsable();
    void initWithoutProbeOpensTheFirstListed();
    void readsTheCardNumber();
    void writesTrimmedTextAndReadsItBack();
    void longTextFillsExactlyTheBlock();
    void lockedCardAndDroppedWritesAreCaught();
    void settingsScreenProbesReadsAndWrites();
    void configurationTurnsTheReaderOn();
};

void TestIcCard::probeListsReadersAndOpensTheFirstUsable()
{
    ScriptedPrompter prompter;
    SimulatedCard card;
    SimulatedIcReader& reader = card.reader();

    // No reader at all: one line, nothing opened.
    reader.setSlots({});
    QStringList log{QStringLiteral("earlier line")};
    IcProbe(log);
    QCOMPARE(log, (QStringList{QStringLiteral("earlier line"), QStringLiteral("未发现设备!")}));
    QVERIFY(!reader.isOpen());
    QCOMPARE(IcPortName(0), QStringLiteral("error"));

    // Readers listed but none usable: each checked, then not found.
    reader.setSlots({{"Reader A", false}, {"Reader B", false}});
    log.clear();
    IcProbe(log);
    QCOMPARE(log, (QStringList{checking + "Reader A", checking + "Reader B",
                               QStringLiteral("未发现设备!")}));
    QVERIFY(!reader.isOpen());
    QCOMPARE(reader.beeps(), 0);

    // The third reader is the first usable one; the fourth is never checked.
    reader.setSlots(
        {{"Reader A", false}, {"Reader B", false}, {"Reader C", true}, {"Reader D", true}});
    log.clear();
    IcProbe(log);
    QCOMPARE(log, (QStringList{checking + "Reader A", checking + "Reader B", checking + "Reader C",
                               found + "Reader C", opened}));
    QCOMPARE(reader.openName(), QStringLiteral("Reader C"));
    QCOMPARE(reader.beeps(), 1);
    QCOMPARE(IcPortName(2), QStringLiteral("Reader C"));
    QCOMPARE(IcPortName(3), QStringLiteral("Reader D"));
    QCOMPARE(IcPortName(4), QStringLiteral("error"));
    QCOMPARE(IcPortName(-1), QStringLiteral("error"));
    QVERIFY(prompter.shown().isEmpty()); // the probe speaks only into the log

    // A later open in the run goes to the remembered reader, not the first listed.
    IcClose();
    QVERIFY(!reader.isOpen());
    IcInit();
    QCOMPARE(reader.openName(), QStringLiteral("Reader C"));
    QCOMPARE(prompter.texts(), QStringList{opened});
    QCOMPARE(reader.beeps(), 2);

    // A probe that finds nothing closes the open reader and keeps the remembered one.
    reader.setSlots({{"Reader C", false}});
    log.clear();
    IcProbe(log);
    QVERIFY(!reader.isOpen());
    IcInit();
    QCOMPARE(reader.openName(), QStringLiteral("Reader C"));
}

void TestIcCard::initWithoutProbeOpensTheFirstListed()
{
    ScriptedPrompter prompter;
    SimulatedCard card;
    SimulatedIcReader& reader = card.reader();
    reader.setSlots({{"First", false}, {"Second", true}});
    IcInit();
    QCOMPARE(reader.openName(), QStringLiteral("First"));
    QCOMPARE(prompter.texts(), QStringList{opened});
    QCOMPARE(reader.beeps(), 1);

    // Opening again first closes what is open; with no reader listed it fails.
    prompter.clear();
    reader.setSlots({});
    IcInit();
    QVERIFY(!reader.isOpen());
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("设备初始化失败!")});
    QCOMPARE(reader.beeps(), 1);
}

void TestIcCard::readsTheCardNumber()
{
    ScriptedPrompter prompter;
    SimulatedCard card;
    SimulatedIcReader& reader = card.reader();
    IcInit();
    prompter.clear();

    // No card: the empty text, and the operator is asked for one.
    QCOMPARE(IcRead(), QString());
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("请插卡!")});
    QVERIFY(!IcCardPresent());

    // The text up to the zero byte, whatever follows it; one beep, no message.
    card.insert(QByteArray("0123456789\0garbage", 18), 'x');
    prompter.clear();
    QVERIFY(IcCardPresent());
    QCOMPARE(IcRead(), QStringLiteral("0123456789"));
    QCOMPARE(reader.beeps(), 2); // the opening, then the read
    QVERIFY(prompter.shown().isEmpty());

    // The card's text is GBK; older readers append protection bytes.
    card.insert(gbk::encode(QStringLiteral("会员A001")) + '\0');
    reader.setOlderReaderAnswers(true);
    QCOMPARE(IcRead(), QStringLiteral("会员A001"));
    reader.setOlderReaderAnswers(false);

    // A failed read yields a single blank and says so, without a beep.
    reader.setReadFails(true);
    QCOMPARE(IcRead(), QStringLiteral(" "));
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("数据读取失败!")});
    QCOMPARE(reader.beeps(), 3);

    // A closed reader sees no card.
    reader.setReadFails(false);
    IcClose();
    prompter.clear();
    QCOMPARE(IcRead(), QString());
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("请插卡!")});
}

void TestIcCard::writesTrimmedTextAndReadsItBack()
{
    ScriptedPrompter prompter;
    SimulatedCard card;
    SimulatedIcReader& reader = card.reader();
    IcInit();
    prompter.clear();

    // No card: nothing presented, nothing written.
    QVERIFY(!IcWrite(QStringLiteral("A001")));
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("请插卡!")});
    QCOMPARE(reader.codesPresented(), 0);

    card.insert(QByteArray(100, 'Z'));
    prompter.clear();
    QVERIFY(IcWrite(QStringLiteral(" \tA001\r\n")));
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("写卡成功!")});
    QCOMPARE(card.block(), terminated("A001"));
    QCOMPARE(reader.beeps(), 2);
    QCOMPARE(IcRead(), QStringLiteral("A001"));

    // Chinese text goes on the card in GBK.
    QVERIFY(IcWrite(QStringLiteral("张三的卡")));
    QCOMPARE(card.block(), terminated(gbk::encode(QStringLiteral("张三的卡"))));
    QCOMPARE(IcRead(), QStringLiteral("张三的卡"));

    // Blank text: the code has been presented, then the refusal; the card keeps its text.
    const int presented = reader.codesPresented();
    prompter.clear();
    QVERIFY(!IcWrite(QStringLiteral("  \t ")));
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("请输入要写入的数据!")});
    QCOMPARE(reader.codesPresented(), presented + 1);
    QCOMPARE(IcRead(), QStringLiteral("张三的卡"));

    // Older readers echo the counter and the code when accepting it.
    reader.setOlderReaderAnswers(true);
    prompter.clear();
    QVERIFY(IcWrite(QStringLiteral("B002")));
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("写卡成功!")});
    QCOMPARE(IcRead(), QStringLiteral("B002"));
}

void TestIcCard::longTextFillsExactlyTheBlock()
{
    ScriptedPrompter prompter;
    SimulatedCard card;
    IcInit();
    // What lies beyond the block must survive a write of a long text.
    card.insert(QByteArray(), char(0xA5));

    QString longText;
    for (int i = 0; i < 13; ++i)
        longText += QStringLiteral("%1abcdefghi").arg(i % 10);
    QCOMPARE(longText.size(), 130);
    QVERIFY(IcWrite(longText));
    QCOMPARE(card.block(), longText.left(100).toLatin1());
    const QByteArray memory = card.reader().memory();
    QCOMPARE(memory.mid(132), QByteArray(256 - 132, char(0xA5)));
    QCOMPARE(memory.left(32), QByteArray(32, char(0xA5)));
    QCOMPARE(IcRead(), longText.left(100));

    // Exactly 100 bytes: no terminator needed, all of it read back.
    QVERIFY(IcWrite(longText.left(100)));
    QCOMPARE(IcRead(), longText.left(100));

    // A character is never cut in half: 51 Chinese characters are 102 bytes,
    // and 50 of them fill the block.
    const QString chinese(51, QChar(0x4F1A)); // 会
    QVERIFY(IcWrite(chinese));
    QCOMPARE(card.block(), gbk::encode(chinese.left(50)));
    QCOMPARE(IcRead(), chinese.left(50));
    QCOMPARE(card.reader().memory().mid(132), QByteArray(256 - 132, char(0xA5)));
}

void TestIcCard::lockedCardAndDroppedWritesAreCaught()
{
    ScriptedPrompter prompter;
    SimulatedCard card;
    SimulatedIcReader& reader = card.reader();
    IcInit();
    card.insert(terminated("A001"));
    prompter.clear();

    // One try left: the code is not risked, the card is untouched.
    reader.setErrorCounter(0x01);
    QVERIFY(!IcWrite(QStringLiteral("B002")));
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("密码校验失败!")});
    QCOMPARE(reader.codesPresented(), 0);
    QCOMPARE(reader.errorCounter(), quint8(0x01));
    QCOMPARE(card.block(), terminated("A001"));
    // Locked for good: the same.
    reader.setErrorCounter(0x00);
    QVERIFY(!IcWrite(QStringLiteral("B002")));
    QCOMPARE(reader.codesPresented(), 0);

    // Two tries left but another code on the card: one try is spent, and the
    // next write stops before spending the last one.
    reader.setErrorCounter(0x03);
    reader.setSecurityCode(QByteArray::fromHex("123456"));
    prompter.clear();
    QVERIFY(!IcWrite(QStringLiteral("B002")));
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("密码校验失败!")});
    QCOMPARE(reader.codesPresented(), 1);
    QCOMPARE(reader.errorCounter(), quint8(0x01));
    QVERIFY(!IcWrite(QStringLiteral("B002")));
    QCOMPARE(reader.codesPresented(), 1);
    QCOMPARE(card.block(), terminated("A001"));

    // The card drops the write and the reader says yes: the read-back tells.
    reader.setSecurityCode(QByteArray::fromHex("FFFFFF"));
    reader.setErrorCounter(0x07);
    reader.setIgnoresWrites(true);
    prompter.clear();
    const int beeps = reader.beeps();
    QVERIFY(!IcWrite(QStringLiteral("B002")));
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("数据写入失败")});
    QCOMPARE(reader.beeps(), beeps);
    QCOMPARE(IcRead(), QStringLiteral("A001"));
}

void TestIcCard::settingsScreenProbesReadsAndWrites()
{
    ScriptedPrompter prompter;
    Venue venue;
    SimulatedCard card;
    card.reader().setSlots({{"Reader A", false}, {"Reader B", true}});
    venue.session().config().write(QStringLiteral("IcCard"), QStringLiteral("menu"),
                                   QStringLiteral("1"));
    TMainFm main(venue.session());
    QAction* entry = main.action(QStringLiteral("IC卡设备设置"));
    QVERIFY(entry->isVisible());
    QVERIFY(TMainFm::isOffered(entry));

    // The same screen each time it opens, with its log and fields as left.
    QList<TSeticmFm*> shown;
    QStringList firstSeen; // caption, write field, start-up box as first shown
    ScreenRecorder screens(main);
    screens.onShow([&](QDialog& dialog) {
        auto* screen = qobject_cast<TSeticmFm*>(&dialog);
        shown << screen;
        if (screen && shown.size() == 1) {
            firstSeen << screen->windowTitle() << screen->writeField()->text()
                      << (screen->startupBox()->isChecked() ? "checked" : "unchecked");
            screen->Probe();
            card.insert(QByteArray());
            screen->WriteTest();
            screen->ReadTest();
            screen->writeField()->setText(QStringLiteral("C003"));
        }
        return int(QDialog::Rejected);
    });
    entry->trigger();
    entry->trigger();
    QCOMPARE(screens.opened(), (QStringList{"TSeticmFm", "TSeticmFm"}));
    QCOMPARE(firstSeen, (QStringList{"IC设备设置", "0123456789", "unchecked"}));
    QCOMPARE(shown.size(), 2);
    QVERIFY(shown.at(0));
    QCOMPARE(shown.at(0), shown.at(1));
    TSeticmFm* screen = shown.at(1);
    QCOMPARE(screen->logBox()->toPlainText().split('\n'),
             (QStringList{checking + "Reader A", checking + "Reader B", found + "Reader B", opened,
                          QStringLiteral("读取值为:0123456789")}));
    QCOMPARE(screen->writeField()->text(), QStringLiteral("C003"));
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("写卡成功!")});

    // "启动时初始化设备" stores the reader flag for the next start.
    screen->SetStartupInit(true);
    IniFile stored(venue.session().config().path());
    QCOMPARE(stored.read(QStringLiteral("IcCard"), QStringLiteral("reader")), QStringLiteral("1"));
    QVERIFY(screen->startupBox()->isChecked());
    screen->SetStartupInit(false);
    stored.load();
    QCOMPARE(stored.read(QStringLiteral("IcCard"), QStringLiteral("reader")), QStringLiteral("0"));

    // Without the setting the entry stays hidden.
    Venue plain;
    TMainFm other(plain.session());
    QVERIFY(!other.action(QStringLiteral("IC卡设备设置"))->isVisible());
}

void TestIcCard::configurationTurnsTheReaderOn()
{
    ScriptedPrompter prompter;
    SeededDatabase db;
    const QString home = writeSystemIni(db, QStringLiteral("[IcCard]\nreader=1\ndevice=sim\n"));
    TLgFm login(home);
    login.setShowsMainWindow(false);
    QVERIFY(login.icReaderBox()->isChecked());
    QVERIFY(login.icReaderBox()->isHidden());
    auto* reader = dynamic_cast<SimulatedIcReader*>(&IcCurrentReader());
    QVERIFY(reader);
    QCOMPARE(reader->imagePath(), QDir(home).filePath(QStringLiteral("iccard.img")));

    login.prepareLogin();
    login.waitForPrefill();
    QVERIFY(login.login());
    QVERIFY(login.session().icReaderEnabled);

    // Showing the main window opens the reader.
    {
        TMainFm main(login.session());
        QVERIFY(!reader->isOpen());
        main.show();
        QVERIFY(reader->isOpen());
        QCOMPARE(prompter.lastText(), opened);
        main.hide();
    }
    // Without the flag it stays closed.
    IcClose();
    login.session().icReaderEnabled = false;
    TMainFm main(login.session());
    main.show();
    QVERIFY(!reader->isOpen());
    main.hide();
    IcUseReader(nullptr);

    // Any other device is the PC/SC service.
    SeededDatabase other;
    TLgFm pcsc(writeSystemIni(other, QStringLiteral("[IcCard]\nreader=0\n")));
    QVERIFY(!pcsc.icReaderBox()->isChecked());
    QVERIFY(!dynamic_cast<SimulatedIcReader*>(&IcCurrentReader()));
}

QTEST_MAIN(TestIcCard)
#include "tst_iccard.moc"
