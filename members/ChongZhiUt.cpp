#include "members/ChongZhiUt.h"

#include "app/Session.h"
#include "common/FormParts.h"
#include "common/Prompter.h"
#include "members/MemberRecharge.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

TChongZhiFm::TChongZhiFm(Session& session, const QString& card, QWidget* parent)
    : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TChongZhiFm"));
    setWindowTitle(QStringLiteral("会员充值"));
    setAccessibleName(windowTitle());

    m_card = edit(QStringLiteral("cardEdit"), QStringLiteral("会员卡号"), this);
    m_balance = edit(QStringLiteral("balanceEdit"), QStringLiteral("卡内金额"), this);
    m_name = edit(QStringLiteral("nameEdit"), QStringLiteral("会员姓名"), this);
    m_type = edit(QStringLiteral("typeEdit"), QStringLiteral("会员类型"), this);
    for (QLineEdit* shownOnly : {m_card, m_balance, m_name, m_type})
        shownOnly->setReadOnly(true);
    m_operator = caption(QStringLiteral("operatorLabel"),
                         QStringLiteral("营业员: ") + m_session.operatorName, this);
    m_remark = memo(QStringLiteral("remarkEdit"), QStringLiteral("备注:"), this);
    m_remark->setMaximumHeight(70);
    m_amount = edit(QStringLiteral("amountEdit"), QStringLiteral("充值金额"), this);
    // Digits and the decimal point only; the sign comes from "充负数".
    m_amount->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.]*")), m_amount));
    m_negative = new QCheckBox(QStringLiteral("充负数"), this);
    m_negative->setObjectName(QStringLiteral("negativeCheck"));
    m_negative->setAccessibleName(m_negative->text());
    auto* charge = button(QStringLiteral("rechargeButton"), QStringLiteral("充值"), this);
    auto* back = button(QStringLiteral("backButton"), QStringLiteral("返回"), this);

    auto* form = new QFormLayout;
    FormGrid rows(form, this);
    rows.addRows({{QStringLiteral("cardLabel"), QStringLiteral("会员卡号"), m_card},
                  {QStringLiteral("balanceLabel"), QStringLiteral("卡内金额"), m_balance},
                  {QStringLiteral("nameLabel"), QStringLiteral("会员姓名"), m_name},
                  {QStringLiteral("typeLabel"), QStringLiteral("会员类型"), m_type},
                  {QStringLiteral("remarkLabel"), QStringLiteral("备注:"), m_remark}});
    auto* amountRow = new QHBoxLayout;
    amountRow->addWidget(m_amount, 1);
    amountRow->addWidget(m_negative);
    rows.addRow(QStringLiteral("amountLabel"), QStringLiteral("充值金额"), m_amount, amountRow);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_operator);
    buttons->addStretch();
    buttons->addWidget(charge);
    buttons->addWidget(back);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(380, 320);

    connect(charge, &QPushButton::clicked, this, &TChongZhiFm::Recharge);
    connect(m_amount, &QLineEdit::returnPressed, this, &TChongZhiFm::Recharge);
    connect(back, &QPushButton::clicked, this, &QDialog::reject);

    if (!card.isEmpty()) {
        try {
            Rows row = m_session.database().query(
                QStringLiteral("select 会员卡号, 卡内金额, 会员姓名, 会员类型 from 会员管理 "
                               "where 会员卡号 = ?"),
                {card});
            if (row.next()) {
                m_card->setText(row.text(QStringLiteral("会员卡号")));
                m_balance->setText(row.money(QStringLiteral("卡内金额")).toString());
                m_name->setText(row.text(QStringLiteral("会员姓名")));
                m_type->setText(row.text(QStringLiteral("会员类型")));
            }
        } catch (const DatabaseError& error) {
            Prompter::current().error(error.text());
        }
    }
    m_amount->setFocus();
}

void TChongZhiFm::Recharge()
{
    if (m_amount->text().isEmpty()) {
        Prompter::current().warn(QStringLiteral("请输入充值数值！"));
        return;
    }
    if (m_name->text().isEmpty()) {
        Prompter::current().warn(QStringLiteral("请先输入会员卡号并按回车键！"));
        return;
    }
    RechargeRequest request;
    request.card = m_card->text();
    request.amountText = m_amount->text();
    request.negative = m_negative->isChecked();
    request.remark = m_remark->toPlainText();
    request.operatorName = m_session.operatorName;
    request.at = QDateTime::currentDateTime();
    const RechargeOutcome outcome = memberrecharge::recharge(m_session.database(), request);
    if (!outcome.done) {
        Prompter::current().warn(outcome.message);
        return;
    }
    m_recharged = true;
    m_balance->setText(outcome.balance.toString());
    Prompter::current().inform(QStringLiteral("充值成功！"));
    accept();
}

} // namespace shoupai
