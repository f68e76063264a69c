#include "common/PasswordInputBox.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>

namespace shoupai {

// Placeholder until the laid-out dialog lands.
PasswordInputResult PasswordInputBox(const QString& caption, const QString& prompt,
                                     const QString& defaultText, QChar mask)
{
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), caption, prompt,
                                               mask.isNull() ? QLineEdit::Normal
                                                             : QLineEdit::Password,
                                               defaultText, &ok);
    return ok ? PasswordInputResult{true, text} : PasswordInputResult{false, defaultText};
}

} // namespace shoupai
