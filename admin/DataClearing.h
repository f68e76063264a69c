#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace shoupai {

class Database;

// Emptying record tables: the write behind the data-clearing screen.
namespace dataclearing {

// Asked before anything is deleted, compared exactly.
inline const QString ClearingPassword = QStringLiteral("pmw804617392");

struct Selection
{
    bool wages = false;     // 删除发工资记录
    bool business = false;  // 删除营业记录
    bool recharges = false; // 删除充值记录
    bool goods = false;     // 商品库
    bool purchases = false; // 进货表
};

// The tables a selection empties, in the order they are emptied.
QStringList tablesOf(const Selection& selection);

// Empties the selected tables in one transaction, with the tables locked against
// writers first, and logs who did it; returns the rows deleted per table. A
// failure throws DatabaseError and deletes nothing. Counters, members, open
// bills and everything else stay.
QList<QPair<QString, int>> clear(Database& database, const Selection& selection,
                                 const QString& operatorName);

} // namespace dataclearing

} // namespace shoupai
