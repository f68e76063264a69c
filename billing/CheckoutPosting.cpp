#include "billing/CheckoutPosting.h"

#include "billing/BillNumber.h"
#include "platform/Database.h"

#include <QSet>

namespace shoupai {

namespace {

using Outcome = PostingResult::Outcome;

// The group's tags, with their open-bill rows locked until the end of the
// transaction: lines are only added under the same lock, so none can slip in
// between the check and the deletion. Rows are locked in tag order, as every
// command that locks several of them does, so that two never wait for each other.
QStringList lockGroup(Database& database, const QString& mainTag)
{
    QStringList tags;
    Rows rows = database.query(QStringLiteral("select 手牌号码 from 手牌开单 where 主手牌号 = ? "
                                              "order by 手牌号码") +
                                   database.dialect().forUpdate(),
                               {mainTag});
    while (rows.next())
        tags << rows.text(QStringLiteral("手牌号码"));
    return tags;
}

bool groupUnchanged(Database& database, const CheckoutPost& post, const QStringList& lockedTags)
{
    if (lockedTags.isEmpty())
        return false;
    if (QSet<QString>(lockedTags.begin(), lockedTags.end()) !=
        QSet<QString>(post.groupTags.begin(), post.groupTags.end()))
        return false;
    Rows rows = database.query(QStringLiteral("select count(*) as 行数, sum(合计) as 应收 from "
                                              "手牌消费 where 主手牌号 = ?"),
                               {post.mainTag});
    rows.next();
    return rows.integer(QStringLiteral("行数")) == post.lineCount &&
           rows.money(QStringLiteral("应收")) == post.linesTotal;
}

// Points and card balance; false when the member or the balance is not there.
Outcome chargeMember(Database& database, const CheckoutPost& post)
{
    if (post.memberCard == NonMember || post.state == FreeBillState)
        return Outcome::Posted;
    // Points are a plain number column; they follow the cash part.
    const int found = database.exec(
        QStringLiteral(
            "update 会员管理 set 当前积分 = coalesce(当前积分, 0) + ? where 会员卡号 = ?"),
        {post.received.toDouble(), post.memberCard});
    if (found != 1)
        return Outcome::MemberMissing;
    if (post.paymentMode.trimmed() == CardPayment && post.cardDeduction > Money()) {
        // The balance is tested in the same statement that lowers it.
        const int charged = database.exec(
            QStringLiteral("update 会员管理 set 卡内金额 = 卡内金额 - ? where 会员卡号 = ? and "
                           "卡内金额 >= ?"),
            {QVariant::fromValue(post.cardDeduction), post.memberCard,
             QVariant::fromValue(post.cardDeduction)});
        if (charged != 1)
            return Outcome::BalanceTooLow;
    }
    return Outcome::Posted;
}

void insertHeader(Database& database, const CheckoutPost& post, const QString& billNumber,
                  const QString& now)
{
    // A free bill took no money: what the screen showed as deduction and cash
    // was never collected, and the records' sums a venue cashes up from must
    // not count it. What was consumed stays in 消费金额.
    const bool free = post.state == FreeBillState;
    const Money cardDeduction = free ? Money() : post.cardDeduction;
    const Money received = free ? Money() : post.received;
    database.exec(
        QStringLiteral(
            "insert into 结帐管理 (单据号, 手牌号码, 进店时间, 离店时间, 卡内扣除, 实收金额, "
            "消费金额, 结帐方式, 会员卡号, 状态, 结帐时间, 顾客姓名, 备注, 营业员) "
            "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {billNumber, post.tag, post.entryTime.isEmpty() ? QVariant() : QVariant(post.entryTime),
         now, QVariant::fromValue(cardDeduction), QVariant::fromValue(received),
         QVariant::fromValue(post.receivable), post.paymentMode.trimmed(), post.memberCard,
         post.state, now, post.guestName, post.remark, post.operatorName});
}

int copyLines(Database& database, const CheckoutPost& post, const QString& billNumber)
{
    return database.exec(
        QStringLiteral(
            "insert into 结帐明细 (单据号, 手牌号码, 会员卡号, 顾客姓名, 商品名, 商品类型, "
            "单价, 数量, 合计, 消费时间, 是否计时, 员工编号, 员工姓名, 提成金额, tcyf, "
            "营业员, 状态) "
            "select ?, ?, ?, ?, 商品名, 商品类型, 实际单价, 数量, 合计, 消费时间, "
            "是否计时, 员工编号, 员工姓名, 提成金额, ?, ?, ? "
            "from 手牌消费 where 主手牌号 = ? order by ID"),
        {billNumber, post.tag, post.memberCard, post.guestName, QStringLiteral("0"),
         post.operatorName, post.state, post.mainTag});
}

} // namespace

PostingResult postCheckout(Database& database, const CheckoutPost& post)
{
    PostingResult result;
    const QString now = post.postedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    Transaction transaction(database);

    const QStringList lockedTags = lockGroup(database, post.mainTag);
    if (!groupUnchanged(database, post, lockedTags)) {
        result.outcome = Outcome::GroupChanged;
        return result;
    }
    result.outcome = chargeMember(database, post);
    if (result.outcome != Outcome::Posted)
        return result;

    const QString billNumber = billnumber::allocate(database);
    insertHeader(database, post, billNumber, now);
    const int copied = copyLines(database, post, billNumber);
    const int deleted =
        database.exec(QStringLiteral("delete from 手牌消费 where 主手牌号 = ?"), {post.mainTag});
    if (copied != post.lineCount || deleted != copied) {
        result.outcome = Outcome::GroupChanged;
        return result;
    }
    const int closed =
        database.exec(QStringLiteral("delete from 手牌开单 where 主手牌号 = ?"), {post.mainTag});
    if (closed != lockedTags.size()) {
        result.outcome = Outcome::GroupChanged;
        return result;
    }
    // Exactly the tags whose open rows went are free again.
    for (const QString& tag : lockedTags)
        database.exec(QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ?"),
                      {QStringLiteral("可用"), tag});
    transaction.commit();
    result.billNumber = billNumber;
    return result;
}

} // namespace shoupai
