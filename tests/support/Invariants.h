#pragma once

#include "platform/Database.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace shoupai::test {

// The figures of a database that the money rules relate to each other,
// taken before a run of writes. The checker compares the database after the
// writes with them: every balance, stock and paid commission must have moved
// by exactly what the records written meanwhile account for.
struct Baseline
{
    struct Member
    {
        Money balance;
        Money recharged; // sum of 会员充值.充值金额
        Money deducted;  // card deductions of the stored bills
    };
    struct Goods
    {
        QString name;
        Money stock;      // whole units, as numbers
        Money bought;     // 进货表.数量
        Money openSold;   // 手牌消费.数量
        Money storedSold; // 结帐明细.数量
    };
    QHash<QString, Member> members;     // by card
    QHash<qint64, Goods> goods;         // stock-keeping goods with a unique name, by ID
    QHash<QString, Money> paidLines;    // per employee: commission of lines marked paid
    QHash<QString, Money> countedWages; // per employee: commission the wage records hold
    QHash<QString, qint64> historyRows; // rows of each record table
};

// Reads the figures; all sums are made by the database.
Baseline takeBaseline(const Database& database);

// Every rule that must hold after any sequence of whole writes, as readable
// lines (empty when all hold):
// - SQLite's integrity check passes;
// - every stored bill's lines add up to its 消费金额, and every line has its bill;
// - no two stored bills share a 单据号, the counter is one row at least the
//   largest stored number;
// - a tag is "占用" exactly when it has an open-bill row, and every open line's
//   main tag has its open bill;
// - since the baseline: each member's balance moved by recharges minus card
//   deductions of stored bills (a reversal removes the bill, so its credit
//   counts), each stock-keeping item's stock by purchases minus quantities on
//   open and stored lines, and each employee's paid commission by what the
//   wage records count.
// A record table that was emptied since the baseline (data clearing) takes
// its rows out of the history without touching balances or stock, so its
// movement is not counted; movements made before the clearing are then lost
// with the records, so take the baseline just before a clearing.
QStringList checkInvariants(const Database& database, const Baseline& baseline);

} // namespace shoupai::test
