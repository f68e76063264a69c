#include "catalogue/TagRegister.h"

#include "catalogue/TagStates.h"
#include "common/NameField.h"
#include "platform/Database.h"

#include <QRegularExpression>

namespace shoupai::tagregister {

namespace {

const QString Gone = QStringLiteral("该手牌已不存在!");
const QString Duplicate = QStringLiteral("手牌号码重复!");

bool isWholeNumber(const QString& text, qint64* value)
{
    static const QRegularExpression pattern(QStringLiteral("^[+-]?[0-9]{1,9}$"));
    if (!pattern.match(text).hasMatch())
        return false;
    *value = text.toLongLong();
    return true;
}

} // namespace

bool isOccupied(const Database& database, const QString& number)
{
    Rows tag = database.query(QStringLiteral("select 手牌状态 from 手牌管理 where 手牌号码 = ?"),
                              {number});
    if (tag.next() && tag.text(QStringLiteral("手牌状态")) == tagstates::Occupied)
        return true;
    return database
               .scalar(QStringLiteral("select count(*) from 手牌开单 where 手牌号码 = ?"), {number})
               .toLongLong() > 0;
}

SetupOutcome saveTag(Database& database, const QString& originalNumber, TagRecord record)
{
    record.number = record.number.trimmed();
    record.roomType = record.roomType.trimmed();
    record.state = record.state.trimmed();
    if (record.number.isEmpty() || record.roomType.isEmpty() || record.state.isEmpty())
        return SetupOutcome::refused(QStringLiteral("手牌号码 所属包厢 手牌状态必须填写!"));
    if (const std::optional<QString> why =
            nameFieldRefusal(QStringLiteral("手牌号码"), record.number))
        return SetupOutcome::refused(*why);
    // "占用" typed here would make a tag that no bill frees.
    if (!tagstates::settable().contains(record.state))
        return SetupOutcome::refused(QStringLiteral("手牌状态只能是可用、停用或预定!"));
    qint64 sortKey = 0;
    if (!isWholeNumber(record.sortKey.trimmed(), &sortKey))
        return SetupOutcome::refused(QStringLiteral("序号必须是整数!"));
    try {
        Transaction transaction(database);
        // The room type is locked so that it cannot be renamed or removed under the tag.
        Rows room =
            database.query(QStringLiteral("select 包厢类型 from 包厢类型 where 包厢类型 = ?") +
                               database.dialect().forUpdate(),
                           {record.roomType});
        if (!room.next())
            return SetupOutcome::refused(QStringLiteral("请选择包厢类型!"));
        const int changed = database.exec(
            QStringLiteral(
                "update 手牌管理 set 手牌号码 = ?, 所属包厢 = ?, 手牌状态 = ?, number = ? "
                "where 手牌号码 = ?") +
                tagstates::notOccupiedCondition(),
            {record.number, record.roomType, record.state, QVariant::fromValue<qlonglong>(sortKey),
             originalNumber, tagstates::Occupied});
        if (changed == 0) {
            const bool exists =
                database
                    .scalar(QStringLiteral("select count(*) from 手牌管理 where 手牌号码 = ?"),
                            {originalNumber})
                    .toLongLong() > 0;
            return SetupOutcome::refused(exists ? tagstates::OccupiedMessage : Gone);
        }
        transaction.commit();
    } catch (const DatabaseError& error) {
        if (error.isUniqueViolation())
            return SetupOutcome::refused(Duplicate);
        return SetupOutcome::refused(error.text());
    }
    return SetupOutcome::ok();
}

SetupOutcome deleteTag(Database& database, const QString& number)
{
    try {
        Transaction transaction(database);
        const int removed =
            database.exec(QStringLiteral("delete from 手牌管理 where 手牌号码 = ?") +
                              tagstates::notOccupiedCondition(),
                          {number, tagstates::Occupied});
        if (removed == 0 && isOccupied(database, number))
            return SetupOutcome::refused(tagstates::OccupiedMessage);
        transaction.commit();
    } catch (const DatabaseError& error) {
        return SetupOutcome::refused(error.text());
    }
    return SetupOutcome::ok();
}

} // namespace shoupai::tagregister
