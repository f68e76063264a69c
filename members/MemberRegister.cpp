#include "members/MemberRegister.h"

#include "common/NameField.h"
#include "members/MemberPassword.h"
#include "platform/Database.h"
#include "platform/PasswordHash.h"

namespace shoupai::memberregister {

const QString DuplicateCard = QStringLiteral("会员卡号有重复，请换其他号码！");

namespace {

const QString NotFound = QStringLiteral("没有找到该会员,可能已被删除或改号!");

// A typed NULL: the engines bind it to any column kind.
QVariant null()
{
    return QVariant(QMetaType::fromType<QString>());
}

QVariant orNull(const QString& text)
{
    return text.isEmpty() ? null() : QVariant(text);
}

QVariant orNull(const QDateTime& moment)
{
    return moment.isValid() ? QVariant(moment) : null();
}

MemberOutcome failed(const DatabaseError& error)
{
    // Two workstations saving one number at once: the unique key decides.
    if (error.isUniqueViolation())
        return MemberOutcome::refused(DuplicateCard);
    return MemberOutcome::refused(error.text());
}

std::optional<QString> typedRefusal(const MemberRecord& record)
{
    if (auto why = nameFieldRefusal(QStringLiteral("会员卡号"), record.card))
        return why;
    return nameFieldRefusal(QStringLiteral("会员姓名"), record.name);
}

} // namespace

bool cardTaken(Database& database, const QString& card, const QString& except)
{
    Rows rows = database.query(QStringLiteral("select 会员卡号 from 会员管理 where 会员卡号 = ?"),
                               {card.trimmed()});
    while (rows.next()) {
        if (except.isEmpty() || rows.text(QStringLiteral("会员卡号")) != except)
            return true;
    }
    return false;
}

MemberOutcome addMember(Database& database, MemberRecord record)
{
    record.card = record.card.trimmed();
    record.name = record.name.trimmed();
    if (record.card.isEmpty() || record.name.isEmpty())
        return MemberOutcome::refused(QStringLiteral("会员卡号和会员姓名必须填写！"));
    if (const std::optional<QString> why = typedRefusal(record))
        return MemberOutcome::refused(*why);
    if (record.type.trimmed().isEmpty())
        record.type = QStringLiteral("未设置");
    if (record.sex.trimmed().isEmpty())
        record.sex = QStringLiteral("男");
    try {
        if (cardTaken(database, record.card))
            return MemberOutcome::refused(DuplicateCard);
        const QString hashed = passwordhash::hash(DefaultMemberPassword);
        Transaction transaction(database);
        database.exec(QStringLiteral("insert into 会员管理 (会员卡号, 会员姓名, 密码, 当前状态, "
                                     "卡内金额, 当前积分, 会员性别, 会员类型, 出生日期, 联系电话, "
                                     "备注) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                      {record.card, record.name, hashed, QStringLiteral("可用"),
                       QVariant::fromValue(Money()), 0.0, record.sex, record.type,
                       orNull(record.birth), orNull(record.phone), orNull(record.remark)});
        transaction.commit();
    } catch (const DatabaseError& error) {
        return failed(error);
    }
    return MemberOutcome::ok();
}

MemberOutcome changeMember(Database& database, const QString& originalCard, MemberRecord record)
{
    record.card = record.card.trimmed();
    record.name = record.name.trimmed();
    record.type = record.type.trimmed();
    if (record.card.isEmpty() || record.name.isEmpty() || record.type.isEmpty())
        return MemberOutcome::refused(QStringLiteral("会员卡号和会员姓名和会员类型必须认真填写！"));
    if (const std::optional<QString> why = typedRefusal(record))
        return MemberOutcome::refused(*why);
    try {
        Transaction transaction(database);
        if (record.card != originalCard && cardTaken(database, record.card, originalCard))
            return MemberOutcome::refused(DuplicateCard);
        // Balance, points, password and state are not among the columns: a screen
        // opened before a checkout or recharge must not write its old figures back.
        const int changed = database.exec(
            QStringLiteral("update 会员管理 set 会员卡号 = ?, 会员姓名 = ?, 会员性别 = ?, "
                           "会员类型 = ?, 出生日期 = ?, 登记日期 = ?, 联系电话 = ?, 备注 = ? "
                           "where 会员卡号 = ?"),
            {record.card, record.name, record.sex, record.type, orNull(record.birth),
             orNull(record.registered), orNull(record.phone), orNull(record.remark), originalCard});
        if (changed == 0)
            return MemberOutcome::refused(NotFound);
        transaction.commit();
    } catch (const DatabaseError& error) {
        return failed(error);
    }
    return MemberOutcome::ok();
}

MemberOutcome deleteMember(Database& database, const QString& card)
{
    try {
        Transaction transaction(database);
        Rows row =
            database.query(QStringLiteral("select 卡内金额 from 会员管理 where 会员卡号 = ?") +
                               database.dialect().forUpdate(),
                           {card});
        if (!row.next())
            return MemberOutcome::refused(NotFound);
        if (!row.money(QStringLiteral("卡内金额")).isZero())
            return MemberOutcome::refused(QStringLiteral("该会员卡内还有余额,不能删除!"));
        database.exec(QStringLiteral("delete from 会员管理 where 会员卡号 = ?"), {card});
        transaction.commit();
    } catch (const DatabaseError& error) {
        return failed(error);
    }
    return MemberOutcome::ok();
}

} // namespace shoupai::memberregister
