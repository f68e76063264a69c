#pragma once

// Shared by the catalogue tests: goods types and items set up directly, and
// short reads of what was stored.

#include "../billing/BillingTestKit.h"
#include "catalogue/GoodsItems.h"

namespace shoupai::test {

inline void addType(Database& db, const QString& name, bool keepsStock,
                    const QString& discount = QStringLiteral("y"))
{
    db.exec(
        QStringLiteral("insert into 商品类型 (名称, 库存, 是否需要服务, 参与打折) values (?, ?, "
                       "?, ?)"),
        {name, keepsStock, false, discount});
}

inline GoodsEntry entryFor(const QString& name, const QString& type,
                           const QString& price = QStringLiteral("12"))
{
    GoodsEntry entry;
    entry.code = QStringLiteral("T1");
    entry.name = name;
    entry.initials = QStringLiteral("typed");
    entry.priceText = price;
    entry.commissionText = QStringLiteral("0");
    entry.type = type;
    entry.needsService = QStringLiteral("否");
    return entry;
}

inline qint64 keyOf(Database& db, const QString& name)
{
    return db.scalar(QStringLiteral("select ID from 商品库 where 商品名 = ?"), {name}).toLongLong();
}

inline QVariant stockOf(Database& db, const QString& name)
{
    return db.scalar(QStringLiteral("select 库存 from 商品库 where 商品名 = ?"), {name});
}

inline qint64 purchaseRows(Database& db, const QString& name)
{
    return db.scalar(QStringLiteral("select count(*) from 进货表 where 商品名 = ?"), {name})
        .toLongLong();
}

} // namespace shoupai::test
