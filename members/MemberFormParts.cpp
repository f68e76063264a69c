#include "members/MemberFormParts.h"

#include "common/Prompter.h"
#include "members/IcCard.h"
#include "members/MemberRegister.h"
#include "platform/Database.h"

namespace shoupai::memberparts {

QComboBox* choice(const QString& objectName, const QString& captionText, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(objectName);
    box->setAccessibleName(captionText);
    return box;
}

QDateEdit* datePicker(const QString& objectName, const QString& captionText, QWidget* parent)
{
    auto* picker = new QDateEdit(parent);
    picker->setObjectName(objectName);
    picker->setAccessibleName(captionText);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return picker;
}

QPlainTextEdit* memo(const QString& objectName, const QString& captionText, QWidget* parent)
{
    auto* text = new QPlainTextEdit(parent);
    text->setObjectName(objectName);
    text->setAccessibleName(captionText);
    text->setTabChangesFocus(true);
    return text;
}

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
