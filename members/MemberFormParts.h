#pragma once

#include <QStringList>

namespace shoupai {

class Database;

// What the member add and edit screens share beyond the general form parts.
namespace memberparts {

// Every 类型名称 of 会员类型, in table order; empty (and said) when it cannot be read.
QStringList typeNames(Database& database);
// Puts the card number on the card unless a member other than `owner` has it.
void writeCard(Database& database, const QString& card, const QString& owner = {});

} // namespace memberparts
} // namespace shoupai
