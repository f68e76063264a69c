#pragma once

#include <QString>

namespace shoupai {

// The answer of a tag or room-type change: done, or the message that says why not.
struct SetupOutcome
{
    bool done = false;
    QString message;
    static SetupOutcome ok() { return {true, {}}; }
    static SetupOutcome refused(const QString& why) { return {false, why}; }
};

} // namespace shoupai
