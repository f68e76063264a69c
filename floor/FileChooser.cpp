#include "floor/FileChooser.h"

#include <QFileDialog>

namespace shoupai {

namespace {

FileChooser*& installed()
{
    static FileChooser* chooser = nullptr;
    return chooser;
}

} // namespace

FileChooser& FileChooser::current()
{
    static DialogFileChooser dialogs;
    FileChooser* chooser = installed();
    return chooser ? *chooser : dialogs;
}

void FileChooser::install(FileChooser* chooser)
{
    installed() = chooser;
}

QString DialogFileChooser::saveFileName(QWidget* parent, const QString& caption,
                                        const QString& proposed)
{
    return QFileDialog::getSaveFileName(parent, caption, proposed);
}

QString DialogFileChooser::openFileName(QWidget* parent, const QString& caption)
{
    return QFileDialog::getOpenFileName(parent, caption);
}

ScriptedFileChooser::ScriptedFileChooser() : m_previous(installed())
{
    install(this);
}

ScriptedFileChooser::~ScriptedFileChooser()
{
    install(m_previous);
}

QString ScriptedFileChooser::nextAnswer()
{
    ++m_asked;
    return m_answers.isEmpty() ? QString() : m_answers.takeFirst();
}

QString ScriptedFileChooser::saveFileName(QWidget*, const QString&, const QString& proposed)
{
    m_proposals.append(proposed);
    return nextAnswer();
}

QString ScriptedFileChooser::openFileName(QWidget*, const QString&)
{
    return nextAnswer();
}

} // namespace shoupai
