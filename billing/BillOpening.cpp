#include "billing/BillOpening.h"

#include "platform/Database.h"

#include <utility>

namespace shoupai {

namespace {

const QString Available = QStringLiteral("可用");
const QString Reserved = QStringLiteral("预定");
const QString Occupied = QStringLiteral("占用");

bool occupy(Database& database, const QString& tag, bool mayBeReserved)
{
    // State test and update in one statement: of two workstations, the second
    // finds the tag occupied and touches no row.
    const int touched = database.exec(
        QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ? and "
                       "(手牌状态 = ? or 手牌状态 = ?) and "
                       "not exists (select 1 from 手牌开单 where 手牌开单.手牌号码 = ?)"),
        {Occupied, tag, Available, mayBeReserved ? Reserved : Available, tag});
    return touched == 1;
}

} // namespace

QString openBill(Database& database, const BillOpening& opening)
{
    const QString enteredAt = opening.openedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    // Tags are taken in one order everywhere: two workstations opening the same
    // tags in another order would otherwise each hold one and wait for the other.
    QStringList ordered = opening.tags;
    ordered.sort();
    Transaction transaction(database);
    for (const QString& tag : std::as_const(ordered)) {
        if (!occupy(database, tag, tag == opening.mainTag))
            return tag; // the guard rolls everything back
        database.exec(
            QStringLiteral("insert into 手牌开单 (手牌号码, 包厢类型, 包厢性质, 顾客姓名, "
                           "押金金额, 合计金额, 进店时间, 备注, 主手牌号) "
                           "values (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {tag, opening.roomType, QStringLiteral("无"), opening.guestName,
             QVariant::fromValue(opening.deposit), QVariant::fromValue(opening.ticketPrice),
             enteredAt, opening.remark, opening.mainTag});
        if (opening.ticketPrice > Money())
            database.exec(QStringLiteral(
                              "insert into 手牌消费 (手牌号码, 商品名, 单价, 实际单价, 数量, 折扣, "
                              "合计, 消费时间, 是否计时, 状态, 员工编号, 营业员, 主手牌号) "
                              "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                          {tag, QStringLiteral("门票"), QVariant::fromValue(opening.ticketPrice),
                           QVariant::fromValue(opening.ticketPrice),
                           QVariant::fromValue<qlonglong>(1), QVariant::fromValue(1.0),
                           QVariant::fromValue(opening.ticketPrice), enteredAt,
                           QVariant::fromValue<qlonglong>(0), QStringLiteral("消费完毕"),
                           QStringLiteral("无"), opening.operatorName, opening.mainTag});
    }
    transaction.commit();
    return {};
}

QStringList candidateTags(const Database& database, const QString& roomType, const QString& mainTag)
{
    QStringList tags;
    Rows rows =
        database.query(QStringLiteral("select 手牌号码 from 手牌管理 where 手牌状态 = ? and "
                                      "手牌号码 <> ? and 所属包厢 = ? order by number"),
                       {Available, mainTag, roomType});
    while (rows.next())
        tags << rows.text(QStringLiteral("手牌号码"));
    return tags;
}

} // namespace shoupai
