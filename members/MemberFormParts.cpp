#include "members/MemberFormParts.h"

#include "common/Prompter.h"
#include "members/IcCard.h"
#include "members/MemberRegister.h"
#include "platform/Database.h"

namespace shoupai::memberparts {

QStringList typeNames(Database& database)
{
    QStringList names;
    try {
        Rows rows = database.query(QStringLiteral("select 类型名称 from 会员类型 order by id"));
        while (rows.next())
            names << rows.text(QStringLiteral("类型名称"));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
    return names;
}

void writeCard(Database& database, const QString& card, const QString& owner)
{
    const QString number = card.trimmed();
    try {
        // A card carrying another member's number would pay from that member's balance.
        if (!number.isEmpty() && memberregister::cardTaken(database, number, owner)) {
            Prompter::current().warn(memberregister::DuplicateCard);
            return;
        }
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return;
    }
    IcWrite(number);
}

} // namespace shoupai::memberparts
