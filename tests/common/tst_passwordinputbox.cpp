#include "common/PasswordInputBox.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using shoupai::PasswordInputBox;
using shoupai::TPasswordInputDlg;

namespace {

// Runs action on the input box once it is up inside PasswordInputBox's own loop.
void whenDialogShows(std::function<void(TPasswordInputDlg*)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        auto* dialog = qobject_cast<TPasswordInputDlg*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(dialog);
    });
    timer->start();
}

} // namespace

class TestPasswordInputBox : public QObject
{
    Q_OBJECT
private slots:
    void presetSelectedAndMasked();
    void layoutFollowsDialogUnits();
    void confirmAndCancel();
    void modalBoxReturnsTextOrDefault();
};

void TestPasswordInputBox::presetSelectedAndMasked()
{
    TPasswordInputDlg masked(QStringLiteral("请输入正确的密码"), QStringLiteral("密码:"),
                             QStringLiteral("abc"), u'*');
    masked.show();
    QVERIFY(QTest::qWaitForWindowExposed(&masked));
    QCOMPARE(masked.windowTitle(), QStringLiteral("请输入正确的密码"));
    QCOMPARE(masked.promptLabel()->text(), QStringLiteral("密码:"));
    QLineEdit* edit = masked.edit();
    QCOMPARE(edit->text(), QStringLiteral("abc"));
    QCOMPARE(edit->selectedText(), QStringLiteral("abc"));
    QCOMPARE(edit->echoMode(), QLineEdit::Password);
    QCOMPARE(edit->displayText(), QStringLiteral("***"));
    QCOMPARE(edit->maxLength(), 255);
    QVERIFY(edit->hasFocus());
    // Typing replaces the selected preset.
    QTest::keyClicks(edit, QStringLiteral("xy"));
    QCOMPARE(masked.text(), QStringLiteral("xy"));
    QCOMPARE(edit->displayText(), QStringLiteral("**"));

    TPasswordInputDlg other(QStringLiteral("c"), QStringLiteral("p"), QStringLiteral("ab"), u'#');
    QCOMPARE(other.edit()->displayText(), QStringLiteral("##"));

    TPasswordInputDlg plain(QStringLiteral("c"), QStringLiteral("p"), QStringLiteral("看得见"),
                            QChar());
    QCOMPARE(plain.edit()->echoMode(), QLineEdit::Normal);
    QCOMPARE(plain.edit()->displayText(), QStringLiteral("看得见"));

    QVERIFY(!masked.objectName().isEmpty());
    for (QWidget* w :
         {static_cast<QWidget*>(masked.promptLabel()), static_cast<QWidget*>(masked.edit()),
          static_cast<QWidget*>(masked.okButton()), static_cast<QWidget*>(masked.cancelButton())}) {
        QVERIFY(!w->objectName().isEmpty());
        QVERIFY(!w->accessibleName().isEmpty());
    }
}

void TestPasswordInputBox::layoutFollowsDialogUnits()
{
    TPasswordInputDlg dialog(QStringLiteral("c"), QStringLiteral("密码:"), QString(), u'*');
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QFont f = dialog.font();
    const QFontMetrics metrics(f);
    const int average = metrics.horizontalAdvance(QStringLiteral(
                            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                        52;
    QVERIFY(average > 0);
    auto hu = [&](int units) { return (units * average + 2) / 4; };
    auto vu = [&](int units) { return (units * metrics.height() + 4) / 8; };

    const QRect prompt = dialog.promptLabel()->geometry();
    const QRect edit = dialog.edit()->geometry();
    const QRect ok = dialog.okButton()->geometry();
    const QRect cancel = dialog.cancelButton()->geometry();

    QCOMPARE(dialog.width(), hu(180));
    QCOMPARE(prompt.topLeft(), QPoint(hu(8), vu(8)));
    QVERIFY(prompt.width() <= hu(164));
    QCOMPARE(edit.left(), prompt.left());
    QCOMPARE(edit.top(), prompt.bottom() + 1 + 5);
    QCOMPARE(edit.width(), hu(164));
    QCOMPARE(ok.top(), edit.bottom() + 1 + 15);
    QCOMPARE(cancel.top(), ok.top());
    QCOMPARE(ok.left(), hu(38));
    QCOMPARE(cancel.left(), hu(92));
    QVERIFY(cancel.left() > ok.right());
    QCOMPARE(ok.size(), QSize(hu(50), vu(14)));
    QCOMPARE(cancel.size(), ok.size());
    QCOMPARE(dialog.height(), ok.bottom() + 1 + 13);
    // Everything lies inside the dialog.
    QVERIFY(dialog.rect().contains(edit));
    QVERIFY(dialog.rect().contains(cancel));

    // A long prompt wraps within 164 units and pushes the rest down.
    const QString longPrompt = QStringLiteral("请输入会员卡密码，").repeated(12);
    TPasswordInputDlg wrapped(QStringLiteral("c"), longPrompt, QString(), u'*');
    wrapped.show();
    QVERIFY(QTest::qWaitForWindowExposed(&wrapped));
    QVERIFY(wrapped.promptLabel()->wordWrap());
    QVERIFY(wrapped.promptLabel()->width() <= hu(164));
    QVERIFY(wrapped.promptLabel()->height() > 2 * metrics.height());
    QCOMPARE(wrapped.edit()->y(), wrapped.promptLabel()->geometry().bottom() + 1 + 5);
    QVERIFY(wrapped.height() > dialog.height());
    QCOMPARE(wrapped.width(), dialog.width());
}

void TestPasswordInputBox::confirmAndCancel()
{
    {
        TPasswordInputDlg dialog(QStringLiteral("c"), QStringLiteral("p"), QStringLiteral("old"),
                                 u'*');
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(dialog.okButton()->isDefault());
        QTest::keyClicks(dialog.edit(), QStringLiteral("new"));
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.text(), QStringLiteral("new"));
    }
    {
        TPasswordInputDlg dialog(QStringLiteral("c"), QStringLiteral("p"), QStringLiteral("old"),
                                 u'*');
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        // Enter in the edit box confirms through the default button.
        QTest::keyClick(dialog.edit(), Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
    }
    {
        TPasswordInputDlg dialog(QStringLiteral("c"), QStringLiteral("p"), QStringLiteral("old"),
                                 u'*');
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
}

void TestPasswordInputBox::modalBoxReturnsTextOrDefault()
{
    whenDialogShows([](TPasswordInputDlg* dialog) {
        QTest::keyClicks(dialog->edit(), QStringLiteral("txe951730468"));
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    });
    auto confirmed = PasswordInputBox(QStringLiteral("请输入正确的密码"), QStringLiteral("密码:"),
                                      QString(), u'*');
    QVERIFY(confirmed.confirmed);
    QCOMPARE(confirmed.text, QStringLiteral("txe951730468"));

    // OK without typing returns the preset.
    whenDialogShows(
        [](TPasswordInputDlg* dialog) { QTest::keyClick(dialog->edit(), Qt::Key_Enter); });
    auto kept =
        PasswordInputBox(QStringLiteral("c"), QStringLiteral("p"), QStringLiteral("2863"), QChar());
    QVERIFY(kept.confirmed);
    QCOMPARE(kept.text, QStringLiteral("2863"));

    // Escape: not confirmed, and the default comes back whatever was typed.
    whenDialogShows([](TPasswordInputDlg* dialog) {
        QTest::keyClicks(dialog->edit(), QStringLiteral("typed"));
        QTest::keyClick(dialog->edit(), Qt::Key_Escape);
    });
    auto escaped =
        PasswordInputBox(QStringLiteral("c"), QStringLiteral("p"), QStringLiteral("default"), u'*');
    QVERIFY(!escaped.confirmed);
    QCOMPARE(escaped.text, QStringLiteral("default"));

    whenDialogShows([](TPasswordInputDlg* dialog) {
        QTest::keyClicks(dialog->edit(), QStringLiteral("typed"));
        QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    });
    auto cancelled =
        PasswordInputBox(QStringLiteral("c"), QStringLiteral("p"), QStringLiteral("default"), u'*');
    QVERIFY(!cancelled.confirmed);
    QCOMPARE(cancelled.text, QStringLiteral("default"));

    // Closing the window counts as cancel.
    whenDialogShows([](TPasswordInputDlg* dialog) {
        QTest::keyClicks(dialog->edit(), QStringLiteral("typed"));
        dialog->close();
    });
    auto closed =
        PasswordInputBox(QStringLiteral("c"), QStringLiteral("p"), QStringLiteral("default"), u'*');
    QVERIFY(!closed.confirmed);
    QCOMPARE(closed.text, QStringLiteral("default"));
}

QTEST_MAIN(TestPasswordInputBox)
#include "tst_passwordinputbox.moc"
