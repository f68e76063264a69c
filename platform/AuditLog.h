#pragma once

#include <QString>

namespace shoupai {

class Database;

// The event log 日志: one row per sensitive change (data cleared, administrators
// added, renamed, deleted or given other rights, passwords changed), so that it can
// be told afterwards who did it. Callers write it inside the change's own
// transaction: the row exists exactly when the change does.
namespace auditlog {

void write(Database& database, const QString& event, const QString& operatorName,
           const QString& description);

} // namespace auditlog

} // namespace shoupai
