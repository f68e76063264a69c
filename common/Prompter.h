#pragma once

#include <QChar>
#include <QList>
#include <QString>

#include <optional>

namespace shoupai {

// The program's title: the caption of a message box that brings none of its own.
inline const QString applicationTitle = QStringLiteral("管理系统");

// Every message box, Yes/No question and input box of the system goes through
// the current prompter, so that tests can answer them and read their texts.
class Prompter
{
public:
    enum class Kind
    {
        Information,
        Warning,
        Error,
        Question,
        Input
    };

    virtual ~Prompter() = default;

    // An empty caption stands for the application title, as a plain message box has.
    virtual void inform(const QString& text, const QString& caption = {}) = 0;
    virtual void warn(const QString& text, const QString& caption = {}) = 0;
    virtual void error(const QString& text, const QString& caption = {}) = 0;
    // Yes/No; true for Yes.
    virtual bool ask(const QString& text, const QString& caption = {}) = 0;
    // A one-line input box; nothing when cancelled. mask: character shown for each
    // typed one, or the zero character to show the text.
    virtual std::optional<QString> input(const QString& caption, const QString& prompt,
                                         const QString& defaultText, QChar mask = QChar()) = 0;

    // The prompter in use; the dialog-showing one unless a test installed another.
    static Prompter& current();
    // Installs a prompter (not owned); nullptr restores the dialog-showing one.
    static void install(Prompter* prompter);
};

// Shows real dialogs.
class DialogPrompter final : public Prompter
{
public:
    void inform(const QString& text, const QString& caption = {}) override;
    void warn(const QString& text, const QString& caption = {}) override;
    void error(const QString& text, const QString& caption = {}) override;
    bool ask(const QString& text, const QString& caption = {}) override;
    std::optional<QString> input(const QString& caption, const QString& prompt,
                                 const QString& defaultText, QChar mask = QChar()) override;
};

// Writes every message to standard error and answers No / cancel: for runs
// without anyone at the desktop (benchmarks, process tests). Installs itself.
class ConsolePrompter final : public Prompter
{
public:
    ConsolePrompter();
    ~ConsolePrompter() override;
    void inform(const QString& text, const QString& caption = {}) override;
    void warn(const QString& text, const QString& caption = {}) override;
    void error(const QString& text, const QString& caption = {}) override;
    bool ask(const QString& text, const QString& caption = {}) override;
    std::optional<QString> input(const QString& caption, const QString& prompt,
                                 const QString& defaultText, QChar mask = QChar()) override;

private:
    Prompter* m_previous = nullptr;
};

// Answers from a script and records what was shown: for tests.
class ScriptedPrompter final : public Prompter
{
public:
    struct Shown
    {
        Kind kind;
        QString caption;
        QString text;
    };

    // Installs itself for its lifetime.
    ScriptedPrompter();
    ~ScriptedPrompter() override;

    void queueAnswer(bool yes) { m_answers.append(yes); }
    void queueInput(std::optional<QString> text) { m_inputs.append(std::move(text)); }

    const QList<Shown>& shown() const { return m_shown; }
    QStringList texts() const;
    QString lastText() const { return m_shown.isEmpty() ? QString() : m_shown.last().text; }
    void clear() { m_shown.clear(); }
    // Questions or inputs asked with no answer queued (they were answered No / cancelled).
    int unanswered() const { return m_unanswered; }

    void inform(const QString& text, const QString& caption = {}) override;
    void warn(const QString& text, const QString& caption = {}) override;
    void error(const QString& text, const QString& caption = {}) override;
    bool ask(const QString& text, const QString& caption = {}) override;
    std::optional<QString> input(const QString& caption, const QString& prompt,
                                 const QString& defaultText, QChar mask = QChar()) override;

private:
    Prompter* m_previous = nullptr;
    QList<Shown> m_shown;
    QList<bool> m_answers;
    QList<std::optional<QString>> m_inputs;
    int m_unanswered = 0;
};

} // namespace shoupai
