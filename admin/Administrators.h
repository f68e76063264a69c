#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace shoupai {

class Database;

// The writes behind the administrator screens. Each runs in one transaction,
// refuses what would harm the venue and leaves a row in the event log.
namespace administrators {

inline const QString SuperAdministrator = QStringLiteral("超级管理员");

// What a write refused or reported: the text for the operator, or nothing when done.
struct Outcome
{
    bool done = false;
    QString message;

    static Outcome success() { return {true, {}}; }
    static Outcome refused(const QString& text) { return {false, text}; }
};

// The permission columns the screen shows as boxes, left column then right,
// top to bottom (the hidden 退回库存 and the unused 会员开户/会员充值 are not among them).
const QStringList& shownColumns();
// The screen caption of a shown column (equal to the column but for 管理员设置).
QString captionOf(const QString& column);
// Whether the table has the column; older databases lack 商品管理 and 商品类型.
bool hasColumn(const Database& database, const QString& column);

// One administrator as the screen edits it: the name and the shown boxes.
struct Fields
{
    QString name;
    QHash<QString, bool> flags; // column -> ticked; columns not given count as unticked
};

// A new row with the default password (hashed) and every flag as given,
// 退回库存 false.
Outcome add(Database& database, const Fields& fields, const QString& operatorName);
// Stores the name and shown flags of the row named originalName.
Outcome modify(Database& database, const QString& originalName, const Fields& fields,
               const QString& operatorName);
// The checks that come before the delete question, in their order; nothing when
// deleting may be asked.
std::optional<QString> deleteRefusal(const Database& database, const QString& name);
// The question asked before a delete.
QString deleteQuestion(const QString& name);
Outcome remove(Database& database, const QString& name, const QString& operatorName);

// The logged-in operator changes the own password. operatorName is the name
// as typed at login; the row is found without regard to case.
Outcome changeOwnPassword(Database& database, const QString& operatorName,
                          const QString& oldPassword, const QString& newPassword,
                          const QString& confirmation);

} // namespace administrators

} // namespace shoupai
