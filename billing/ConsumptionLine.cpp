#include "billing/ConsumptionLine.h"

#include "platform/Database.h"

namespace shoupai {

std::optional<GoodsItem> goodsById(const Database& database, qint64 id)
{
    Rows rows = database.query(QStringLiteral("select * from 商品库 where ID = ?"),
                               {QVariant::fromValue<qlonglong>(id)});
    if (!rows.next())
        return std::nullopt;
    GoodsItem goods;
    goods.id = id;
    goods.code = rows.text(QStringLiteral("编号"));
    goods.name = rows.text(QStringLiteral("商品名"));
    goods.type = rows.text(QStringLiteral("商品类型"));
    goods.price = rows.money(QStringLiteral("单价"));
    goods.commission = rows.money(QStringLiteral("提成金额"));
    goods.needsService = rows.text(QStringLiteral("是否需要服务")).trimmed() == u"是";
    return goods;
}

std::optional<qint64> parseQuantity(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 6)
        return std::nullopt;
    for (const QChar c : trimmed) {
        if (!c.isDigit() || c.unicode() > 127)
            return std::nullopt;
    }
    const qint64 value = trimmed.toLongLong();
    if (value < 1 || value > MaxLineQuantity)
        return std::nullopt;
    return value;
}

AddedLine addConsumptionLine(Database& database, const ConsumptionLine& line)
{
    AddedLine added;
    Transaction transaction(database);
    {
        Rows bill =
            database.query(QStringLiteral("select 主手牌号 from 手牌开单 where 手牌号码 = ?") +
                               database.dialect().forUpdate(),
                           {line.tag});
        if (!bill.next())
            return added;
        added.mainTag = bill.text(QStringLiteral("主手牌号"));
    }

    added.discountFlag = QStringLiteral("y");
    int typeCount = 0;
    bool keepsStock = false;
    QString typeDiscount;
    {
        Rows types =
            database.query(QStringLiteral("select 库存, 参与打折 from 商品类型 where 名称 = ?"),
                           {line.goods.type});
        while (types.next()) {
            if (++typeCount == 1) {
                keepsStock = types.flag(QStringLiteral("库存"));
                typeDiscount = types.text(QStringLiteral("参与打折"));
            }
        }
    }
    // Only an unambiguous type decides; a missing or doubled one leaves the defaults.
    if (typeCount == 1) {
        if (keepsStock)
            database.exec(QStringLiteral("update 商品库 set 库存 = 库存 - ? where ID = ?"),
                          {QVariant::fromValue<qlonglong>(line.quantity),
                           QVariant::fromValue<qlonglong>(line.goods.id)});
        added.discountFlag = typeDiscount;
    }

    const Money total = line.goods.price.times(line.quantity);
    // A returned service takes its commission back, else it would be paid twice.
    const Money commission = line.quantity < 0 ? -line.goods.commission : line.goods.commission;
    database.exec(
        QStringLiteral("insert into 手牌消费 (手牌号码, 商品名, 商品类型, 单价, 提成金额, "
                       "实际单价, 数量, 合计, 消费时间, 参与打折, 是否计时, 状态, 员工编号, "
                       "员工姓名, 营业员, 主手牌号) "
                       "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {line.tag, line.goods.name, line.goods.type, QVariant::fromValue(line.goods.price),
         QVariant::fromValue(commission), QVariant::fromValue(line.goods.price),
         QVariant::fromValue<qlonglong>(line.quantity), QVariant::fromValue(total),
         line.addedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), added.discountFlag,
         QVariant::fromValue<qlonglong>(0), QStringLiteral("消费完毕"), line.employeeNumber,
         line.employeeName, line.operatorName, added.mainTag});
    transaction.commit();
    added.stored = true;
    return added;
}

} // namespace shoupai
