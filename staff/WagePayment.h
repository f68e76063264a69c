#pragma once

#include "platform/Money.h"

#include <QDateTime>
#include <QString>

namespace shoupai {

class Database;

// The employee a payment is for, as the employee list holds it.
struct Payee
{
    QString code;
    QString name;
    QString grade;
};

// What the pay screen shows on opening: the grade's wage and the unpaid commission.
struct PayFigures
{
    enum class Status
    {
        Ready,
        GradeMissing, // no grade of that name: nothing can be paid
        Failed        // a query failed; error holds the database's text
    };
    Status status = Status::Failed;
    Money wage;
    Money commission;
    QString error;
};

// The parts an operator chose to pay, with the figures the screen showed.
struct PayRequest
{
    bool payWage = true;
    bool payCommission = true;
    Money wage;
    Money commission; // as shown: the payment is refused if the lines no longer add up to it
    QString remark;
    QString operatorName;
    QDateTime paidAt;
};

struct PayOutcome
{
    enum class Status
    {
        Paid,
        ZeroTotal,
        NegativeTotal,
        CommissionChanged, // lines were posted, reversed or paid since the figures were read
        Failed
    };
    Status status = Status::Failed;
    QString message;
};

// Paying an employee the grade's wage and the unpaid commission of the posted lines.
class WagePayment
{
public:
    WagePayment(Database& database, Payee payee) : m_database(database), m_payee(payee) {}

    PayFigures figures() const;
    PayOutcome pay(const PayRequest& request);

    static Money total(bool payWage, Money wage, bool payCommission, Money commission);
    // The remark the screen offers for the ticked parts.
    static QString remarkFor(bool payWage, bool payCommission);

private:
    Database& m_database;
    Payee m_payee;
};

} // namespace shoupai
