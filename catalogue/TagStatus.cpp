#include "catalogue/TagStatus.h"

#include "catalogue/TagRegister.h"
#include "catalogue/TagStates.h"
#include "platform/Database.h"

namespace shoupai::tagstatus {

std::optional<QString> readState(const Database& database, const QString& tag)
{
    Rows row =
        database.query(QStringLiteral("select 手牌状态 from 手牌管理 where 手牌号码 = ?"), {tag});
    if (!row.next())
        return std::nullopt;
    return row.text(QStringLiteral("手牌状态"));
}

SetupOutcome changeState(Database& database, const QString& tag, const QString& shownState,
                         const QString& newState)
{
    if (shownState == tagstates::Occupied)
        return SetupOutcome::refused(tagstates::OccupiedMessage);
    if (!tagstates::settable().contains(newState))
        return SetupOutcome::refused(QStringLiteral("手牌状态只能是可用、停用或预定!"));
    try {
        const int changed = database.exec(
            QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ? and 手牌状态 = ?") +
                tagstates::notOccupiedCondition(),
            {newState, tag, shownState, tagstates::Occupied});
        if (changed == 0) {
            // Someone else got there first: tell the operator what happened.
            if (tagregister::isOccupied(database, tag))
                return SetupOutcome::refused(tagstates::OccupiedMessage);
            return SetupOutcome::refused(QStringLiteral("该手牌状态已被改变,请刷新后重试!"));
        }
    } catch (const DatabaseError& error) {
        return SetupOutcome::refused(error.text());
    }
    return SetupOutcome::ok();
}

} // namespace shoupai::tagstatus
