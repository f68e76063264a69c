#pragma once

#include <QString>

namespace shoupai {

// The answer of a change to members or member types: done, or why not.
struct MemberOutcome
{
    bool done = false;
    QString message;
    static MemberOutcome ok() { return {true, {}}; }
    static MemberOutcome refused(const QString& why) { return {false, why}; }
};

} // namespace shoupai
