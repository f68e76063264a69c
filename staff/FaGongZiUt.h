#pragma once

#include "staff/WagePayment.h"

#include <QDateTime>
#include <QDialog>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace shoupai {

class DataGrid;
class Session;

// "发工资": pays one employee the grade's wage and the unpaid commission.
class TFaGongZiFm : public QDialog
{
    Q_OBJECT
public:
    TFaGongZiFm(Session& session, const Payee& payee, QWidget* parent = nullptr);

    // The clock the payment is stamped with.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    // Computes the total from the ticked parts and offers their remark.
    void JsHj();
    // "确定".
    void Pay();

    QCheckBox* wageCheck() const { return m_payWage; }
    QCheckBox* commissionCheck() const { return m_payCommission; }
    QLineEdit* wageBox() const { return m_wage; }
    QLineEdit* commissionBox() const { return m_commission; }
    QLineEdit* totalBox() const { return m_total; }
    QPlainTextEdit* remarkBox() const { return m_remark; }
    QPushButton* payButton() const { return m_pay; }
    DataGrid* paymentGrid() const { return m_payments; }

private:
    void load();

    Session& m_session;
    Payee m_payee;
    WagePayment m_payment;
    PayFigures m_figures;
    std::function<QDateTime()> m_clock = [] { return QDateTime::currentDateTime(); };

    QCheckBox* m_payWage = nullptr;
    QCheckBox* m_payCommission = nullptr;
    QLineEdit* m_wage = nullptr;
    QLineEdit* m_commission = nullptr;
    QLineEdit* m_total = nullptr;
    QPlainTextEdit* m_remark = nullptr;
    QPushButton* m_pay = nullptr;
    DataGrid* m_payments = nullptr;
};

} // namespace shoupai
