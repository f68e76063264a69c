#include "staff/FaGongZiUt.h"

#include "app/Session.h"
#include "common/DataGrid.h"
#include "common/FormParts.h"
#include "common/Prompter.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

namespace {

QLineEdit* readOnly(const QString& objectName, const QString& captionText, QWidget* parent)
{
    QLineEdit* box = edit(objectName, captionText, parent);
    box->setReadOnly(true);
    return box;
}

QString shown(Money amount)
{
    return gridformat::amountText(amount, -1);
}

} // namespace

TFaGongZiFm::TFaGongZiFm(Session& session, const Payee& payee, QWidget* parent)
    : QDialog(parent), m_session(session), m_payee(payee), m_payment(session.database(), payee)
{
    setObjectName(QStringLiteral("TFaGongZiFm"));
    setWindowTitle(QStringLiteral("发工资"));
    setAccessibleName(windowTitle());

    auto* info = new QGroupBox(QStringLiteral("员工信息:"), this);
    info->setObjectName(QStringLiteral("infoGroup"));
    QLineEdit* code = readOnly(QStringLiteral("codeEdit"), QStringLiteral("员工编号"), info);
    QLineEdit* name = readOnly(QStringLiteral("nameEdit"), QStringLiteral("员工姓名"), info);
    QLineEdit* grade = readOnly(QStringLiteral("gradeEdit"), QStringLiteral("员工等级"), info);
    m_payWage = new QCheckBox(QStringLiteral("基本工资"), info);
    m_payWage->setObjectName(QStringLiteral("wageCheck"));
    m_payWage->setAccessibleName(m_payWage->text());
    m_payWage->setChecked(true);
    m_wage = readOnly(QStringLiteral("wageEdit"), QStringLiteral("基本工资"), info);
    m_payCommission = new QCheckBox(QStringLiteral("提成"), info);
    m_payCommission->setObjectName(QStringLiteral("commissionCheck"));
    m_payCommission->setAccessibleName(m_payCommission->text());
    m_payCommission->setChecked(true);
    m_commission = readOnly(QStringLiteral("commissionEdit"), QStringLiteral("提成"), info);
    m_remark = new QPlainTextEdit(info);
    m_remark->setObjectName(QStringLiteral("remarkEdit"));
    m_remark->setAccessibleName(QStringLiteral("备注"));
    m_total = readOnly(QStringLiteral("totalEdit"), QStringLiteral("合计(实发)"), info);
    QFont bold = m_total->font();
    bold.setBold(true);
    m_total->setFont(bold);
    m_pay = button(QStringLiteral("payButton"), QStringLiteral("确定"), info);
    auto* cancel = button(QStringLiteral("cancelButton"), QStringLiteral("取消"), info);

    auto* form = new QFormLayout(info);
    form->addRow(caption(QStringLiteral("codeLabel"), QStringLiteral("员工编号"), info, code),
                 code);
    form->addRow(caption(QStringLiteral("nameLabel"), QStringLiteral("员工姓名"), info, name),
                 name);
    form->addRow(caption(QStringLiteral("gradeLabel"), QStringLiteral("员工等级"), info, grade),
                 grade);
    form->addRow(m_payWage, m_wage);
    form->addRow(m_payCommission, m_commission);
    form->addRow(caption(QStringLiteral("remarkLabel"), QStringLiteral("备注"), info, m_remark),
                 m_remark);
    form->addRow(caption(QStringLiteral("totalLabel"), QStringLiteral("合计(实发)"), info, m_total),
                 m_total);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_pay);
    buttons->addWidget(cancel);
    form->addRow(buttons);

    auto* history = new QGroupBox(QStringLiteral("发工资记录:"), this);
    history->setObjectName(QStringLiteral("historyGroup"));
    m_payments = new DataGrid(m_session.database(), history);
    m_payments->setObjectName(QStringLiteral("paymentGrid"));
    m_payments->setAccessibleName(QStringLiteral("发工资记录"));
    m_payments->setKindTable(QStringLiteral("员工工资表"));
    m_payments->setKeyColumns({QStringLiteral("id")});
    m_payments->setColumns({
        GridColumn::plain(QStringLiteral("日期"), {}, 140).withFooter(GridSummary::Count),
        GridColumn::money(QStringLiteral("工资")),
        GridColumn::money(QStringLiteral("提成")),
        GridColumn::money(QStringLiteral("合计")),
        GridColumn::plain(QStringLiteral("登记人")),
        GridColumn::plain(QStringLiteral("备注"), {}, 140),
    });
    (new QVBoxLayout(history))->addWidget(m_payments);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(info);
    layout->addWidget(history, 1);
    resize(900, 460);

    code->setText(payee.code);
    name->setText(payee.name);
    grade->setText(payee.grade);

    connect(m_payWage, &QCheckBox::clicked, this, &TFaGongZiFm::JsHj);
    connect(m_payCommission, &QCheckBox::clicked, this, &TFaGongZiFm::JsHj);
    connect(m_pay, &QPushButton::clicked, this, &TFaGongZiFm::Pay);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    load();
}

void TFaGongZiFm::load()
{
    m_figures = m_payment.figures();
    m_wage->setText(shown(Money()));
    m_commission->setText(shown(Money()));
    m_total->setText(shown(Money()));
    // Without the figures nothing may be paid: a failed sum is not a zero.
    m_pay->setEnabled(m_figures.status == PayFigures::Status::Ready);
    if (m_figures.status == PayFigures::Status::Failed) {
        Prompter::current().error(m_figures.error);
        return;
    }
    if (m_figures.status == PayFigures::Status::GradeMissing) {
        Prompter::current().warn(m_figures.error);
        return;
    }
    m_wage->setText(shown(m_figures.wage));
    m_commission->setText(shown(m_figures.commission));
    JsHj();
    try {
        m_payments->setQuery(QStringLiteral("select * from 员工工资表 where 员工编号 = ?"),
                             {m_payee.code});
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

void TFaGongZiFm::JsHj()
{
    const bool wage = m_payWage->isChecked();
    const bool commission = m_payCommission->isChecked();
    m_total->setText(
        shown(WagePayment::total(wage, m_figures.wage, commission, m_figures.commission)));
    m_remark->setPlainText(WagePayment::remarkFor(wage, commission));
}

void TFaGongZiFm::Pay()
{
    if (m_figures.status != PayFigures::Status::Ready)
        return;
    PayRequest request;
    request.payWage = m_payWage->isChecked();
    request.payCommission = m_payCommission->isChecked();
    request.wage = m_figures.wage;
    request.commission = m_figures.commission;
    request.remark = m_remark->toPlainText();
    request.operatorName = m_session.operatorName;
    request.paidAt = m_clock();
    const PayOutcome outcome = m_payment.pay(request);
    switch (outcome.status) {
    case PayOutcome::Status::Paid:
        Prompter::current().inform(outcome.message);
        accept();
        return;
    case PayOutcome::Status::CommissionChanged:
        Prompter::current().warn(outcome.message);
        load();
        return;
    case PayOutcome::Status::ZeroTotal:
    case PayOutcome::Status::NegativeTotal:
        Prompter::current().warn(outcome.message);
        return;
    case PayOutcome::Status::Failed:
        Prompter::current().error(outcome.message);
        return;
    }
}

} // namespace shoupai
