#include "admin/DataClearUt.h"

#include "admin/DataClearing.h"
#include "app/Session.h"
#include "common/FormParts.h"
#include "common/Prompter.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace shoupai {

namespace {

QCheckBox* box(const QString& objectName, const QString& caption, QWidget* parent)
{
    auto* check = new QCheckBox(caption, parent);
    check->setObjectName(objectName);
    check->setAccessibleName(caption);
    return check;
}

} // namespace

TDataClearFm::TDataClearFm(Session& session, QWidget* parent) : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TDataClearFm"));
    setWindowTitle(QStringLiteral("数据初始化"));
    setAccessibleName(windowTitle());

    m_wages = box(QStringLiteral("wagesBox"), QStringLiteral("删除发工资记录"), this);
    m_business = box(QStringLiteral("businessBox"), QStringLiteral("删除营业记录"), this);
    m_recharges = box(QStringLiteral("rechargesBox"), QStringLiteral("删除充值记录"), this);
    m_goods = box(QStringLiteral("goodsBox"), QStringLiteral("商品库"), this);
    m_purchases = box(QStringLiteral("purchasesBox"), QStringLiteral("进货表"), this);
    auto* boxes = new QGridLayout;
    boxes->addWidget(m_wages, 0, 0);
    boxes->addWidget(m_business, 1, 0);
    boxes->addWidget(m_recharges, 2, 0);
    boxes->addWidget(m_goods, 0, 1);
    boxes->addWidget(m_purchases, 1, 1);

    auto* clearButton =
        formparts::button(QStringLiteral("clearButton"), QStringLiteral("清理"), this);
    auto* closeButton =
        formparts::button(QStringLiteral("closeButton"), QStringLiteral("关闭"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(clearButton);
    buttons->addWidget(closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(boxes);
    layout->addLayout(buttons);

    connect(clearButton, &QPushButton::clicked, this, &TDataClearFm::clear);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TDataClearFm::clear()
{
    Prompter& prompter = Prompter::current();
    const QString typed =
        prompter
            .input(QStringLiteral("输入密码"), QStringLiteral("输入正确的密码后才能执行删除任务:"),
                   QString(), QLatin1Char('*'))
            .value_or(QString());
    if (typed != dataclearing::ClearingPassword) {
        prompter.warn(QStringLiteral("密码错误!"));
        return;
    }
    if (!prompter.ask(QStringLiteral("您是否真的要删除?")))
        return;
    dataclearing::Selection selection;
    selection.wages = m_wages->isChecked();
    selection.business = m_business->isChecked();
    selection.recharges = m_recharges->isChecked();
    selection.goods = m_goods->isChecked();
    selection.purchases = m_purchases->isChecked();
    try {
        dataclearing::clear(m_session.database(), selection, m_session.operatorName);
    } catch (const DatabaseError& error) {
        prompter.error(error.text());
        return;
    }
    prompter.inform(QStringLiteral("清理完毕！"));
    accept();
}

} // namespace shoupai
