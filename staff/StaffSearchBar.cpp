#include "staff/StaffSearchBar.h"

#include "common/FormParts.h"

#include <QComboBox>
#include <QHBoxLayout>

namespace shoupai {

using namespace formparts;

StaffSearchBar::StaffSearchBar(const QString& leadText, const QStringList& columns,
                               const QString& between, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("searchBar"));
    m_selector = new QComboBox(this);
    m_selector->setObjectName(QStringLiteral("columnSelector"));
    m_selector->setAccessibleName(leadText.isEmpty() ? QStringLiteral("查询列") : leadText);
    m_selector->setEditable(true);
    m_selector->addItems(columns);
    m_selector->setCurrentIndex(0);
    m_value = edit(QStringLiteral("valueEdit"), between, this);
    auto* query = button(QStringLiteral("queryButton"), QStringLiteral("查询"), this);
    auto* print = button(QStringLiteral("printButton"), QStringLiteral("打印"), this);
    auto* close = button(QStringLiteral("closeButton"), QStringLiteral("退出"), this);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (!leadText.isEmpty())
        layout->addWidget(caption(QStringLiteral("leadLabel"), leadText, this, m_selector));
    layout->addWidget(m_selector);
    if (!between.isEmpty())
        layout->addWidget(caption(QStringLiteral("betweenLabel"), between, this, m_value));
    layout->addWidget(m_value, 1);
    layout->addWidget(query);
    layout->addWidget(print);
    layout->addWidget(close);

    connect(query, &QPushButton::clicked, this, &StaffSearchBar::queryRequested);
    connect(m_value, &QLineEdit::returnPressed, this, &StaffSearchBar::queryRequested);
    connect(print, &QPushButton::clicked, this, &StaffSearchBar::printRequested);
    connect(close, &QPushButton::clicked, this, &StaffSearchBar::closeRequested);
}

QString StaffSearchBar::column() const
{
    return m_selector->currentText().trimmed();
}

QString StaffSearchBar::value() const
{
    return m_value->text().trimmed();
}

} // namespace shoupai
