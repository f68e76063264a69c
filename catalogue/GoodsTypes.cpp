#include "catalogue/GoodsTypes.h"

#include "catalogue/GoodsItems.h"
#include "common/NameField.h"
#include "platform/Database.h"

namespace shoupai::goodstypes {

std::optional<bool> keepsStock(const Database& database, const QString& name)
{
    Rows rows = database.query(QStringLiteral("select 库存 from 商品类型 where 名称 = ?"), {name});
    if (!rows.next())
        return std::nullopt;
    return rows.flag(QStringLiteral("库存"));
}

CatalogueOutcome saveType(Database& database, const GoodsType& type, const QString& originalName)
{
    const QString name = type.name.trimmed();
    const QString discount = type.discount.trimmed();
    if (name.isEmpty() || discount.isEmpty())
        return CatalogueOutcome::refused(goodsitems::Incomplete);
    if (const std::optional<QString> why = nameFieldRefusal(QStringLiteral("商品类型"), name))
        return CatalogueOutcome::refused(*why);
    try {
        Transaction transaction(database);
        const QString lock = database.dialect().forUpdate();
        // Looked up first so that a rename onto another type is refused before
        // its items move; the unique index still catches two workstations at once.
        Rows same = database.query(
            QStringLiteral("select 名称 from 商品类型 where 名称 = ?") + lock, {name});
        if (same.next() && name != originalName)
            return CatalogueOutcome::refused(Duplicate);
        const QVariantList values{name, type.keepsStock, type.needsService, discount};
        if (originalName.isEmpty()) {
            database.exec(
                QStringLiteral("insert into 商品类型 (名称, 库存, 是否需要服务, 参与打折) "
                               "values (?, ?, ?, ?)"),
                values);
        } else {
            const int changed = database.exec(
                QStringLiteral("update 商品类型 set 名称 = ?, 库存 = ?, 是否需要服务 = ?, "
                               "参与打折 = ? where 名称 = ?"),
                values + QVariantList{originalName});
            if (changed == 0)
                return CatalogueOutcome::refused(QStringLiteral("该类型已不存在!"));
            // Items name their type.
            if (name != originalName)
                database.exec(QStringLiteral("update 商品库 set 商品类型 = ? where 商品类型 = ?"),
                              {name, originalName});
        }
        // Consumption lowers a stock by "库存 - ?", which leaves an empty count empty.
        if (type.keepsStock)
            database.exec(
                QStringLiteral("update 商品库 set 库存 = 0 where 商品类型 = ? and 库存 is null"),
                {name});
        transaction.commit();
    } catch (const DatabaseError& error) {
        if (error.isUniqueViolation())
            return CatalogueOutcome::refused(Duplicate);
        return CatalogueOutcome::refused(error.text());
    }
    return CatalogueOutcome::ok();
}

CatalogueOutcome deleteType(Database& database, const QString& name)
{
    try {
        Transaction transaction(database);
        database.query(QStringLiteral("select 名称 from 商品类型 where 名称 = ?") +
                           database.dialect().forUpdate(),
                       {name});
        if (database
                .scalar(QStringLiteral("select count(*) from 商品库 where 商品类型 = ?"), {name})
                .toLongLong() > 0)
            return CatalogueOutcome::refused(InUse);
        database.exec(QStringLiteral("delete from 商品类型 where 名称 = ?"), {name});
        transaction.commit();
    } catch (const DatabaseError& error) {
        return CatalogueOutcome::refused(error.text());
    }
    return CatalogueOutcome::ok();
}

} // namespace shoupai::goodstypes
