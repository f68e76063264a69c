#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

namespace shoupai::formparts {

// Small builders so that every widget of the billing screens gets its object
// name and, where the operator reads a caption, the same accessible name.

inline QLabel* caption(const QString& objectName, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setAccessibleName(text);
    return label;
}

// A value shown beside a caption; its accessible name is the caption.
inline QLabel* value(const QString& objectName, const QString& captionText, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setAccessibleName(captionText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

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
