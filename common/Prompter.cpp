#include "common/Prompter.h"

#include "common/PasswordInputBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>

#include <cstdio>

namespace shoupai {

namespace {

Prompter* installed = nullptr;

QString captionOr(const QString& caption)
{
    return caption.isEmpty() ? applicationTitle : caption;
}

void showBox(QMessageBox::Icon icon, const QString& text, const QString& caption)
{
    QMessageBox box(icon, captionOr(caption), text, QMessageBox::Ok, QApplication::activeWindow());
    box.setObjectName(QStringLiteral("messageBox"));
    box.button(QMessageBox::Ok)->setObjectName(QStringLiteral("okButton"));
    box.exec();
}

} // namespace

Prompter& Prompter::current()
{
    static DialogPrompter dialogs;
    return installed ? *installed : dialogs;
}

void Prompter::install(Prompter* prompter)
{
    installed = prompter;
}

void DialogPrompter::inform(const QString& text, const QString& caption)
{
    showBox(QMessageBox::Information, text, caption);
}

void DialogPrompter::warn(const QString& text, const QString& caption)
{
    showBox(QMessageBox::Warning, text, caption);
}

void DialogPrompter::error(const QString& text, const QString& caption)
{
    showBox(QMessageBox::Critical, text, caption);
}

bool DialogPrompter::ask(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Question, captionOr(caption), text,
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setObjectName(QStringLiteral("questionBox"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> DialogPrompter::input(const QString& caption, const QString& prompt,
                                             const QString& defaultText, QChar mask)
{
    const PasswordInputResult result = PasswordInputBox(caption, prompt, defaultText, mask);
    if (!result.confirmed)
        return std::nullopt;
    return result.text;
}

namespace {
void writeLine(const char* kind, const QString& caption, const QString& text)
{
    std::fprintf(stderr, "[%s] %s: %s\n", kind, captionOr(caption).toUtf8().constData(),
                 text.toUtf8().constData());
}
} // namespace

ConsolePrompter::ConsolePrompter()
{
    m_previous = installed;
    Prompter::install(this);
}

ConsolePrompter::~ConsolePrompter()
{
    Prompter::install(m_previous);
}

void ConsolePrompter::inform(const QString& text, const QString& caption)
{
    writeLine("information", caption, text);
}

void ConsolePrompter::warn(const QString& text, const QString& caption)
{
    writeLine("warning", caption, text);
}

void ConsolePrompter::error(const QString& text, const QString& caption)
{
    writeLine("error", caption, text);
}

bool ConsolePrompter::ask(const QString& text, const QString& caption)
{
    writeLine("question, answered no", caption, text);
    return false;
}

std::optional<QString> ConsolePrompter::input(const QString& caption, const QString& prompt,
                                              const QString&, QChar)
{
    writeLine("input, cancelled", caption, prompt);
    return std::nullopt;
}

ScriptedPrompter::ScriptedPrompter()
{
    m_previous = installed;
    Prompter::install(this);
}

ScriptedPrompter::~ScriptedPrompter()
{
    Prompter::install(m_previous);
}

QStringList ScriptedPrompter::texts() const
{
    QStringList list;
    for (const Shown& shown : m_shown)
        list << shown.text;
    return list;
}

void ScriptedPrompter::inform(const QString& text, const QString& caption)
{
    m_shown.append({Kind::Information, caption, text});
}

void ScriptedPrompter::warn(const QString& text, const QString& caption)
{
    m_shown.append({Kind::Warning, caption, text});
}

void ScriptedPrompter::error(const QString& text, const QString& caption)
{
    m_shown.append({Kind::Error, caption, text});
}

bool ScriptedPrompter::ask(const QString& text, const QString& caption)
{
    m_shown.append({Kind::Question, caption, text});
    if (m_answers.isEmpty()) {
        ++m_unanswered;
        return false;
    }
    return m_answers.takeFirst();
}

std::optional<QString> ScriptedPrompter::input(const QString& caption, const QString& prompt,
                                               const QString& defaultText, QChar mask)
{
    Q_UNUSED(defaultText);
    Q_UNUSED(mask);
    m_shown.append({Kind::Input, caption, prompt});
    if (m_inputs.isEmpty()) {
        ++m_unanswered;
        return std::nullopt;
    }
    return m_inputs.takeFirst();
}

} // namespace shoupai
