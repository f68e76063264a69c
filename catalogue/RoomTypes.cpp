#include "catalogue/RoomTypes.h"

#include "common/NameField.h"
#include "platform/Database.h"

#include <cmath>
#include <optional>
#include <stdexcept>

namespace shoupai::roomtypes {

namespace {

std::optional<Money> ticketPrice(const QString& text)
{
    if (text.isEmpty())
        return Money();
    const std::optional<Money> parsed = Money::parse(text);
    if (!parsed || *parsed < Money())
        return std::nullopt;
    return parsed;
}

// The capacity is a plain number; empty stays empty.
std::optional<QVariant> capacity(const QString& text)
{
    if (text.isEmpty())
        return QVariant(QMetaType::fromType<double>());
    bool ok = false;
    const double value = text.toDouble(&ok);
    // toDouble takes "nan" and "inf" as numbers; a capacity must be a real count.
    if (!ok || !std::isfinite(value) || value < 0)
        return std::nullopt;
    // The room list reads the number back to four decimals; a figure beyond that
    // would break the list.
    try {
        (void)Money::fromDouble(value);
    } catch (const std::overflow_error&) {
        return std::nullopt;
    }
    return QVariant(value);
}

} // namespace

QStringList names(const Database& database)
{
    QStringList list;
    Rows rows = database.query(QStringLiteral("select 包厢类型 from 包厢类型 order by 包厢类型"));
    while (rows.next())
        list << rows.text(QStringLiteral("包厢类型"));
    return list;
}

QStringList billingModes(const Database& database)
{
    QStringList list;
    Rows rows = database.query(QStringLiteral("select 计费方式 from 计费设置"));
    while (rows.next())
        list << rows.text(QStringLiteral("计费方式"));
    return list;
}

SetupOutcome saveRoomType(Database& database, const QString& originalName, RoomTypeRecord record)
{
    record.name = record.name.trimmed();
    if (record.name.isEmpty())
        return SetupOutcome::refused(QStringLiteral("请把信息填写完整!"));
    if (const std::optional<QString> why =
            nameFieldRefusal(QStringLiteral("包厢类型"), record.name))
        return SetupOutcome::refused(*why);
    const std::optional<Money> price = ticketPrice(record.ticketPrice.trimmed());
    if (!price)
        return SetupOutcome::refused(QStringLiteral("门票价格必须是不小于0的数字!"));
    const std::optional<QVariant> people = capacity(record.capacity.trimmed());
    if (!people)
        return SetupOutcome::refused(QStringLiteral("容纳人数必须是不小于0的数字!"));
    try {
        Transaction transaction(database);
        // No unique index guards the name: room-type writers take turns instead.
        const QString lock =
            database.dialect().lockTablesAgainstWriters({QStringLiteral("包厢类型")});
        if (!lock.isEmpty())
            database.exec(lock);
        const qint64 sameName =
            database
                .scalar(QStringLiteral("select count(*) from 包厢类型 where 包厢类型 = ?"),
                        {record.name})
                .toLongLong();
        const bool renamed = !originalName.isEmpty() && record.name != originalName;
        if (sameName > 0 && (originalName.isEmpty() || renamed))
            return SetupOutcome::refused(QStringLiteral("错误:请检查是否有重名记录!"));
        const QVariantList values{record.name, record.nature, record.billingMode,
                                  QVariant::fromValue(*price), *people};
        if (originalName.isEmpty()) {
            database.exec(QStringLiteral("insert into 包厢类型 (包厢类型, 包厢性质, 计费方式, "
                                         "门票价格, 容纳人数, 初始费用) values (?, ?, ?, ?, ?, ?)"),
                          values + QVariantList{QVariant::fromValue(Money())});
        } else {
            const int changed = database.exec(
                QStringLiteral("update 包厢类型 set 包厢类型 = ?, 包厢性质 = ?, 计费方式 = ?, "
                               "门票价格 = ?, 容纳人数 = ? where 包厢类型 = ?"),
                values + QVariantList{originalName});
            if (changed == 0)
                return SetupOutcome::refused(QStringLiteral("该包厢类型已不存在!"));
            // Tags and open bills name their room type; the tags follow the new name.
            if (renamed)
                database.exec(QStringLiteral("update 手牌管理 set 所属包厢 = ? where 所属包厢 = ?"),
                              {record.name, originalName});
        }
        transaction.commit();
    } catch (const DatabaseError& error) {
        return SetupOutcome::refused(error.text());
    }
    return SetupOutcome::ok();
}

SetupOutcome deleteRoomType(Database& database, const QString& name)
{
    try {
        Transaction transaction(database);
        // Locking the row first makes a batch adding tags to it finish before the count.
        Rows room =
            database.query(QStringLiteral("select 包厢类型 from 包厢类型 where 包厢类型 = ?") +
                               database.dialect().forUpdate(),
                           {name});
        if (!room.next())
            return SetupOutcome::ok();
        if (database
                .scalar(QStringLiteral("select count(*) from 手牌管理 where 所属包厢 = ?"), {name})
                .toLongLong() > 0)
            return SetupOutcome::refused(QStringLiteral("该包厢类型下还有手牌,不能删除!"));
        database.exec(QStringLiteral("delete from 包厢类型 where 包厢类型 = ?"), {name});
        transaction.commit();
    } catch (const DatabaseError& error) {
        return SetupOutcome::refused(error.text());
    }
    return SetupOutcome::ok();
}

} // namespace shoupai::roomtypes
