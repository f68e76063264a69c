#pragma once

#include "catalogue/CatalogueOutcome.h"

#include <QDate>
#include <QString>
#include <QVariantList>

#include <optional>

namespace shoupai {

class Database;
class Dialect;

// A catalogue item as the add and change screens hold it: the operator's texts.
struct GoodsEntry
{
    QString code;
    QString name;
    QString initials;
    QString priceText;
    QString commissionText;
    QString type;
    QString needsService; // "是" or "否"
};

// The opening stock of a new item of a stock-keeping type.
struct OpeningStock
{
    QString quantityText;
    QString purchasePriceText;
};

// A statement for the catalogue list, with its values.
struct GoodsStatement
{
    QString sql;
    QVariantList parameters;
};

namespace goodsitems {

inline const QString Incomplete = QStringLiteral("请把信息填写完整!");
inline const QString StockChanged = QStringLiteral("库存已被改变,请重新打开后再修改!");
inline const QString Gone = QStringLiteral("该商品已不存在!");
inline const QString NoMatch = QStringLiteral("没有符合条件的记录!");

// The quick-search code stored for a name or typed into the initials box:
// capital letters A to Z only.
QString initialsOf(const QString& name);
QString cleanInitials(const QString& typed);

// Every item, by name.
GoodsStatement allItems();
// Items whose name contains the trimmed text; nothing for a blank text.
std::optional<GoodsStatement> search(const Dialect& dialect, const QString& text);

// Adds the item and, for a type that keeps stock, its opening purchase row, as
// one transaction; the new key on success. The opening is needed, and used,
// only when the type keeps stock.
CatalogueOutcome addItem(Database& database, const GoodsEntry& entry,
                         const std::optional<OpeningStock>& opening, const QString& operatorName,
                         const QDate& today, qint64* newKey = nullptr);

// Changes an item. The stock is written only when stockText differs from
// loadedStock, and only while the stored stock is still loadedStock.
CatalogueOutcome changeItem(Database& database, qint64 key, const GoodsEntry& entry,
                            const std::optional<qint64>& loadedStock, const QString& stockText);

CatalogueOutcome deleteItem(Database& database, qint64 key);

} // namespace goodsitems
} // namespace shoupai
