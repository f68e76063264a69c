#pragma once

#include <QChar>
#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace shoupai {

struct PasswordInputResult
{
    bool confirmed = false;
    QString text;
};

// A modal one-line input box. mask: the character shown for each typed one; the
// zero character shows the text as typed. Cancel returns the default unchanged.
PasswordInputResult PasswordInputBox(const QString& caption, const QString& prompt,
                                     const QString& defaultText, QChar mask);

// The dialog behind PasswordInputBox: laid out in dialog units of its font, the
// way the classic one-line input box of the desktop is, so that it looks the
// same for every prompt length.
class TPasswordInputDlg : public QDialog
{
    Q_OBJECT
public:
    TPasswordInputDlg(const QString& caption, const QString& prompt, const QString& defaultText,
                      QChar mask, QWidget* parent = nullptr);

    // The edit box's text: what OK returns.
    QString text() const;

    QLabel* promptLabel() const { return m_prompt; }
    QLineEdit* edit() const { return m_edit; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

    // Dialog units of a font: horizontal ones are a quarter of the average width
    // of the letters A-Z and a-z, vertical ones an eighth of the font's height.
    static int horizontalUnits(const QFont& font, int units);
    static int verticalUnits(const QFont& font, int units);

private:
    void layOut();

    QLabel* m_prompt = nullptr;
    QLineEdit* m_edit = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace shoupai
