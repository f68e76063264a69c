#include "platform/AuditLog.h"

#include "platform/Database.h"

#include <QDateTime>

namespace shoupai::auditlog {

void write(Database& database, const QString& event, const QString& operatorName,
           const QString& description)
{
    database.exec(QStringLiteral("insert into 日志 (事件, 日期, 管理员, 说明) values (?, ?, ?, ?)"),
                  {event, QDateTime::currentDateTime(), operatorName, description});
}

} // namespace shoupai::auditlog
