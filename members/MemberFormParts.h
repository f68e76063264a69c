#pragma once

#include <QComboBox>
#include <QDateEdit>
#include <QPlainTextEdit>
#include <QStringList>

namespace shoupai {

class Database;

// Builders shared by the member add and edit screens.
namespace memberparts {

QComboBox* choice(const QString& objectName, const QString& captionText, QWidget* parent);
QDateEdit* datePicker(const QString& objectName, const QString& captionText, QWidget* parent);
QPlainTextEdit* memo(const QString& objectName, const QString& captionText, QWidget* parent);
// Every 类型名称 of 会员类型, in table order; empty (and said) when it cannot be read.
QStringList typeNames(Database& database);
// Puts the card number on the card unless a member other than `owner` has it.
void writeCard(Database& database, const QString& card, const QString& owner = {});

} // namespace memberparts
} // namespace shoupai
