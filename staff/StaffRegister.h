#pragma once

#include "platform/Money.h"

#include <QString>

#include <optional>

namespace shoupai {

class Database;

struct EmployeeRecord
{
    QString code;
    QString name;
    QString sex;
    QString grade;
    QString phone;
    QString idNumber;
    QString remark;
};

// The answer of a register change: empty message when done, else why not.
struct RegisterOutcome
{
    bool done = false;
    QString message;
    static RegisterOutcome ok() { return {true, {}}; }
    static RegisterOutcome refused(const QString& why) { return {false, why}; }
};

// Employees and grades, with the checks that keep commission and wages from
// being orphaned or inherited. Each change is one transaction.
namespace staffregister {

// Codes that mark lines without a real employee (no service, ticket, cancelled picker).
bool isReservedCode(const QString& code);

// Adds the employee when originalCode is empty, else changes the one with that code.
RegisterOutcome saveEmployee(Database& database, EmployeeRecord record,
                             const QString& originalCode = {});
RegisterOutcome deleteEmployee(Database& database, const QString& code);

// Adds the grade when key is empty, else changes it; a renamed grade follows to its employees.
RegisterOutcome saveGrade(Database& database, std::optional<qint64> key, const QString& name,
                          const QString& wageText);
RegisterOutcome deleteGrade(Database& database, qint64 key);

} // namespace staffregister
} // namespace shoupai
