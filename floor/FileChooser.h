#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace shoupai {

// The file dialogs of backup and restore, so that tests can answer them.
class FileChooser
{
public:
    virtual ~FileChooser() = default;

    // A file to write; empty when cancelled. proposed is the name filled in.
    virtual QString saveFileName(QWidget* parent, const QString& caption,
                                 const QString& proposed) = 0;
    // An existing file to read; empty when cancelled.
    virtual QString openFileName(QWidget* parent, const QString& caption) = 0;

    // The chooser in use; the dialog-showing one unless a test installed another.
    static FileChooser& current();
    // Installs a chooser (not owned); nullptr restores the dialog-showing one.
    static void install(FileChooser* chooser);
};

// Shows the desktop's file dialogs.
class DialogFileChooser final : public FileChooser
{
public:
    QString saveFileName(QWidget* parent, const QString& caption, const QString& proposed) override;
    QString openFileName(QWidget* parent, const QString& caption) override;
};

// Answers from a script (an empty answer cancels) and records the proposed
// names: for tests. Installs itself for its lifetime.
class ScriptedFileChooser final : public FileChooser
{
public:
    ScriptedFileChooser();
    ~ScriptedFileChooser() override;
    ScriptedFileChooser(const ScriptedFileChooser&) = delete;
    ScriptedFileChooser& operator=(const ScriptedFileChooser&) = delete;

    void queueAnswer(const QString& path) { m_answers.append(path); }
    const QStringList& proposals() const { return m_proposals; }
    int asked() const { return m_asked; }

    QString saveFileName(QWidget* parent, const QString& caption, const QString& proposed) override;
    QString openFileName(QWidget* parent, const QString& caption) override;

private:
    QString nextAnswer();

    FileChooser* m_previous = nullptr;
    QStringList m_answers;
    QStringList m_proposals;
    int m_asked = 0;
};

} // namespace shoupai
