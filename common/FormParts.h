#pragma once

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>

class QFormLayout;
class QGridLayout;
class QLayout;

namespace shoupai::formparts {

// Small builders so that every widget of a screen gets its object name and
// screen readers get each field once: a caption label names the field beside
// it (its buddy), a value label is read by its text, an input or button by
// its caption.

// A caption; with a field, the caption is what a screen reader calls that field.
QLabel* caption(const QString& objectName, const QString& text, QWidget* parent,
                QWidget* field = nullptr);

// A value shown beside a caption. It has no accessible name of its own, so
// that its text, the value, is what is read; the caption names it.
QLabel* value(const QString& objectName, QWidget* parent);

// The caption text is no longer needed here: the caption label names the value
// through its buddy (see caption()). Kept while screens move to the form above.
inline QLabel* value(const QString& objectName, const QString& /*captionText*/, QWidget* parent)
{
    return value(objectName, parent);
}

// An input keeps its caption as its name: its text is what the operator types.
QLineEdit* edit(const QString& objectName, const QString& captionText, QWidget* parent);
QComboBox* choice(const QString& objectName, const QString& captionText, QWidget* parent);
QDateEdit* datePicker(const QString& objectName, const QString& captionText, QWidget* parent);
// Tab leaves the memo rather than typing a tab into it.
QPlainTextEdit* memo(const QString& objectName, const QString& captionText, QWidget* parent);

// Not a default button: Enter in a field must not press it behind the operator's back.
QPushButton* button(const QString& objectName, const QString& text, QWidget* parent);

// One row of a form: the caption's object name, its text, and the field it names.
struct FormRow
{
    QString captionName;
    QString text;
    QWidget* field = nullptr;
};

// The caption-and-field rows of a form, on a QFormLayout or on the first two
// columns of a QGridLayout. Each caption is made by caption() above, so it is
// buddied to its field and read as the field's name.
class FormGrid
{
public:
    FormGrid(QFormLayout* form, QWidget* captionParent);
    FormGrid(QGridLayout* grid, QWidget* captionParent);

    // A caption and its field; `fieldRow`, when given, is what stands beside the
    // caption (the field with its companions, such as a button).
    QLabel* addRow(const QString& captionName, const QString& text, QWidget* field,
                   QLayout* fieldRow = nullptr);
    // A caption the screen made itself (for instance to hide it with its field).
    void addRow(QLabel* caption, QWidget* field);
    void addRows(const QList<FormRow>& rows);
    // Captions named "label1", "label2", ... reading each field's accessible name.
    void addNumberedRows(const QList<QWidget*>& fields);
    // On a grid, where each caption sits in its cell (top, beside a tall field).
    void setCaptionAlignment(Qt::Alignment alignment) { m_captionAlignment = alignment; }

private:
    void place(QLabel* caption, QWidget* field, QLayout* fieldRow);

    QFormLayout* m_form = nullptr;
    QGridLayout* m_grid = nullptr;
    QWidget* m_parent = nullptr;
    Qt::Alignment m_captionAlignment;
    int m_row = 0;
};

} // namespace shoupai::formparts
