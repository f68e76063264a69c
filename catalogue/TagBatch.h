#pragma once

#include "catalogue/SetupOutcome.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace shoupai {

class Database;

// What the batch screen asks for: tags marker+n (or n+marker) for n from start to end.
struct TagBatchRequest
{
    QString marker;
    bool markerBefore = true;
    QString startText;
    QString endText;
    QString roomType;
};

// Adds a run of numbered tags in one transaction. Every number is checked
// before any is written; a clash, found then or by the unique index when
// another workstation added one meanwhile, leaves nothing behind.
namespace tagbatch {

constexpr int MaxTags = 1000;
constexpr int MaxDigits = 9;
constexpr int ListedClashes = 10;

// The tag numbers a request stands for, ascending by n; empty when the
// values are not usable (checked by addTags, with its messages).
QStringList tagNumbers(const TagBatchRequest& request);

// beforeWriting runs between the checks and the first insert, inside the
// transaction: the window in which another workstation may add a tag.
SetupOutcome addTags(Database& database, const TagBatchRequest& request,
                     const std::function<void()>& beforeWriting = {});

} // namespace tagbatch
} // namespace shoupai
