#include "catalogue/Purchases.h"

#include "catalogue/GoodsItems.h"
#include "catalogue/GoodsTypes.h"
#include "platform/Database.h"
#include "platform/DayPeriod.h"
#include "platform/TypedSearch.h"

#include <stdexcept>

namespace shoupai::purchases {

std::optional<qint64> quantityOf(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 5)
        return std::nullopt;
    for (const QChar c : trimmed)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    const qint64 value = trimmed.toLongLong();
    if (value < 1)
        return std::nullopt;
    return value;
}

std::optional<Money> unitPriceOf(const QString& text)
{
    const std::optional<Money> price = Money::parse(text);
    if (!price || price->isNegative())
        return std::nullopt;
    return price;
}

std::optional<Money> totalOf(const QString& unitPriceText, const QString& quantityText)
{
    const std::optional<Money> price = Money::parse(unitPriceText);
    const std::optional<Money> quantity = Money::parse(quantityText);
    if (!price || !quantity)
        return std::nullopt;
    try {
        return price->times(*quantity);
    } catch (const std::overflow_error&) {
        return std::nullopt; // beyond any amount: nothing to show yet
    }
}

CatalogueOutcome gate(const Database& database, qint64 goodsKey)
{
    try {
        const QVariant type =
            database.scalar(QStringLiteral("select 商品类型 from 商品库 where ID = ?"),
                            {QVariant::fromValue<qlonglong>(goodsKey)});
        if (!type.isValid())
            return CatalogueOutcome::refused(goodsitems::Gone);
        if (!goodstypes::keepsStock(database, type.toString()).value_or(false))
            return CatalogueOutcome::refused(NoStock);
    } catch (const DatabaseError& error) {
        return CatalogueOutcome::refused(error.text());
    }
    return CatalogueOutcome::ok();
}

CatalogueOutcome record(Database& database, const PurchaseEntry& entry)
{
    const std::optional<qint64> quantity = quantityOf(entry.quantityText);
    if (!quantity)
        return CatalogueOutcome::refused(BadQuantity);
    const std::optional<Money> price = unitPriceOf(entry.unitPriceText);
    if (!price)
        return CatalogueOutcome::refused(BadPrice);
    Money total;
    try {
        total = price->times(*quantity);
    } catch (const std::overflow_error&) {
        return CatalogueOutcome::refused(TotalTooLarge);
    }
    const QVariant key = QVariant::fromValue<qlonglong>(entry.goodsKey);
    try {
        Transaction transaction(database);
        Rows goods = database.query(QStringLiteral("select 商品名, 拼音 from 商品库 where ID = ?") +
                                        database.dialect().forUpdate(),
                                    {key});
        if (!goods.next())
            return CatalogueOutcome::refused(goodsitems::Gone);
        const QString name = goods.text(QStringLiteral("商品名"));
        const QString initials = goods.text(QStringLiteral("拼音"));
        database.exec(
            QStringLiteral("insert into 进货表 (商品名, 拼音, 进货单价, 数量, 总进价, 日期, 备注, "
                           "管理员) values (?, ?, ?, ?, ?, ?, ?, ?)"),
            {name, initials, QVariant::fromValue(*price), double(*quantity),
             QVariant::fromValue(total), QDateTime(entry.date, QTime(0, 0)), entry.remark,
             entry.operatorName});
        // From the stored count: another workstation's sales since the list was
        // read stay counted. An empty count is taken as none.
        if (database.exec(QStringLiteral("update 商品库 set 库存 = coalesce(库存, 0) + ? "
                                         "where ID = ?"),
                          {QVariant::fromValue<qlonglong>(*quantity), key}) == 0)
            return CatalogueOutcome::refused(goodsitems::Gone);
        transaction.commit();
    } catch (const DatabaseError& error) {
        return CatalogueOutcome::refused(error.text());
    }
    return CatalogueOutcome::ok();
}

std::optional<PurchaseQuery> recordsQuery(const Dialect& dialect, const QString& name, bool byDate,
                                          const QDate& from, const QDate& to)
{
    const QString trimmed = name.trimmed();
    if (!byDate && trimmed.isEmpty())
        return std::nullopt;
    PurchaseQuery query;
    QStringList conditions;
    if (byDate) {
        const std::optional<DayPeriod> period = DayPeriod::of(from, to);
        if (!period) {
            query.refusal = DayPeriod::refusal();
            return query;
        }
        conditions << period->condition(dialect.quote(QStringLiteral("日期")));
        query.parameters << period->parameters();
    }
    if (!trimmed.isEmpty()) {
        const TypedSearch found = TypedSearch::build(dialect, QStringLiteral("进货表"),
                                                     QStringLiteral("商品名"), trimmed);
        if (!found.isReady()) {
            query.refusal = found.message;
            return query;
        }
        conditions << found.condition;
        query.parameters << found.parameters;
    }
    query.sql = QStringLiteral("select * from 进货表 where ") +
                conditions.join(QStringLiteral(" and ")) + QStringLiteral(" order by 日期, id");
    return query;
}

} // namespace shoupai::purchases
