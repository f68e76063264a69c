#include "members/MemberRecharge.h"

#include "platform/Database.h"

#include <stdexcept>

namespace shoupai::memberrecharge {

namespace {

RechargeOutcome refused(const QString& why)
{
    RechargeOutcome outcome;
    outcome.message = why;
    return outcome;
}

} // namespace

RechargeOutcome recharge(Database& database, const RechargeRequest& request)
{
    if (request.amountText.isEmpty())
        return refused(QStringLiteral("请输入充值数值！"));
    const QString card = request.card.trimmed();
    if (card.isEmpty())
        return refused(QStringLiteral("请先输入会员卡号并按回车键！"));
    const QString notANumber =
        QStringLiteral("充值金额 \"%1\" 不是有效的数值!").arg(request.amountText);
    const std::optional<Money> parsed =
        Money::parse(request.negative ? u'-' + request.amountText : request.amountText);
    if (!parsed)
        return refused(notANumber);
    const Money amount = *parsed;

    RechargeOutcome outcome;
    try {
        Transaction transaction(database);
        Rows member = database.query(
            QStringLiteral("select 卡内金额, 会员姓名, 会员类型 from 会员管理 where 会员卡号 = ?") +
                database.dialect().forUpdate(),
            {card});
        if (!member.next())
            return refused(QStringLiteral("没有找到该会员,可能已被删除或改号,充值未完成!"));
        try {
            // A balance the money type cannot hold is refused like a bad amount.
            (void)(member.money(QStringLiteral("卡内金额")) + amount);
        } catch (const std::overflow_error&) {
            return refused(notANumber);
        }
        const QString name = member.text(QStringLiteral("会员姓名"));
        const QString type = member.text(QStringLiteral("会员类型"));
        const int changed =
            database.exec(QStringLiteral("update 会员管理 set 卡内金额 = coalesce(卡内金额, 0) + ? "
                                         "where 会员卡号 = ?"),
                          {QVariant::fromValue(amount), card});
        if (changed == 0)
            return refused(QStringLiteral("没有找到该会员,可能已被删除或改号,充值未完成!"));
        outcome.balance = stored::toMoney(database.scalar(
            QStringLiteral("select 卡内金额 from 会员管理 where 会员卡号 = ?"), {card}));
        database.exec(
            QStringLiteral("insert into 会员充值 (会员卡号, 会员姓名, 会员类型, 充值金额, "
                           "充值日期, 备注, 营业员) values (?, ?, ?, ?, ?, ?, ?)"),
            {card, name, type, QVariant::fromValue(amount),
             request.at.isValid() ? request.at : QDateTime::currentDateTime(), request.remark,
             request.operatorName});
        transaction.commit();
    } catch (const DatabaseError& error) {
        return refused(error.text());
    }
    outcome.done = true;
    return outcome;
}

} // namespace shoupai::memberrecharge
