#pragma once

#include <QString>

namespace shoupai {

// The answer of a catalogue change: done, or the message that says why not.
struct CatalogueOutcome
{
    bool done = false;
    QString message;
    static CatalogueOutcome ok() { return {true, {}}; }
    static CatalogueOutcome refused(const QString& why) { return {false, why}; }
};

} // namespace shoupai
