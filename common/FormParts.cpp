#include "common/FormParts.h"

#include <QFormLayout>
#include <QGridLayout>

namespace shoupai::formparts {

QLabel* caption(const QString& objectName, const QString& text, QWidget* parent, QWidget* field)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setAccessibleName(text);
    if (field)
        label->setBuddy(field);
    return label;
}

QLabel* value(const QString& objectName, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QLineEdit* edit(const QString& objectName, const QString& captionText, QWidget* parent)
{
    auto* line = new QLineEdit(parent);
    line->setObjectName(objectName);
    line->setAccessibleName(captionText);
    return line;
}

QComboBox* choice(const QString& objectName, const QString& captionText, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(objectName);
    box->setAccessibleName(captionText);
    return box;
}

QDateEdit* datePicker(const QString& objectName, const QString& captionText, QWidget* parent)
{
    auto* picker = new QDateEdit(parent);
    picker->setObjectName(objectName);
    picker->setAccessibleName(captionText);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return picker;
}

QPlainTextEdit* memo(const QString& objectName, const QString& captionText, QWidget* parent)
{
    auto* text = new QPlainTextEdit(parent);
    text->setObjectName(objectName);
    text->setAccessibleName(captionText);
    text->setTabChangesFocus(true);
    return text;
}

QPushButton* button(const QString& objectName, const QString& text, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(objectName);
    b->setAccessibleName(text);
    b->setAutoDefault(false);
    return b;
}

FormGrid::FormGrid(QFormLayout* form, QWidget* captionParent)
    : m_form(form), m_parent(captionParent)
{
}

FormGrid::FormGrid(QGridLayout* grid, QWidget* captionParent)
    : m_grid(grid), m_parent(captionParent)
{
}

QLabel* FormGrid::addRow(const QString& captionName, const QString& text, QWidget* field,
                         QLayout* fieldRow)
{
    QLabel* label = caption(captionName, text, m_parent, field);
    place(label, field, fieldRow);
    return label;
}

void FormGrid::addRow(QLabel* label, QWidget* field)
{
    place(label, field, nullptr);
}

void FormGrid::addRows(const QList<FormRow>& rows)
{
    for (const FormRow& row : rows)
        addRow(row.captionName, row.text, row.field);
}

void FormGrid::addNumberedRows(const QList<QWidget*>& fields)
{
    for (QWidget* field : fields)
        addRow(QStringLiteral("label%1").arg(m_row + 1), field->accessibleName(), field);
}

void FormGrid::place(QLabel* label, QWidget* field, QLayout* fieldRow)
{
    if (m_form) {
        if (fieldRow)
            m_form->addRow(label, fieldRow);
        else
            m_form->addRow(label, field);
    } else {
        m_grid->addWidget(label, m_row, 0, m_captionAlignment);
        if (fieldRow)
            m_grid->addLayout(fieldRow, m_row, 1);
        else
            m_grid->addWidget(field, m_row, 1);
    }
    ++m_row;
}

} // namespace shoupai::formparts
