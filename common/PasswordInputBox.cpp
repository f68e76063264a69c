#include "common/PasswordInputBox.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QStyleOption>

namespace shoupai {

namespace {

// Shows the box's own mask character: the line edit takes its password
// character from the style, and the desktop's style would show its own.
class MaskStyle final : public QProxyStyle
{
public:
    explicit MaskStyle(QChar mask) : m_mask(mask) {}

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return m_mask.unicode();
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

private:
    QChar m_mask;
};

int averageCharWidth(const QFont& font)
{
    static const QString letters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return QFontMetrics(font).horizontalAdvance(letters) / 52;
}

} // namespace

int TPasswordInputDlg::horizontalUnits(const QFont& font, int units)
{
    return (units * averageCharWidth(font) + 2) / 4; // rounded, as MulDiv does
}

int TPasswordInputDlg::verticalUnits(const QFont& font, int units)
{
    return (units * QFontMetrics(font).height() + 4) / 8;
}

TPasswordInputDlg::TPasswordInputDlg(const QString& caption, const QString& prompt,
                                     const QString& defaultText, QChar mask, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("passwordInputDlg"));
    setWindowTitle(caption);
    setAccessibleName(caption);

    m_prompt = new QLabel(prompt, this);
    m_prompt->setObjectName(QStringLiteral("promptLabel"));
    m_prompt->setAccessibleName(prompt);
    m_prompt->setWordWrap(true);

    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("valueEdit"));
    m_edit->setAccessibleName(prompt);
    m_edit->setMaxLength(255);
    if (!mask.isNull()) {
        auto* style = new MaskStyle(mask);
        style->setParent(m_edit);
        m_edit->setStyle(style);
        m_edit->setEchoMode(QLineEdit::Password);
    }
    m_prompt->setBuddy(m_edit);
    m_edit->setText(defaultText);
    m_edit->selectAll();

    // The desktop's own captions, as the platform's standard buttons carry them.
    m_ok = new QPushButton(QCoreApplication::translate("QPlatformTheme", "OK"), this);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_ok->setAccessibleName(m_ok->text());
    m_ok->setDefault(true);
    m_ok->setAutoDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    m_cancel = new QPushButton(QCoreApplication::translate("QPlatformTheme", "Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_cancel->setAccessibleName(m_cancel->text());
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    layOut();
    m_edit->setFocus();
}

void TPasswordInputDlg::layOut()
{
    const QFont& f = font();
    const int left = horizontalUnits(f, 8);

    const int promptMax = horizontalUnits(f, 164);
    const int promptWidth = qMin(m_prompt->sizeHint().width(), promptMax);
    const int promptHeight = m_prompt->heightForWidth(promptWidth) > 0
                                 ? m_prompt->heightForWidth(promptWidth)
                                 : m_prompt->sizeHint().height();
    m_prompt->setMaximumWidth(promptMax);
    m_prompt->setGeometry(left, verticalUnits(f, 8), promptWidth, promptHeight);

    const int editTop = m_prompt->geometry().bottom() + 1 + 5;
    m_edit->setGeometry(left, editTop, horizontalUnits(f, 164), m_edit->sizeHint().height());

    const int buttonTop = m_edit->geometry().bottom() + 1 + 15;
    const int buttonWidth = horizontalUnits(f, 50);
    const int buttonHeight = verticalUnits(f, 14);
    m_ok->setGeometry(horizontalUnits(f, 38), buttonTop, buttonWidth, buttonHeight);
    m_cancel->setGeometry(horizontalUnits(f, 92), buttonTop, buttonWidth, buttonHeight);

    setFixedSize(horizontalUnits(f, 180), buttonTop + buttonHeight + 13);
}

QString TPasswordInputDlg::text() const
{
    return m_edit->text();
}

PasswordInputResult PasswordInputBox(const QString& caption, const QString& prompt,
                                     const QString& defaultText, QChar mask)
{
    TPasswordInputDlg dialog(caption, prompt, defaultText, mask, QApplication::activeWindow());
    if (QScreen* screen = dialog.screen()) {
        QRect frame = dialog.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        dialog.move(frame.topLeft());
    }
    if (dialog.exec() == QDialog::Accepted)
        return {true, dialog.text()};
    return {false, defaultText};
}

} // namespace shoupai
