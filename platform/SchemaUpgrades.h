#pragma once

#include "platform/Database.h"

#include <QList>
#include <QString>

#include <functional>

namespace shoupai {

// One numbered change to the schema of a database this program made. Steps only
// add (indexes, new tables of this program); they never drop or change a venue's
// columns or rows.
struct UpgradeStep
{
    int version = 0;     // the version a database holds once the step has run
    QString description; // what the step adds, for the operator and the developers
    std::function<void(Database&)> apply;
};

// Every upgrade step of the program, in ascending version order. A new database
// gets all of them when it is created; an older one runs those it lacks at start-up.
const QList<UpgradeStep>& upgradeSteps();

} // namespace shoupai
