#include "staff/StaffRegister.h"

#include "common/NameField.h"
#include "platform/Database.h"

namespace shoupai::staffregister {

namespace {

const QString HoldsMoney = QStringLiteral("该员工还有未结帐的消费或未发的提成,不能删除!");

// Open lines or unpaid commission would be lost with the code, or inherited by
// a later employee given the same code.
bool holdsMoney(Database& db, const QString& code)
{
    const QString lock = db.dialect().forUpdate();
    Rows open =
        db.query(QStringLiteral("select ID from 手牌消费 where 员工编号 = ?") + lock, {code});
    if (open.next())
        return true;
    const Money unpaid = stored::toMoney(db.scalar(
        QStringLiteral("select sum(提成金额) from 结帐明细 where 员工编号 = ? and tcyf = ?"),
        {code, QStringLiteral("0")}));
    return unpaid != Money();
}

} // namespace

bool isReservedCode(const QString& code)
{
    return code == u"n" || code == u"无" || code == u"取消";
}

RegisterOutcome saveEmployee(Database& database, EmployeeRecord record, const QString& originalCode)
{
    record.code = record.code.trimmed();
    record.name = record.name.trimmed();
    if (record.code.isEmpty() || record.name.isEmpty() || record.grade.isEmpty())
        return RegisterOutcome::refused(QStringLiteral("编号 姓名 等级必须填写！"));
    if (isReservedCode(record.code))
        return RegisterOutcome::refused(QStringLiteral("该编号是系统保留的,不能使用!"));
    if (auto why = nameFieldRefusal(QStringLiteral("员工编号"), record.code))
        return RegisterOutcome::refused(*why);
    if (auto why = nameFieldRefusal(QStringLiteral("员工姓名"), record.name))
        return RegisterOutcome::refused(*why);
    try {
        Transaction transaction(database);
        const QVariantList values{record.code,  record.name,     record.sex,   record.grade,
                                  record.phone, record.idNumber, record.remark};
        if (originalCode.isEmpty()) {
            database.exec(
                QStringLiteral("insert into 员工管理 (员工编号, 员工姓名, 性别, 员工等级, "
                               "联系电话, 证件号码, 备注) values (?, ?, ?, ?, ?, ?, ?)"),
                values);
        } else {
            if (record.code != originalCode && holdsMoney(database, originalCode))
                return RegisterOutcome::refused(HoldsMoney);
            database.exec(
                QStringLiteral("update 员工管理 set 员工编号 = ?, 员工姓名 = ?, 性别 = ?, "
                               "员工等级 = ?, 联系电话 = ?, 证件号码 = ?, 备注 = ? "
                               "where 员工编号 = ?"),
                values + QVariantList{originalCode});
        }
        transaction.commit();
    } catch (const DatabaseError& error) {
        if (error.isUniqueViolation())
            return RegisterOutcome::refused(QStringLiteral("员工编号已存在!"));
        return RegisterOutcome::refused(error.text());
    }
    return RegisterOutcome::ok();
}

RegisterOutcome deleteEmployee(Database& database, const QString& code)
{
    try {
        Transaction transaction(database);
        if (holdsMoney(database, code))
            return RegisterOutcome::refused(HoldsMoney);
        database.exec(QStringLiteral("delete from 员工管理 where 员工编号 = ?"), {code});
        transaction.commit();
    } catch (const DatabaseError& error) {
        return RegisterOutcome::refused(error.text());
    }
    return RegisterOutcome::ok();
}

RegisterOutcome saveGrade(Database& database, std::optional<qint64> key, const QString& name,
                          const QString& wageText)
{
    const QString trimmedName = name.trimmed();
    const QString trimmedWage = wageText.trimmed();
    if (trimmedName.isEmpty() && trimmedWage.isEmpty())
        return RegisterOutcome::refused(QStringLiteral("不能为空!"));
    if (auto why = nameFieldRefusal(QStringLiteral("等级名称"), trimmedName))
        return RegisterOutcome::refused(*why);
    Money wage;
    if (!trimmedWage.isEmpty()) {
        const std::optional<Money> parsed = Money::parse(trimmedWage);
        if (!parsed || *parsed < Money())
            return RegisterOutcome::refused(QStringLiteral("工资必须是不小于0的数字!"));
        wage = *parsed;
    }
    try {
        Transaction transaction(database);
        if (!key) {
            database.exec(QStringLiteral("insert into 员工等级 (等级名称, 工资) values (?, ?)"),
                          {trimmedName, QVariant::fromValue(wage)});
        } else {
            const QVariant id = QVariant::fromValue<qlonglong>(*key);
            const QVariant oldName =
                database.scalar(QStringLiteral("select 等级名称 from 员工等级 where 等级编号 = ?") +
                                    database.dialect().forUpdate(),
                                {id});
            database.exec(
                QStringLiteral("update 员工等级 set 等级名称 = ?, 工资 = ? where 等级编号 = ?"),
                {trimmedName, QVariant::fromValue(wage), id});
            // Employees hold the grade by name; wage records keep the name they were paid under.
            if (oldName.isValid() && oldName.toString() != trimmedName)
                database.exec(QStringLiteral("update 员工管理 set 员工等级 = ? where 员工等级 = ?"),
                              {trimmedName, oldName.toString()});
        }
        transaction.commit();
    } catch (const DatabaseError& error) {
        if (error.isUniqueViolation())
            return RegisterOutcome::refused(QStringLiteral("错误:请检查是否有重名记录!"));
        return RegisterOutcome::refused(error.text());
    }
    return RegisterOutcome::ok();
}

RegisterOutcome deleteGrade(Database& database, qint64 key)
{
    try {
        Transaction transaction(database);
        const QVariant id = QVariant::fromValue<qlonglong>(key);
        const QVariant name =
            database.scalar(QStringLiteral("select 等级名称 from 员工等级 where 等级编号 = ?") +
                                database.dialect().forUpdate(),
                            {id});
        if (name.isValid() &&
            database.scalar(QStringLiteral("select count(*) from 员工管理 where 员工等级 = ?"),
                            {name.toString()})
                    .toLongLong() > 0)
            return RegisterOutcome::refused(QStringLiteral("该等级下还有员工,不能删除!"));
        database.exec(QStringLiteral("delete from 员工等级 where 等级编号 = ?"), {id});
        transaction.commit();
    } catch (const DatabaseError& error) {
        return RegisterOutcome::refused(error.text());
    }
    return RegisterOutcome::ok();
}

} // namespace shoupai::staffregister
