#include "admin/DataClearing.h"

#include "platform/AuditLog.h"
#include "platform/Database.h"

namespace shoupai::dataclearing {

QStringList tablesOf(const Selection& selection)
{
    QStringList tables;
    if (selection.wages)
        tables << QStringLiteral("员工工资表");
    if (selection.business)
        tables << QStringLiteral("结帐管理") << QStringLiteral("结帐明细");
    if (selection.recharges)
        tables << QStringLiteral("会员充值");
    if (selection.goods)
        tables << QStringLiteral("商品库");
    if (selection.purchases)
        tables << QStringLiteral("进货表");
    return tables;
}

QList<QPair<QString, int>> clear(Database& database, const Selection& selection,
                                 const QString& operatorName)
{
    const QStringList tables = tablesOf(selection);
    QList<QPair<QString, int>> deleted;
    if (tables.isEmpty())
        return deleted;
    const Dialect& dialect = database.dialect();
    Transaction transaction(database);
    // A bill posted elsewhere between two deletes would otherwise keep its
    // header and lose its lines.
    const QString lock = dialect.lockTablesAgainstWriters(tables);
    if (!lock.isEmpty())
        database.exec(lock);
    QStringList counts;
    for (const QString& table : tables) {
        const int rows = database.exec(QStringLiteral("delete from ") + dialect.quote(table));
        deleted.append({table, rows});
        counts << QStringLiteral("%1 %2行").arg(table).arg(rows);
    }
    auditlog::write(database, QStringLiteral("数据初始化"), operatorName,
                    counts.join(QStringLiteral("，")));
    transaction.commit();
    return deleted;
}

} // namespace shoupai::dataclearing
