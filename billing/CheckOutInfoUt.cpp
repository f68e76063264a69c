#include "billing/CheckOutInfoUt.h"

#include "common/FormParts.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPointer>
#include <QVBoxLayout>

#include <tuple>

namespace shoupai {

using namespace formparts;

namespace {

QPointer<TCheckOutInfoFm> runInstance;

void dropRunInstance()
{
    delete runInstance.data();
}

QLabel* large(QLabel* label)
{
    QFont font = label->font();
    font.setBold(true);
    font.setPointSize(font.pointSize() * 2);
    label->setFont(font);
    return label;
}

} // namespace

TCheckOutInfoFm::TCheckOutInfoFm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_receivable(large(value(QStringLiteral("receivableValue"), this))),
      m_received(large(value(QStringLiteral("receivedValue"), this))),
      m_cardDeduction(large(value(QStringLiteral("cardDeductionValue"), this))),
      m_confirm(button(QStringLiteral("confirmButton"), QStringLiteral("确定"), this)),
      m_cancel(button(QStringLiteral("cancelButton"), QStringLiteral("取消"), this))
{
    setObjectName(QStringLiteral("TCheckOutInfoFm"));
    setWindowTitle(QStringLiteral("请再次确认!"));
    setAccessibleName(windowTitle());
    setModal(true);
    m_confirm->setDefault(true);

    auto* grid = new QGridLayout;
    int row = 0;
    for (auto [name, text, label] :
         {std::tuple{"receivableCaption", "应收金额:", m_receivable},
          std::tuple{"receivedCaption", "实收金额:", m_received},
          std::tuple{"cardDeductionCaption", "卡内扣除:", m_cardDeduction}}) {
        grid->addWidget(
            large(caption(QString::fromUtf8(name), QString::fromUtf8(text), this, label)), row, 0);
        grid->addWidget(label, row++, 1);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_confirm);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(m_confirm, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

TCheckOutInfoFm& TCheckOutInfoFm::instance()
{
    if (!runInstance) {
        runInstance = new TCheckOutInfoFm;
        qAddPostRoutine(dropRunInstance);
    }
    return *runInstance;
}

void TCheckOutInfoFm::fill(const QString& receivable, const QString& received,
                           const QString& cardDeduction)
{
    m_receivable->setText(receivable);
    m_received->setText(received);
    m_cardDeduction->setText(cardDeduction);
    m_confirm->setFocus();
}

bool TCheckOutInfoFm::confirm(const QString& receivable, const QString& received,
                              const QString& cardDeduction)
{
    fill(receivable, received, cardDeduction);
    return exec() == QDialog::Accepted;
}

} // namespace shoupai
