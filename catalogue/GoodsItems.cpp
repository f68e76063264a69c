#include "catalogue/GoodsItems.h"

#include "catalogue/GoodsTypes.h"
#include "common/NameField.h"
#include "common/Pinyin.h"
#include "platform/Database.h"
#include "platform/TypedSearch.h"

#include <stdexcept>

namespace shoupai::goodsitems {

namespace {

const QString Table = QStringLiteral("商品库");
constexpr qint64 MaxQuantity = 99999;

// A whole number from 0 to MaxQuantity, digits only.
std::optional<qint64> wholeCount(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 5)
        return std::nullopt;
    for (const QChar c : trimmed)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    return trimmed.toLongLong();
}

struct CheckedEntry
{
    Money price;
    Money commission;
};

std::optional<CheckedEntry> checked(const GoodsEntry& entry, QString* why)
{
    if (entry.type.trimmed().isEmpty() || entry.needsService.trimmed().isEmpty() ||
        entry.name.trimmed().isEmpty() || entry.priceText.trimmed().isEmpty() ||
        entry.commissionText.trimmed().isEmpty()) {
        *why = Incomplete;
        return std::nullopt;
    }
    for (const auto& [caption, text] : {std::pair{QStringLiteral("商品名"), entry.name.trimmed()},
                                        std::pair{QStringLiteral("编号"), entry.code.trimmed()}}) {
        if (const std::optional<QString> refusal = nameFieldRefusal(caption, text)) {
            *why = *refusal;
            return std::nullopt;
        }
    }
    const std::optional<Money> price = Money::parse(entry.priceText);
    if (!price || price->isNegative()) {
        *why = QStringLiteral("售价必须是不小于0的数字!");
        return std::nullopt;
    }
    const std::optional<Money> commission = Money::parse(entry.commissionText);
    if (!commission || commission->isNegative()) {
        *why = QStringLiteral("提成金额必须是不小于0的数字!");
        return std::nullopt;
    }
    return CheckedEntry{*price, *commission};
}

} // namespace

QString cleanInitials(const QString& typed)
{
    QString letters;
    for (const QChar c : typed.trimmed().toUpper())
        if (c >= u'A' && c <= u'Z')
            letters.append(c);
    return letters;
}

QString initialsOf(const QString& name)
{
    return cleanInitials(PinyinInitials(name));
}

GoodsStatement allItems()
{
    return {QStringLiteral("select * from 商品库 order by 商品名, ID"), {}};
}

std::optional<GoodsStatement> search(const Dialect& dialect, const QString& text)
{
    if (text.trimmed().isEmpty())
        return std::nullopt;
    const TypedSearch found =
        TypedSearch::build(dialect, Table, QStringLiteral("商品名"), text.trimmed());
    if (!found.isReady())
        return std::nullopt;
    return GoodsStatement{QStringLiteral("select * from 商品库 where ") + found.condition +
                              QStringLiteral(" order by 商品名, ID"),
                          found.parameters};
}

CatalogueOutcome addItem(Database& database, const GoodsEntry& entry,
                         const std::optional<OpeningStock>& opening, const QString& operatorName,
                         const QDate& today, qint64* newKey)
{
    QString why;
    const std::optional<CheckedEntry> values = checked(entry, &why);
    if (!values)
        return CatalogueOutcome::refused(why);
    std::optional<qint64> quantity;
    Money purchasePrice;
    bool keepsStock = false;
    try {
        keepsStock = goodstypes::keepsStock(database, entry.type).value_or(false);
    } catch (const DatabaseError& error) {
        return CatalogueOutcome::refused(error.text());
    }
    // The type decides, not what the screen happened to show.
    if (keepsStock) {
        if (!opening)
            return CatalogueOutcome::refused(Incomplete);
        if (opening->quantityText.trimmed().isEmpty() ||
            opening->purchasePriceText.trimmed().isEmpty())
            return CatalogueOutcome::refused(Incomplete);
        quantity = wholeCount(opening->quantityText);
        if (!quantity)
            return CatalogueOutcome::refused(QStringLiteral("数量必须是0到99999的整数!"));
        const std::optional<Money> parsed = Money::parse(opening->purchasePriceText);
        if (!parsed || parsed->isNegative())
            return CatalogueOutcome::refused(QStringLiteral("进价必须是不小于0的数字!"));
        purchasePrice = *parsed;
        try {
            (void)purchasePrice.times(*quantity);
        } catch (const std::overflow_error&) {
            return CatalogueOutcome::refused(QStringLiteral("进货总价太大,请检查进价和数量!"));
        }
    }
    // The stored code is made from the name; the box may have been edited, but
    // both rows must agree and hold letters only.
    const QString initials = initialsOf(entry.name.trimmed());
    try {
        Transaction transaction(database);
        const qint64 key = database.insertReturningKey(
            QStringLiteral(
                "insert into 商品库 (编号, 商品名, 拼音, 单价, 提成金额, 商品类型, 库存, "
                "是否需要服务) values (?, ?, ?, ?, ?, ?, ?, ?)"),
            {entry.code.trimmed(), entry.name.trimmed(), initials,
             QVariant::fromValue(values->price), QVariant::fromValue(values->commission),
             entry.type, quantity ? QVariant::fromValue<qlonglong>(*quantity) : QVariant(),
             entry.needsService},
            QStringLiteral("ID"));
        if (quantity) {
            database.exec(
                QStringLiteral("insert into 进货表 (商品名, 拼音, 进货单价, 数量, 总进价, 日期, "
                               "备注, 管理员) values (?, ?, ?, ?, ?, ?, ?, ?)"),
                {entry.name.trimmed(), initials, QVariant::fromValue(purchasePrice),
                 double(*quantity), QVariant::fromValue(purchasePrice.times(*quantity)),
                 QDateTime(today, QTime(0, 0)), QString(), operatorName});
        }
        transaction.commit();
        if (newKey)
            *newKey = key;
    } catch (const DatabaseError& error) {
        return CatalogueOutcome::refused(error.text());
    }
    return CatalogueOutcome::ok();
}

CatalogueOutcome changeItem(Database& database, qint64 key, const GoodsEntry& entry,
                            const std::optional<qint64>& loadedStock, const QString& stockText)
{
    QString why;
    const std::optional<CheckedEntry> values = checked(entry, &why);
    if (!values)
        return CatalogueOutcome::refused(why);
    const QString typedStock = stockText.trimmed();
    const QString loadedText = loadedStock ? QString::number(*loadedStock) : QString();
    const bool stockChanged = typedStock != loadedText;
    std::optional<qint64> newStock;
    if (stockChanged && !typedStock.isEmpty()) {
        bool ok = false;
        const qint64 parsed = typedStock.toLongLong(&ok);
        if (!ok)
            return CatalogueOutcome::refused(QStringLiteral("库存必须是整数!"));
        newStock = parsed;
    }

    QString sql = QStringLiteral("update 商品库 set 编号 = ?, 商品名 = ?, 拼音 = ?, 单价 = ?, "
                                 "提成金额 = ?, 商品类型 = ?, 是否需要服务 = ?");
    QVariantList parameters{entry.code.trimmed(),
                            entry.name.trimmed(),
                            cleanInitials(entry.initials),
                            QVariant::fromValue(values->price),
                            QVariant::fromValue(values->commission),
                            entry.type,
                            entry.needsService};
    if (stockChanged) {
        sql += QStringLiteral(", 库存 = ?");
        parameters << (newStock ? QVariant::fromValue<qlonglong>(*newStock) : QVariant());
    }
    sql += QStringLiteral(" where ID = ?");
    parameters << QVariant::fromValue<qlonglong>(key);
    // Sales lower the stock meanwhile; a value typed over an old reading would
    // undo them.
    if (stockChanged) {
        if (loadedStock) {
            sql += QStringLiteral(" and 库存 = ?");
            parameters << QVariant::fromValue<qlonglong>(*loadedStock);
        } else {
            sql += QStringLiteral(" and 库存 is null");
        }
    }
    try {
        Transaction transaction(database);
        if (database.exec(sql, parameters) == 0) {
            const bool exists = database
                                    .scalar(QStringLiteral("select ID from 商品库 where ID = ?"),
                                            {QVariant::fromValue<qlonglong>(key)})
                                    .isValid();
            return CatalogueOutcome::refused(exists ? StockChanged : Gone);
        }
        transaction.commit();
    } catch (const DatabaseError& error) {
        return CatalogueOutcome::refused(error.text());
    }
    return CatalogueOutcome::ok();
}

CatalogueOutcome deleteItem(Database& database, qint64 key)
{
    try {
        database.exec(QStringLiteral("delete from 商品库 where ID = ?"),
                      {QVariant::fromValue<qlonglong>(key)});
    } catch (const DatabaseError& error) {
        return CatalogueOutcome::refused(error.text());
    }
    return CatalogueOutcome::ok();
}

} // namespace shoupai::goodsitems
