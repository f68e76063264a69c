#pragma once

// Shared by the staff tests: employees, grades and posted lines set up directly.

#include "TestDatabase.h"
#include "platform/Database.h"

#include <QDateTime>

namespace shoupai::test {

inline void addGrade(Database& db, const QString& name, qint64 wage)
{
    db.exec(QStringLiteral("insert into 员工等级 (等级名称, 工资) values (?, ?)"),
            {name, QVariant::fromValue(Money::fromUnits(wage))});
}

inline void addEmployee(Database& db, const QString& code, const QString& name,
                        const QString& grade)
{
    db.exec(
        QStringLiteral("insert into 员工管理 (员工编号, 员工姓名, 性别, 员工等级) values (?, ?, "
                       "?, ?)"),
        {code, name, QStringLiteral("男"), grade});
}

// A line of a posted bill served by the employee; commission in ten-thousandths.
inline void addPostedLine(Database& db, const QString& code, Money commission,
                          const QString& paid = QStringLiteral("0"),
                          const QDateTime& at = QDateTime(QDate(2024, 5, 11), QTime(10, 0)),
                          const QString& bill = QStringLiteral("B1"))
{
    db.exec(QStringLiteral("insert into 结帐明细 (单据号, 手牌号码, 商品名, 员工编号, 员工姓名, "
                           "提成金额, tcyf, 消费时间) values (?, ?, ?, ?, ?, ?, ?, ?)"),
            {bill, QStringLiteral("A01"), QStringLiteral("足浴"), code, code,
             QVariant::fromValue(commission), paid, at});
}

inline Money money(const QString& text)
{
    return *Money::parse(text);
}

inline qint64 countOf(Database& db, const QString& sql, const QVariantList& values = {})
{
    return db.scalar(sql, values).toLongLong();
}

} // namespace shoupai::test
