#pragma once

#include <QString>
#include <QtGlobal>

namespace shoupai {
class Database;
}

namespace shoupai::bench {

// The size of a busy venue's history.
struct HistorySize
{
    int tags = 1000;
    int members = 10000;
    int goods = 5000;
    qint64 bills = 1000000;
    int linesPerBill = 5;
    int openBills = 50;
    int employees = 50;
    qint64 recharges = 100000;
    qint64 purchases = 20000;
    qint64 wages = 2000;
};

// Fills a database that has the schema (and the seed) with a synthetic history.
void generateHistory(Database& database, const HistorySize& size = {});

// A SQLite file holding the schema and the full synthetic history, generated
// once into /tmp/shoupai-bench/ and reused afterwards. Copy it before writing.
QString syntheticHistorySqlite();

} // namespace shoupai::bench
