#pragma once

#include "platform/Money.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace shoupai {

class Database;

// What the open-bill screen writes for a group of tags.
struct BillOpening
{
    QString mainTag;
    QStringList tags; // main tag first
    QString roomType;
    Money ticketPrice;
    Money deposit;
    QString guestName;
    QString remark;
    QString operatorName;
    QDateTime openedAt;
};

// Opens the bill in one transaction. Every tag must still be free ("可用", the
// main tag also "预定") and without an open-bill row, checked in the same
// statement that occupies it; otherwise nothing is written and the tag that
// was taken meanwhile is returned. An empty result means the bill is open.
// Database failures throw DatabaseError with nothing written.
QString openBill(Database& database, const BillOpening& opening);

// Tags of a room type that can join a group: free, not the main tag.
QStringList candidateTags(const Database& database, const QString& roomType,
                          const QString& mainTag);

} // namespace shoupai
