#include "TestDatabase.h"
#include "TestHome.h"
#include "app/IniFile.h"
#include "app/Session.h"
#include "billing/PosPrtSetUt.h"
#include "billing/Receipt.h"
#include "common/Prompter.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

namespace {

QPushButton* button(QWidget* form, const QString& caption)
{
    for (QPushButton* b : form->findChildren<QPushButton*>()) {
        if (b->accessibleName() == caption)
            return b;
    }
    return nullptr;
}

} // namespace

class TestPosPrtSet : public QObject
{
    Q_OBJECT
private slots:
    void showsTheSettingsReadAtStart();
    void applyWritesAndSwitchesThePortAtOnce();
    void exitAndUnsavableFileChangeNothing();
};

void TestPosPrtSet::showsTheSettingsReadAtStart()
{
    SeededDatabase db;
    ScriptedPrompter prompter;
    Session session;
    session.start(writeSystemIni(db)); // CheckOutPrtPreview=1, port=LPT1
    QCOMPARE(session.port, QStringLiteral("LPT1"));
    session.port = QStringLiteral("COM3");
    {
        TPosPrtSetFm form(session);
        QCOMPARE(form.windowTitle(), QStringLiteral("Pos打印机设置"));
        QVERIFY(form.previewButton()->isChecked());
        QVERIFY(!form.directButton()->isChecked());
        QCOMPARE(form.portField()->currentText(), QStringLiteral("COM3"));
        QVERIFY(form.portField()->isEditable());
        QStringList ports;
        for (int i = 0; i < form.portField()->count(); ++i)
            ports << form.portField()->itemText(i);
        QCOMPARE(ports, QStringList({"LPT1", "LPT2", "LPT3", "COM1", "COM2", "COM3", "COM4", "COM5",
                                     "COM6", "COM7", "COM8", "COM9"}));
        QStringList groups;
        for (QGroupBox* group : form.findChildren<QGroupBox*>())
            groups << group->title();
        QVERIFY(groups.contains(QStringLiteral("结帐-打印按钮的默认状态")));
        QVERIFY(groups.contains(QStringLiteral("端口选择")));
    }
    // "0" and anything else start with direct printing.
    for (const QString& flag : {QStringLiteral("0"), QStringLiteral("yes")}) {
        session.checkOutPrtPreview = flag;
        TPosPrtSetFm form(session);
        QVERIFY(form.directButton()->isChecked());
        QVERIFY(!form.previewButton()->isChecked());
    }
}

void TestPosPrtSet::applyWritesAndSwitchesThePortAtOnce()
{
    SeededDatabase db;
    const QString home = writeSystemIni(db);
    ScriptedPrompter prompter;
    Session session;
    session.start(home);
    session.config().write(QStringLiteral("PosPrt"), QStringLiteral("CheckOutPrtPreview"),
                           QStringLiteral("0"));
    session.checkOutPrtPreview = QStringLiteral("0");
    QTemporaryDir folder;
    const QString port = folder.filePath(QStringLiteral("pos.out"));

    TPosPrtSetFm form(session);
    QVERIFY(form.directButton()->isChecked());
    form.previewButton()->setChecked(true);
    form.portField()->setCurrentText(port);
    button(&form, QStringLiteral("应用"))->click();
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("修改完毕,重启软件后生效!")});
    QCOMPARE(form.result(), int(QDialog::Accepted));

    IniFile written(QDir(home).filePath(QStringLiteral("system.ini")));
    QCOMPARE(written.read(QStringLiteral("PosPrt"), QStringLiteral("CheckOutPrtPreview")),
             QStringLiteral("1"));
    QCOMPARE(written.read(QStringLiteral("PosPrt"), QStringLiteral("port")), port);
    // The port counts at once, the preview default only after a restart.
    QCOMPARE(session.port, port);
    QCOMPARE(session.checkOutPrtPreview, QStringLiteral("0"));

    CheckoutReceipt receipt;
    receipt.shopName = QStringLiteral("店");
    receipt.printedAt = QDateTime(QDate(2026, 12, 9), QTime(8, 0));
    PrintCheckoutReceipt(session, receipt, false);
    QFile printed(port);
    QVERIFY(printed.open(QIODevice::ReadOnly));
    QCOMPARE(printed.readAll(), CheckoutReceiptBytes(receipt));

    // Direct printing chosen again writes "0".
    TPosPrtSetFm again(session);
    QCOMPARE(again.portField()->currentText(), port);
    again.directButton()->setChecked(true);
    again.Apply();
    written.load();
    QCOMPARE(written.read(QStringLiteral("PosPrt"), QStringLiteral("CheckOutPrtPreview")),
             QStringLiteral("0"));

    Session restarted;
    restarted.start(home);
    QCOMPARE(restarted.checkOutPrtPreview, QStringLiteral("0"));
    QCOMPARE(restarted.port, port);
}

void TestPosPrtSet::exitAndUnsavableFileChangeNothing()
{
    SeededDatabase db;
    const QString home = writeSystemIni(db);
    const QString iniPath = QDir(home).filePath(QStringLiteral("system.ini"));
    ScriptedPrompter prompter;
    Session session;
    session.start(home);
    QFile ini(iniPath);
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QByteArray before = ini.readAll();
    ini.close();

    {
        TPosPrtSetFm form(session);
        form.portField()->setCurrentText(QStringLiteral("COM2"));
        button(&form, QStringLiteral("退出"))->click();
        QCOMPARE(form.result(), int(QDialog::Rejected));
    }
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(ini.readAll(), before);
    ini.close();
    QCOMPARE(session.port, QStringLiteral("LPT1"));
    QVERIFY(prompter.shown().isEmpty());

    // A configuration file that cannot be saved (a folder stands in its place,
    // which stops even the super user): told so, the port stays.
    QVERIFY(QFile::remove(iniPath));
    QVERIFY(QDir().mkdir(iniPath));
    TPosPrtSetFm form(session);
    form.portField()->setCurrentText(QStringLiteral("COM2"));
    form.Apply();
    QVERIFY(QDir().rmdir(iniPath));
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QCOMPARE(prompter.shown().size(), 1);
    QCOMPARE(prompter.shown().first().kind, Prompter::Kind::Error);
    QCOMPARE(session.port, QStringLiteral("LPT1"));
}

QTEST_MAIN(TestPosPrtSet)
#include "tst_posprtset.moc"
