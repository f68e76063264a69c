#pragma once

#include "platform/Database.h"
#include "platform/SchemaUpgrades.h"

#include <QList>
#include <QString>

namespace shoupai {

// What an upgrade run found and did.
struct UpgradeReport
{
    int fromVersion = 0; // 0: not a database of this program, left as it is
    int toVersion = 0;
    QList<int> applied;    // the steps this run made, in order
    int failedVersion = 0; // the step that failed, or 0
    QString error;         // the database's text for that failure

    bool failed() const { return failedVersion != 0; }
};

// Brings a database of this program up to the last of the steps, one step per
// transaction. The version row is locked and read again inside each transaction,
// so a step another workstation has just made is not made twice. The first step
// that fails is rolled back and ends the run; the database keeps the version it
// had reached. A database without the version table is not touched.
UpgradeReport upgradeSchema(Database& database, const QList<UpgradeStep>& steps = upgradeSteps());

} // namespace shoupai
