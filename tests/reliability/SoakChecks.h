#pragma once

#include "platform/Money.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace shoupai {
class Database;
}

namespace shoupai::test {

// The figures a soak starts from, to which every later figure must add up.
struct SoakBaseline
{
    QHash<QString, Money> balances;       // card -> 卡内金额
    QHash<QString, Money> recharged;      // card -> sum of 会员充值
    QHash<QString, Money> deducted;       // card -> card deductions of stored bills
    QHash<QString, qint64> stock;         // goods name -> 库存, stock-keeping goods only
    QHash<QString, qint64> bought;        // goods name -> sum of 进货表 quantities
    QHash<QString, qint64> sold;          // goods name -> quantity on stored and open lines
    QHash<QString, Money> paidCommission; // employee -> commission of lines marked paid
    QHash<QString, Money> wageCommission; // employee -> commission of wage records
};

SoakBaseline takeSoakBaseline(const Database& database);
// Human-readable violations; empty when everything adds up.
QStringList checkSoak(const Database& database, const SoakBaseline& baseline);

} // namespace shoupai::test
