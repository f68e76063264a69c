#pragma once

#include "catalogue/CatalogueOutcome.h"
#include "platform/Money.h"

#include <QDate>
#include <QString>
#include <QVariantList>

#include <optional>

namespace shoupai {

class Database;
class Dialect;

// One purchase as the purchase screen takes it.
struct PurchaseEntry
{
    qint64 goodsKey = 0;
    QString unitPriceText;
    QString quantityText;
    QString remark;
    QString operatorName;
    QDate date;
};

// The records screen's query: the statement and its values.
struct PurchaseQuery
{
    QString sql;
    QVariantList parameters;
    QString refusal; // set when the query cannot run
};

namespace purchases {

inline const QString BadQuantity = QStringLiteral("数量必须是1到99999的整数!");
inline const QString BadPrice = QStringLiteral("进货单价必须是不小于0的数字!");
inline const QString NoStock = QStringLiteral("该商品没有库存属性,不能进货!");
inline const QString TotalTooLarge = QStringLiteral("进货总价太大,请检查进货单价和数量!");

// The whole number 1 to 99999, or nothing.
std::optional<qint64> quantityOf(const QString& text);
// The unit price, a number not below 0, or nothing.
std::optional<Money> unitPriceOf(const QString& text);
// The total the screen shows, or nothing while either value cannot be read.
std::optional<Money> totalOf(const QString& unitPriceText, const QString& quantityText);

// Whether the item can be bought in: its type, read now, keeps stock.
CatalogueOutcome gate(const Database& database, qint64 goodsKey);

// The purchase row and the stock rise, as one transaction. Everything is
// checked before anything is written; the stock rises from its stored value.
CatalogueOutcome record(Database& database, const PurchaseEntry& entry);

// "查询": by the name (contains), by whole days, or both; nothing to run
// without either.
std::optional<PurchaseQuery> recordsQuery(const Dialect& dialect, const QString& name, bool byDate,
                                          const QDate& from, const QDate& to);

} // namespace purchases
} // namespace shoupai
