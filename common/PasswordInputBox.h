#pragma once

#include <QChar>
#include <QString>

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

} // namespace shoupai
