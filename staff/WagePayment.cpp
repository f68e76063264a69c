#include "staff/WagePayment.h"

#include "platform/Database.h"

namespace shoupai {

namespace {
const QString Unpaid = QStringLiteral("0");
const QString Paid = QStringLiteral("1");
} // namespace

PayFigures WagePayment::figures() const
{
    PayFigures figures;
    try {
        figures.commission = stored::toMoney(m_database.scalar(
            QStringLiteral("select sum(提成金额) from 结帐明细 where 员工编号 = ? "
                           "and tcyf = ?"),
            {m_payee.code, Unpaid}));
        Rows grade = m_database.query(
            QStringLiteral("select 工资 from 员工等级 where 等级名称 = ? order by 等级编号"),
            {m_payee.grade});
        if (!grade.next()) {
            figures.status = PayFigures::Status::GradeMissing;
            figures.error =
                QStringLiteral("没有找到该员工的员工等级的工资,请先添加好对应的员工等级!");
            return figures;
        }
        figures.wage = grade.money(QStringLiteral("工资"));
        figures.status = PayFigures::Status::Ready;
    } catch (const DatabaseError& error) {
        figures.status = PayFigures::Status::Failed;
        figures.error = error.text();
    }
    return figures;
}

Money WagePayment::total(bool payWage, Money wage, bool payCommission, Money commission)
{
    Money sum;
    if (payWage)
        sum += wage;
    if (payCommission)
        sum += commission;
    return sum;
}

QString WagePayment::remarkFor(bool payWage, bool payCommission)
{
    QString remark;
    if (payWage)
        remark += QStringLiteral(" 基本工资 ");
    if (payCommission)
        remark += QStringLiteral(" 提成 ");
    return remark;
}

PayOutcome WagePayment::pay(const PayRequest& request)
{
    const Money wagePart = request.payWage ? request.wage : Money();
    const Money commissionPart = request.payCommission ? request.commission : Money();
    const Money sum = wagePart + commissionPart;
    if (sum == Money())
        return {PayOutcome::Status::ZeroTotal, QStringLiteral("不能发零!")};
    if (sum < Money())
        return {PayOutcome::Status::NegativeTotal, QStringLiteral("实发金额不能为负数!")};

    try {
        Transaction transaction(m_database);
        if (request.payCommission) {
            // Mark exactly the lines whose commission is paid now; the row locks
            // keep another workstation or a reversal from taking them meanwhile.
            Rows marked = m_database.query(
                QStringLiteral("update 结帐明细 set tcyf = ? where 员工编号 = ? and tcyf = ? "
                               "returning 提成金额"),
                {Paid, m_payee.code, Unpaid});
            Money paidNow;
            while (marked.next())
                paidNow += marked.money(QStringLiteral("提成金额"));
            if (paidNow != request.commission)
                return {PayOutcome::Status::CommissionChanged,
                        QStringLiteral("提成金额已有变化,已重新计算,请核对后再发放!")};
        }
        m_database.exec(
            QStringLiteral(
                "insert into 员工工资表 (员工编号, 员工姓名, 员工等级, 日期, 工资, 提成, "
                "合计, 备注, 登记人) values (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {m_payee.code, m_payee.name, m_payee.grade, request.paidAt,
             QVariant::fromValue(wagePart), QVariant::fromValue(commissionPart),
             QVariant::fromValue(sum), request.remark, request.operatorName});
        transaction.commit();
    } catch (const DatabaseError& error) {
        return {PayOutcome::Status::Failed, error.text()};
    }
    return {PayOutcome::Status::Paid, QStringLiteral("完成")};
}

} // namespace shoupai
