#include "SoakVenue.h"

#include "admin/Administrators.h"
#include "members/MemberRecharge.h"
#include "members/MemberRegister.h"
#include "platform/Database.h"
#include "platform/Schema.h"

#include <stdexcept>

namespace shoupai::test {

QString soakOperator(int index)
{
    return QStringLiteral("收银员%1").arg(index, 2, 10, QChar(u'0'));
}

SoakVenue prepareSoakVenue(Database& database, int workstations)
{
    Schema::create(database);
    Schema::seed(database);
    SoakVenue venue;
    const QString manager = administrators::SuperAdministrator;
    for (int i = 1; i <= workstations; ++i) {
        administrators::Fields fields;
        fields.name = soakOperator(i);
        for (const QString& column : administrators::shownColumns())
            fields.flags.insert(column, true);
        const administrators::Outcome added = administrators::add(database, fields, manager);
        if (!added.done)
            throw std::runtime_error(("operator refused: " + added.message).toStdString());
        venue.operators << fields.name;
    }
    for (int i = 1; i <= SoakMembers; ++i) {
        MemberRecord member;
        member.card = QStringLiteral("S%1").arg(i, 3, 10, QChar(u'0'));
        member.name = QStringLiteral("会员%1").arg(i);
        member.type = i % 2 ? QStringLiteral("银卡") : QStringLiteral("金卡");
        member.sex = QStringLiteral("女");
        const MemberOutcome registered = memberregister::addMember(database, member);
        if (!registered.done)
            throw std::runtime_error(("member refused: " + registered.message).toStdString());
        RechargeRequest recharge;
        recharge.card = member.card;
        // Some cards run dry during a soak, so that refusals for a low balance happen.
        recharge.amountText = QString::number(i <= 4 ? 150 : 2000);
        recharge.remark = QStringLiteral("开卡");
        recharge.operatorName = manager;
        const RechargeOutcome charged = memberrecharge::recharge(database, recharge);
        if (!charged.done)
            throw std::runtime_error(("recharge refused: " + charged.message).toStdString());
        venue.members << member.card;
    }
    return venue;
}

} // namespace shoupai::test
