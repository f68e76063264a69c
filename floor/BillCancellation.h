#pragma once

#include <QString>
#include <QStringList>

namespace shoupai {

class Database;

// "撤单": drops the open bill of a tag without writing any bill record.
// For the main tag of a group the whole group goes: every tag merged under it
// is freed and every open row of the group deleted, so no tag is left
// occupied with rows that point at a bill that no longer exists. For a tag
// merged under another main tag only that tag's own rows go. One
// transaction; returns the tags set back to "可用". Throws DatabaseError.
QStringList cancelOpenBill(Database& database, const QString& tag);

} // namespace shoupai
