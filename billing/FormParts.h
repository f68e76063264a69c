#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

namespace shoupai::formparts {

// Small builders so that every widget of a screen gets its object name and
// screen readers get each field once: a caption label names the field beside
// it (its buddy), a value label is read by its text, an input or button by
// its caption.

// A caption; with a field, the caption is what a screen reader calls that field.
inline QLabel* caption(const QString& objectName, const QString& text, QWidget* parent,
                       QWidget* field = nullptr)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setAccessibleName(text);
    if (field)
        label->setBuddy(field);
    return label;
}

// A value shown beside a caption. It has no accessible name of its own, so
// that its text, the value, is what is read; the caption names it.
inline QLabel* value(const QString& objectName, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// The caption text is no longer needed here: the caption label names the value
// through its buddy (see caption()). Kept while screens move to the form above.
inline QLabel* value(const QString& objectName, const QString& /*captionText*/, QWidget* parent)
{
    return value(objectName, parent);
}

// An input keeps its caption as its name: its text is what the operator types.
inline QLineEdit* edit(const QString& objectName, const QString& captionText, QWidget* parent)
{
    auto* line = new QLineEdit(parent);
    line->setObjectName(objectName);
    line->setAccessibleName(captionText);
    return line;
}

inline QPushButton* button(const QString& objectName, const QString& text, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(objectName);
    b->setAccessibleName(text);
    b->setAutoDefault(false);
    return b;
}

} // namespace shoupai::formparts
