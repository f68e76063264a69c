#include "platform/SchemaUpgrader.h"

#include "platform/Schema.h"

#include <algorithm>

namespace shoupai {

namespace {

QString versionColumn(const Database& database)
{
    return database.dialect().quote(QStringLiteral("version"));
}

// The stored version, its row locked until the transaction ends.
int lockedVersion(Database& database)
{
    Rows rows = database.query(QStringLiteral("SELECT %1 FROM %2%3")
                                   .arg(versionColumn(database),
                                        database.dialect().quote(Schema::versionTable()),
                                        database.dialect().forUpdate()));
    int version = 0;
    while (rows.next())
        version = std::max(version, static_cast<int>(rows.integer(QStringLiteral("version"))));
    return version;
}

} // namespace

UpgradeReport upgradeSchema(Database& database, const QList<UpgradeStep>& steps)
{
    UpgradeReport report;
    report.fromVersion = Schema::storedVersion(database);
    report.toVersion = report.fromVersion;
    if (report.fromVersion < Schema::baseVersion)
        return report;

    QList<UpgradeStep> ordered = steps;
    std::stable_sort(
        ordered.begin(), ordered.end(),
        [](const UpgradeStep& a, const UpgradeStep& b) { return a.version < b.version; });
    for (const UpgradeStep& step : ordered) {
        if (step.version <= report.toVersion)
            continue;
        try {
            Transaction transaction(database);
            // Another workstation may have made this step while we waited for the lock.
            const int current = lockedVersion(database);
            if (current >= step.version) {
                transaction.commit();
                report.toVersion = current;
                continue;
            }
            step.apply(database);
            database.exec(
                QStringLiteral("UPDATE %1 SET %2 = ?")
                    .arg(database.dialect().quote(Schema::versionTable()), versionColumn(database)),
                {QVariant::fromValue<qlonglong>(step.version)});
            transaction.commit();
            report.toVersion = step.version;
            report.applied.append(step.version);
        } catch (const DatabaseError& error) {
            report.failedVersion = step.version;
            report.error = error.text();
            break;
        }
    }
    return report;
}

} // namespace shoupai
