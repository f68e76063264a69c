#pragma once

#include "catalogue/CatalogueOutcome.h"

#include <QString>

#include <optional>

namespace shoupai {

class Database;

// One goods type as the types screen edits it.
struct GoodsType
{
    QString name;
    bool keepsStock = false;
    bool needsService = false;
    QString discount = QStringLiteral("y"); // 参与打折: "y" or "n"
};

// Goods types, kept consistent with the items that name them. Each change is
// one transaction.
namespace goodstypes {

inline const QString Duplicate = QStringLiteral("错误:请检查是否有重名记录!");
inline const QString InUse = QStringLiteral("该类型下还有商品,不能删除!");

// Whether the type keeps stock; nothing when there is no such type.
std::optional<bool> keepsStock(const Database& database, const QString& name);

// Adds the type when originalName is empty, else changes that one. A rename
// follows to the items; switching stock on gives items without a count 0.
// Open lines keep the discount flag they were added with.
CatalogueOutcome saveType(Database& database, const GoodsType& type,
                          const QString& originalName = {});
// Refused while items still name the type.
CatalogueOutcome deleteType(Database& database, const QString& name);

} // namespace goodstypes
} // namespace shoupai
