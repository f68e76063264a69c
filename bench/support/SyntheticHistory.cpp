#include "SyntheticHistory.h"

#include "platform/Database.h"

namespace shoupai::bench {

void generateHistory(Database&, const HistorySize&) {}

QString syntheticHistorySqlite()
{
    return {};
}

} // namespace shoupai::bench
