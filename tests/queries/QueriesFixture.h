#pragma once

// Shared by the query screen tests: a session on a seeded test database and
// stored bills written as checkout posts them.

#include "../billing/StoredBillFixture.h"
#include "TestDatabase.h"
#include "TestHome.h"
#include "app/Session.h"
#include "common/DataGrid.h"
#include "common/Prompter.h"

namespace shoupai::test {

struct QueryVenue
{
    ScriptedPrompter prompter;
    SeededDatabase db;
    Session session;
    QueryVenue()
    {
        session.start(writeSystemIni(db));
        session.operatorName = QStringLiteral("超级管理员");
    }
    Database& d() { return session.database(); }
};

// A bill of one line of `amount` checked out at `when`, its line stamped the same.
inline StoredBill paidBill(const QString& number, const QDateTime& when, qint64 amount,
                           const QString& state = QStringLiteral("已结"),
                           const QString& goods = QStringLiteral("搓背"),
                           const QString& type = QStringLiteral("洗浴"))
{
    StoredBill bill;
    bill.number = number;
    bill.entry = when.addSecs(-60);
    bill.checkout = when;
    bill.consumption = bill.received = units(amount);
    bill.state = state;
    StoredLine l = line(goods, type, amount, 1, amount);
    l.time = when;
    bill.lines = {l};
    return bill;
}

// The values of one column over every listed record, as text.
inline QStringList columnValues(const DataGrid* grid, const QString& column)
{
    QStringList values;
    for (int row = 0; row < grid->rowCount(); ++row) {
        if (!grid->isGroupRow(row))
            values << grid->value(row, column).toString();
    }
    return values;
}

inline QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

} // namespace shoupai::test
