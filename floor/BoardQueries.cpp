#include "floor/BoardQueries.h"

#include "floor/TagState.h"

namespace shoupai {

TagStateCounts countTagStates(const Database& database)
{
    TagStateCounts counts;
    Rows rows = database.query(
        QStringLiteral("select 手牌状态, count(*) as 数量 from 手牌管理 group by 手牌状态"));
    while (rows.next()) {
        const qint64 n = rows.integer(QStringLiteral("数量"));
        counts.total += n;
        if (rows.isNull(QStringLiteral("手牌状态")))
            continue;
        switch (knownTagPicture(rows.text(QStringLiteral("手牌状态"))).value_or(-1)) {
        case AvailablePicture:
            counts.free += n;
            break;
        case OccupiedPicture:
            counts.occupied += n;
            break;
        case ReservedPicture:
            counts.reserved += n;
            break;
        case OutOfServicePicture:
            counts.outOfService += n;
            break;
        default:
            break;
        }
    }
    return counts;
}

Money consumedAmount(const Database& database, const QString& tag)
{
    Rows rows = database.query(
        QStringLiteral("select sum(合计) as 金额 from 手牌消费 where 手牌号码 = ?"), {tag});
    return rows.next() ? rows.money(QStringLiteral("金额")) : Money();
}

TagDetails readTagDetails(const Database& database, const QString& tag)
{
    TagDetails details;
    Rows rows = database.query(
        QStringLiteral("select 进店时间, 押金金额 from 手牌开单 where 手牌号码 = ?"), {tag});
    int found = 0;
    while (rows.next() && ++found <= 1) {
        details.entryTime = rows.dateTime(QStringLiteral("进店时间"));
        details.deposit = rows.money(QStringLiteral("押金金额"));
    }
    // Two open rows for one tag is damage the board does not guess about.
    if (found != 1)
        return {};
    details.hasOpenBill = true;
    details.consumed = consumedAmount(database, tag);
    return details;
}

std::optional<QString> storedTagState(const Database& database, const QString& tag)
{
    Rows rows =
        database.query(QStringLiteral("select 手牌状态 from 手牌管理 where 手牌号码 = ?"), {tag});
    if (!rows.next())
        return std::nullopt;
    return rows.text(QStringLiteral("手牌状态"));
}

} // namespace shoupai
