#include "members/MemberTypes.h"

#include "common/NameField.h"
#include "platform/Database.h"

#include <stdexcept>

namespace shoupai::membertypes {

namespace {

const QString Table = QStringLiteral("会员类型");

MemberOutcome checked(const QString& name, const QString& pointsText, const QString& rateText,
                      double& points, double& rate)
{
    if (name.isEmpty())
        return MemberOutcome::refused(QStringLiteral("类型名称必须填写!"));
    if (const std::optional<QString> why = nameFieldRefusal(QStringLiteral("类型名称"), name))
        return MemberOutcome::refused(*why);
    const std::optional<Money> parsedRate = Money::parse(rateText.trimmed());
    if (!parsedRate || *parsedRate < Money() || *parsedRate > Money::fromUnits(10))
        return MemberOutcome::refused(QStringLiteral("打折率必须是0到10之间的数字!"));
    rate = parsedRate->toDouble();
    points = 0;
    if (!pointsText.trimmed().isEmpty()) {
        const std::optional<Money> parsedPoints = Money::parse(pointsText.trimmed());
        if (!parsedPoints)
            return MemberOutcome::refused(QStringLiteral("初始积分必须是数字!"));
        points = parsedPoints->toDouble();
        // Stored as a plain number, which the lists read back to four decimals.
        try {
            (void)Money::fromDouble(points);
        } catch (const std::overflow_error&) {
            return MemberOutcome::refused(QStringLiteral("初始积分太大!"));
        }
    }
    return MemberOutcome::ok();
}

} // namespace

MemberOutcome saveType(Database& database, std::optional<qint64> id, const QString& name,
                       const QString& pointsText, const QString& rateText, qint64* savedId)
{
    const QString trimmed = name.trimmed();
    double points = 0;
    double rate = 0;
    const MemberOutcome valid = checked(trimmed, pointsText, rateText, points, rate);
    if (!valid.done)
        return valid;
    try {
        Transaction transaction(database);
        // Names have no unique key in older databases; keep a second writer out
        // between the check and the write.
        const QString lock = database.dialect().lockTablesAgainstWriters({Table});
        if (!lock.isEmpty())
            database.exec(lock);
        const qlonglong key = id ? *id : -1;
        if (database
                .scalar(QStringLiteral("select count(*) from 会员类型 where 类型名称 = ? and "
                                       "id <> ?"),
                        {trimmed, key})
                .toLongLong() > 0)
            return MemberOutcome::refused(QStringLiteral("类型名称有重复,请换其他名称!"));
        if (!id) {
            const qint64 newId = database.insertReturningKey(
                QStringLiteral(
                    "insert into 会员类型 (类型名称, 初始积分, 打折率) values (?, ?, ?)"),
                {trimmed, points, rate}, QStringLiteral("id"));
            if (savedId)
                *savedId = newId;
        } else {
            const QVariant oldName = database.scalar(
                QStringLiteral("select 类型名称 from 会员类型 where id = ?"), {key});
            if (!oldName.isValid())
                return MemberOutcome::refused(QStringLiteral("没有找到该会员类型,可能已被删除!"));
            database.exec(
                QStringLiteral("update 会员类型 set 类型名称 = ?, 初始积分 = ?, 打折率 = ? "
                               "where id = ?"),
                {trimmed, points, rate, key});
            if (oldName.toString() != trimmed)
                database.exec(QStringLiteral("update 会员管理 set 会员类型 = ? where 会员类型 = ?"),
                              {trimmed, oldName.toString()});
            if (savedId)
                *savedId = key;
        }
        transaction.commit();
    } catch (const DatabaseError& error) {
        return MemberOutcome::refused(error.text());
    }
    return MemberOutcome::ok();
}

MemberOutcome deleteType(Database& database, qint64 id)
{
    try {
        Transaction transaction(database);
        const QString lock = database.dialect().lockTablesAgainstWriters({Table});
        if (!lock.isEmpty())
            database.exec(lock);
        const QVariant name = database.scalar(
            QStringLiteral("select 类型名称 from 会员类型 where id = ?"), {qlonglong(id)});
        if (name.isValid() &&
            database.scalar(QStringLiteral("select count(*) from 会员管理 where 会员类型 = ?"),
                            {name.toString()})
                    .toLongLong() > 0)
            return MemberOutcome::refused(QStringLiteral("该类型下还有会员,不能删除!"));
        database.exec(QStringLiteral("delete from 会员类型 where id = ?"), {qlonglong(id)});
        transaction.commit();
    } catch (const DatabaseError& error) {
        return MemberOutcome::refused(error.text());
    }
    return MemberOutcome::ok();
}

} // namespace shoupai::membertypes
