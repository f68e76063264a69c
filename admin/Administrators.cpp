#include "admin/Administrators.h"

#include "common/NameField.h"
#include "platform/AuditLog.h"
#include "platform/Database.h"
#include "platform/PasswordHash.h"
#include "platform/StoredPassword.h"

namespace shoupai::administrators {

namespace {

const QString adminColumn = QStringLiteral("管理员设置");
const QString lockOutText = QStringLiteral("至少要保留一个有“管理员管理”权限的管理员！");
const QString blankNameText = QStringLiteral("用户名必须填写！");
const QString duplicateText = QStringLiteral("用户名已存在！");
const QString goneText = QStringLiteral("该管理员已被其他工作站删除，未作任何更改！");

QString yesNo(bool value)
{
    return value ? QStringLiteral("是") : QStringLiteral("否");
}

// The shown columns this database has; the missing optional ones are neither
// read nor written.
QStringList presentColumns(const Database& database)
{
    QStringList present;
    for (const QString& column : shownColumns()) {
        if (hasColumn(database, column))
            present << column;
    }
    return present;
}

// Locks every administrator row until commit, so that two workstations cannot
// each remove one of the last two holders of 管理员设置.
void lockRows(Database& database)
{
    database.query(QStringLiteral("select 用户名 from 管理员") + database.dialect().forUpdate());
}

qint64 holdersOtherThan(const Database& database, const QString& name)
{
    return database
        .scalar(QStringLiteral("select count(*) from 管理员 where 管理员设置 = ? and 用户名 <> ?"),
                {true, name})
        .toLongLong();
}

// Names are compared without case, as the login and the unique index do.
bool nameTakenByAnother(const Database& database, const QString& name, const QString& own)
{
    QString sql = QStringLiteral("select count(*) from 管理员 where ") +
                  database.dialect().caseInsensitiveEquals(QStringLiteral("用户名"));
    QVariantList parameters = {name};
    if (!own.isEmpty()) {
        sql += QStringLiteral(" and 用户名 <> ?");
        parameters << own;
    }
    return database.scalar(sql, parameters).toLongLong() > 0;
}

QString grantedList(const Fields& fields, const QStringList& columns)
{
    QStringList granted;
    for (const QString& column : columns) {
        if (fields.flags.value(column))
            granted << column;
    }
    return granted.join(QStringLiteral("、"));
}

} // namespace

const QStringList& shownColumns()
{
    static const QStringList columns = {
        adminColumn,
        QStringLiteral("手牌管理"),
        QStringLiteral("数据初始化"),
        QStringLiteral("员工管理"),
        QStringLiteral("收银结算"),
        QStringLiteral("营业查询"),
        QStringLiteral("撤单"),
        QStringLiteral("会员修改"),
        QStringLiteral("会员删除"),
        QStringLiteral("商品进货"),
        QStringLiteral("会员管理"),
        QStringLiteral("来宾登记"),
        QStringLiteral("消费管理"),
        QStringLiteral("数据备份"),
        QStringLiteral("商品管理"),
        QStringLiteral("数据恢复"),
        QStringLiteral("免单"),
        QStringLiteral("营业项目修改"),
        QStringLiteral("营业项目删除"),
        QStringLiteral("商品类型"),
    };
    return columns;
}

QString captionOf(const QString& column)
{
    return column == adminColumn ? QStringLiteral("管理员管理") : column;
}

bool hasColumn(const Database& database, const QString& column)
{
    return database.columns(QStringLiteral("管理员")).contains(column, Qt::CaseInsensitive);
}

Outcome add(Database& database, const Fields& fields, const QString& operatorName)
{
    const QString name = fields.name.trimmed();
    if (name.isEmpty())
        return Outcome::refused(blankNameText);
    if (const std::optional<QString> why = nameFieldRefusal(QStringLiteral("用户名"), name))
        return Outcome::refused(*why);
    const QStringList columns = presentColumns(database);
    // Hashed before the transaction: the hash is the slow part and needs no lock.
    const QString password = passwordhash::hash(DefaultPassword);
    try {
        Transaction transaction(database);
        if (nameTakenByAnother(database, name, QString()))
            return Outcome::refused(duplicateText);
        QStringList names = {QStringLiteral("用户名"), QStringLiteral("密码"),
                             QStringLiteral("退回库存")};
        QVariantList values = {name, password, false};
        for (const QString& column : columns) {
            names << column;
            values << fields.flags.value(column);
        }
        QStringList marks;
        for (int i = 0; i < names.size(); ++i)
            marks << QStringLiteral("?");
        database.exec(QStringLiteral("insert into 管理员 (%1) values (%2)")
                          .arg(names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
                      values);
        auditlog::write(database, QStringLiteral("新增管理员"), operatorName,
                        QStringLiteral("%1；权限：%2").arg(name, grantedList(fields, columns)));
        transaction.commit();
    } catch (const DatabaseError& error) {
        // Another workstation inserted the same name after our check.
        if (error.isUniqueViolation())
            return Outcome::refused(duplicateText + QLatin1Char('\n') + error.text());
        throw;
    }
    return Outcome::success();
}

Outcome modify(Database& database, const QString& originalName, const Fields& fields,
               const QString& operatorName)
{
    const QString name = fields.name.trimmed();
    if (name.isEmpty())
        return Outcome::refused(blankNameText);
    if (const std::optional<QString> why = nameFieldRefusal(QStringLiteral("用户名"), name))
        return Outcome::refused(*why);
    const QStringList columns = presentColumns(database);
    try {
        Transaction transaction(database);
        lockRows(database);
        Rows current =
            database.query(QStringLiteral("select * from 管理员 where 用户名 = ?"), {originalName});
        if (!current.next())
            return Outcome::refused(goneText);
        if (nameTakenByAnother(database, name, originalName))
            return Outcome::refused(duplicateText);
        if (!fields.flags.value(adminColumn) && holdersOtherThan(database, originalName) == 0)
            return Outcome::refused(lockOutText);

        QStringList assignments = {QStringLiteral("用户名 = ?")};
        QVariantList values = {name};
        QStringList changed;
        for (const QString& column : columns) {
            const bool ticked = fields.flags.value(column);
            assignments << column + QStringLiteral(" = ?");
            values << ticked;
            if (current.flag(column) != ticked)
                changed << QStringLiteral("%1:%2→%3").arg(column, yesNo(!ticked), yesNo(ticked));
        }
        values << originalName;
        const int touched = database.exec(QStringLiteral("update 管理员 set %1 where 用户名 = ?")
                                              .arg(assignments.join(QStringLiteral(", "))),
                                          values);
        if (touched == 0)
            return Outcome::refused(goneText);
        if (name != originalName)
            auditlog::write(database, QStringLiteral("管理员改名"), operatorName,
                            QStringLiteral("%1 → %2").arg(originalName, name));
        if (!changed.isEmpty())
            auditlog::write(database, QStringLiteral("修改权限"), operatorName,
                            QStringLiteral("%1；%2").arg(name, changed.join(QStringLiteral("，"))));
        transaction.commit();
    } catch (const DatabaseError& error) {
        if (error.isUniqueViolation())
            return Outcome::refused(duplicateText + QLatin1Char('\n') + error.text());
        throw;
    }
    return Outcome::success();
}

std::optional<QString> deleteRefusal(const Database& database, const QString& name)
{
    if (database.scalar(QStringLiteral("select count(*) from 管理员")).toLongLong() == 1)
        return QStringLiteral("至少留有一个管理员！！");
    if (name == SuperAdministrator)
        return QStringLiteral("超级管理员 用户不能删除！");
    if (holdersOtherThan(database, name) == 0)
        return lockOutText;
    return std::nullopt;
}

QString deleteQuestion(const QString& name)
{
    return QStringLiteral("您是否要删除\" %1\"").arg(name);
}

Outcome remove(Database& database, const QString& name, const QString& operatorName)
{
    Transaction transaction(database);
    lockRows(database);
    // Checked again under the lock: another workstation may have deleted or
    // demoted meanwhile.
    if (const auto refusal = deleteRefusal(database, name))
        return Outcome::refused(*refusal);
    if (database.exec(QStringLiteral("delete from 管理员 where 用户名 = ?"), {name}) == 0)
        return Outcome::refused(goneText);
    auditlog::write(database, QStringLiteral("删除管理员"), operatorName, name);
    transaction.commit();
    return Outcome::success();
}

Outcome changeOwnPassword(Database& database, const QString& operatorName,
                          const QString& oldPassword, const QString& newPassword,
                          const QString& confirmation)
{
    const Dialect& dialect = database.dialect();
    Rows rows = database.query(QStringLiteral("select 用户名, 密码 from 管理员 where ") +
                                   dialect.caseInsensitiveEquals(QStringLiteral("用户名")),
                               {operatorName});
    if (!rows.next() || rows.isNull(QStringLiteral("密码")) ||
        !storedpassword::matches(rows.text(QStringLiteral("密码")), oldPassword))
        return Outcome::refused(QStringLiteral("旧密码输入错误！"));
    if (newPassword != confirmation)
        return Outcome::refused(QStringLiteral("两次输入的新密码不一致！"));
    const QString storedName = rows.text(QStringLiteral("用户名"));
    const QString storedValue = rows.text(QStringLiteral("密码"));
    const QString hashed = passwordhash::hash(newPassword);

    Transaction transaction(database);
    // Only over the value just verified: a change made meanwhile elsewhere wins.
    if (database.exec(QStringLiteral("update 管理员 set 密码 = ? where 用户名 = ? and 密码 = ?"),
                      {hashed, storedName, storedValue}) == 0)
        return Outcome::refused(
            QStringLiteral("密码已在其他工作站被修改或该管理员已被删除，未作更改！"));
    auditlog::write(database, QStringLiteral("修改密码"), operatorName, storedName);
    transaction.commit();
    return Outcome::success();
}

} // namespace shoupai::administrators
