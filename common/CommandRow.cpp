#include "common/CommandRow.h"

#include "common/FormParts.h"

#include <QDialog>
#include <QHBoxLayout>

namespace shoupai {

CommandRow::CommandRow(QWidget* parent, Align align)
    : m_parent(parent), m_layout(new QHBoxLayout), m_align(align)
{
    if (m_align != Align::Fill)
        m_layout->addStretch();
}

QPushButton* CommandRow::add(const QString& objectName, const QString& caption)
{
    QPushButton* b = formparts::button(objectName, caption, m_parent);
    // On the left, each button goes before the stretch that closes the row.
    if (m_align == Align::Left)
        m_layout->insertWidget(m_layout->count() - 1, b);
    else
        m_layout->addWidget(b);
    m_buttons.insert(objectName, b);
    m_order.append(b);
    return b;
}

QPushButton* CommandRow::addQuit(QDialog* screen)
{
    QPushButton* quit = add(QStringLiteral("closeButton"), QStringLiteral("退出"));
    QObject::connect(quit, &QPushButton::clicked, screen, &QDialog::reject);
    return quit;
}

} // namespace shoupai
