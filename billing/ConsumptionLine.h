#pragma once

#include "platform/Money.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace shoupai {

class Database;

// A goods row as the add-consumption screen picks it.
struct GoodsItem
{
    qint64 id = 0;
    QString code;
    QString name;
    QString type;
    Money price;
    Money commission;
    bool needsService = false; // 是否需要服务 "是"
};

// One consumption line about to be stored.
struct ConsumptionLine
{
    QString tag;
    GoodsItem goods;
    qint64 quantity = 1; // negative for a return
    QString employeeNumber = QStringLiteral("n");
    QString employeeName = QStringLiteral("n");
    QString operatorName;
    QDateTime addedAt;
};

// Reads a goods row by its key; nothing when it is gone.
std::optional<GoodsItem> goodsById(const Database& database, qint64 id);

// Largest quantity one line may carry.
constexpr qint64 MaxLineQuantity = 9999;
// The typed quantity as a whole number from 1 to MaxLineQuantity, or nothing.
std::optional<qint64> parseQuantity(const QString& text);

// What storing a line did.
struct AddedLine
{
    bool stored = false;  // false: the tag has no open bill (any more)
    QString mainTag;      // the group the line joined
    QString discountFlag; // 参与打折 as stored
};

// Stores the line and lowers the goods' stock (for a stock-keeping type) in one
// transaction. The line joins the group the tag belongs to at that moment; the
// tag's open-bill row is locked so that a posting of the group cannot run
// between the test and the insert.
AddedLine addConsumptionLine(Database& database, const ConsumptionLine& line);

} // namespace shoupai
