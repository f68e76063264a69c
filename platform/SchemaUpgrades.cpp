#include "platform/SchemaUpgrades.h"

#include <QStringList>

namespace shoupai {

namespace {

// An ordinary lookup index, named like the ones the first version creates.
// "if not exists" lets a step meet an index a venue's administrator already added.
void addIndex(Database& database, const QString& table, const QStringList& columns)
{
    const Dialect& dialect = database.dialect();
    QStringList quoted;
    for (const QString& column : columns)
        quoted << dialect.quote(column);
    const QString name = QStringLiteral("ix_") + table + u'_' + columns.join(u'_');
    database.exec(
        QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
            .arg(dialect.quote(name), dialect.quote(table), quoted.join(QStringLiteral(", "))));
}

} // namespace

// To add a step: append an entry with the next version number, a short description
// and a function that makes the change through the Database it is given. The step
// runs in its own transaction together with the version update, on new databases
// (at creation) and on older ones (at start-up); keep it additive and let every
// statement go through the gateway and the dialect. Never renumber or edit a step
// that has shipped: databases out there already hold its version.
const QList<UpgradeStep>& upgradeSteps()
{
    static const QList<UpgradeStep> steps = {
        {2, QStringLiteral("wage payments looked up by employee"),
         [](Database& database) {
             addIndex(database, QStringLiteral("员工工资表"), {QStringLiteral("员工编号")});
         }},
        {3, QStringLiteral("unpaid commission summed from the index alone"),
         [](Database& database) {
             // The wider index serves every lookup the narrow one did.
             const QString narrow = QStringLiteral("ix_结帐明细_员工编号");
             database.exec(
                 QStringLiteral("DROP INDEX IF EXISTS %1").arg(database.dialect().quote(narrow)));
             addIndex(
                 database, QStringLiteral("结帐明细"),
                 {QStringLiteral("员工编号"), QStringLiteral("tcyf"), QStringLiteral("提成金额")});
         }},
    };
    return steps;
}

} // namespace shoupai
