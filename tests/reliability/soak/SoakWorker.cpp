#include "SoakWorker.h"

#include "billing/BillOpening.h"
#include "billing/BillReversal.h"
#include "billing/CheckoutGroup.h"
#include "billing/CheckoutPosting.h"
#include "billing/ConsumptionLine.h"
#include "catalogue/GoodsItems.h"
#include "catalogue/Purchases.h"
#include "members/MemberRecharge.h"
#include "platform/Database.h"
#include "staff/WagePayment.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <stdexcept>

namespace shoupai::test {

namespace {

constexpr int MaxErrorTexts = 20;

QStringList column(const Database& database, const QString& sql, const QString& name)
{
    QStringList values;
    Rows rows = database.query(sql);
    while (rows.next())
        values << rows.text(name);
    return values;
}

QList<qint64> keys(const Database& database, const QString& sql, const QVariantList& values = {})
{
    QList<qint64> found;
    Rows rows = database.query(sql, values);
    while (rows.next())
        found << rows.integer(QStringLiteral("ID"));
    return found;
}

} // namespace

QStringList SoakCounts::toLines() const
{
    QStringList lines{QStringLiteral("WORKER ops %1").arg(ops),
                      QStringLiteral("WORKER refusals %1").arg(refusals),
                      QStringLiteral("WORKER errors %1").arg(errors),
                      QStringLiteral("WORKER postings %1").arg(postings),
                      QStringLiteral("WORKER millis %1").arg(millis)};
    for (auto it = done.cbegin(); it != done.cend(); ++it)
        lines << QStringLiteral("WORKER done.%1 %2").arg(it.key()).arg(it.value());
    for (auto it = refused.cbegin(); it != refused.cend(); ++it)
        lines << QStringLiteral("WORKER refused.%1 %2").arg(it.key()).arg(it.value());
    return lines;
}

void SoakCounts::addLine(const QString& line)
{
    const QStringList parts = line.trimmed().split(u' ', Qt::SkipEmptyParts);
    if (parts.size() != 3 || parts.at(0) != u"WORKER")
        return;
    const QString& name = parts.at(1);
    const qint64 value = parts.at(2).toLongLong();
    if (name == u"ops")
        ops += value;
    else if (name == u"refusals")
        refusals += value;
    else if (name == u"errors")
        errors += value;
    else if (name == u"postings")
        postings += value;
    else if (name == u"millis")
        millis = std::max(millis, value);
    else if (name.startsWith(u"done."))
        done[name.mid(5)] += value;
    else if (name.startsWith(u"refused."))
        refused[name.mid(8)] += value;
}

SoakWorker::SoakWorker(Database& database, const QString& operatorName, quint32 seed)
    : m_database(database), m_operator(operatorName), m_random(seed)
{
    // The tags a cashier may pick: every tag of the rooms that charge per visit,
    // so that workstations often pick the same ones.
    m_tags = column(database,
                    QStringLiteral("select 手牌号码 from 手牌管理 where 所属包厢 in "
                                   "(select 包厢类型 from 包厢类型 where 计费方式 = '按次计费') "
                                   "order by number, 手牌号码"),
                    QStringLiteral("手牌号码"));
    m_members = column(database, QStringLiteral("select 会员卡号 from 会员管理 order by 会员卡号"),
                       QStringLiteral("会员卡号"));
    m_goods = keys(database, QStringLiteral("select ID from 商品库 order by ID"));
    m_stockGoods = keys(database,
                        QStringLiteral("select ID from 商品库 where 商品类型 in "
                                       "(select 名称 from 商品类型 where 库存 = ?) "
                                       "order by ID"),
                        {true});
    m_staff = column(database, QStringLiteral("select 员工编号 from 员工管理 order by 员工编号"),
                     QStringLiteral("员工编号"));
    if (m_tags.isEmpty() || m_members.isEmpty() || m_goods.isEmpty() || m_stockGoods.isEmpty() ||
        m_staff.isEmpty())
        throw std::runtime_error("the soak venue lacks tags, members, goods or staff");
}

SoakCounts SoakWorker::run(int seconds, qint64 maxOps, int thinkMs)
{
    struct Command
    {
        const char* name;
        int weight;
        Answer (SoakWorker::*step)();
    };
    // Roughly a busy evening: many openings, lines and checkouts, the rest now and then.
    static const Command commands[] = {
        {"open", 20, &SoakWorker::openGroup},
        {"line", 26, &SoakWorker::addLine},
        {"join", 5, &SoakWorker::joinGroups},
        {"leave", 4, &SoakWorker::leaveGroup},
        {"cash", 12, nullptr},
        {"card", 12, nullptr},
        {"reverse", 4, &SoakWorker::reverse},
        {"recharge", 6, &SoakWorker::recharge},
        {"purchase", 6, &SoakWorker::purchase},
        {"commission", 5, &SoakWorker::payCommission},
    };
    int totalWeight = 0;
    for (const Command& command : commands)
        totalWeight += command.weight;

    SoakCounts counts;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < qint64(seconds) * 1000 && counts.ops < maxOps) {
        int pick = below(totalWeight);
        const Command* command = commands;
        while (pick >= command->weight) {
            pick -= command->weight;
            ++command;
        }
        const QString name = QString::fromLatin1(command->name);
        ++counts.ops;
        try {
            Answer answer;
            if (name == u"cash" || name == u"card")
                answer = checkOut(name == u"card");
            else
                answer = (this->*command->step)();
            if (answer == Answer::Refused) {
                ++counts.refusals;
                ++counts.refused[name];
            } else {
                ++counts.done[name];
                if (name == u"cash" || name == u"card")
                    ++counts.postings;
            }
        } catch (const DatabaseError& error) {
            ++counts.errors;
            if (counts.errorTexts.size() < MaxErrorTexts)
                counts.errorTexts << name + QStringLiteral(": ") + error.text();
        } catch (const std::exception& error) {
            ++counts.errors;
            if (counts.errorTexts.size() < MaxErrorTexts)
                counts.errorTexts << name + QStringLiteral(": ") + QString::fromUtf8(error.what());
        }
        if (thinkMs > 0)
            QThread::msleep(ulong(below(2 * thinkMs + 1)));
    }
    counts.millis = clock.elapsed();
    return counts;
}

QList<SoakWorker::OpenTag> SoakWorker::openTags() const
{
    QList<OpenTag> tags;
    Rows rows = m_database.query(
        QStringLiteral("select 手牌号码, 主手牌号 from 手牌开单 order by 手牌号码"));
    while (rows.next())
        tags.append({rows.text(QStringLiteral("手牌号码")), rows.text(QStringLiteral("主手牌号"))});
    return tags;
}

QString SoakWorker::someMember()
{
    // A few regulars come most often, so that checkouts meet on the same cards.
    return chance(70) ? m_members.at(below(std::min<int>(4, m_members.size())))
                      : m_members.at(below(m_members.size()));
}

SoakWorker::Answer SoakWorker::openGroup()
{
    const QString mainTag = m_tags.at(below(m_tags.size()));
    Rows tag = m_database.query(QStringLiteral("select 所属包厢 from 手牌管理 where 手牌号码 = ?"),
                                {mainTag});
    if (!tag.next())
        throw std::runtime_error("a tag of the venue is gone");
    const QString room = tag.text(QStringLiteral("所属包厢"));
    BillOpening opening;
    opening.mainTag = mainTag;
    opening.tags << mainTag;
    // Now and then friends come along on tags of the same room.
    QStringList candidates = candidateTags(m_database, room, mainTag);
    for (int extra = chance(30) ? 1 + below(2) : 0; extra > 0 && !candidates.isEmpty(); --extra)
        opening.tags << candidates.takeAt(below(candidates.size()));
    opening.roomType = room;
    opening.ticketPrice = stored::toMoney(m_database.scalar(
        QStringLiteral("select 门票价格 from 包厢类型 where 包厢类型 = ?"), {room}));
    opening.deposit = Money::fromUnits(below(3) * 50);
    opening.guestName = QStringLiteral("散客");
    opening.remark = QStringLiteral("无");
    opening.operatorName = m_operator;
    opening.openedAt = QDateTime::currentDateTime();
    return openBill(m_database, opening).isEmpty() ? Answer::Done : Answer::Refused;
}

SoakWorker::Answer SoakWorker::addLine()
{
    const QList<OpenTag> tags = openTags();
    if (tags.isEmpty())
        return Answer::Refused;
    const std::optional<GoodsItem> goods = goodsById(m_database, m_goods.at(below(m_goods.size())));
    if (!goods)
        throw std::runtime_error("a goods row of the venue is gone");
    ConsumptionLine line;
    line.tag = tags.at(below(tags.size())).tag;
    line.goods = *goods;
    line.quantity = 1 + below(3);
    if (goods->needsService) {
        const QString code = m_staff.at(below(m_staff.size()));
        line.employeeNumber = code;
        line.employeeName = m_database
                                .scalar(QStringLiteral("select 员工姓名 from 员工管理 where "
                                                       "员工编号 = ?"),
                                        {code})
                                .toString();
    }
    line.operatorName = m_operator;
    line.addedAt = QDateTime::currentDateTime();
    return addConsumptionLine(m_database, line).stored ? Answer::Done : Answer::Refused;
}

SoakWorker::Answer SoakWorker::joinGroups()
{
    const QList<OpenTag> tags = openTags();
    if (tags.size() < 2)
        return Answer::Refused;
    const OpenTag& into = tags.at(below(tags.size()));
    const OpenTag& other = tags.at(below(tags.size()));
    // "添加" on the checkout screen of `into`'s group.
    return checkoutgroup::join(m_database, into.mainTag, other.tag) ==
                   checkoutgroup::JoinResult::Joined
               ? Answer::Done
               : Answer::Refused;
}

SoakWorker::Answer SoakWorker::leaveGroup()
{
    QList<OpenTag> members;
    for (const OpenTag& tag : openTags()) {
        if (tag.tag != tag.mainTag)
            members << tag;
    }
    if (members.isEmpty())
        return Answer::Refused;
    const OpenTag& leaving = members.at(below(members.size()));
    return checkoutgroup::detach(m_database, leaving.mainTag, leaving.tag) ? Answer::Done
                                                                           : Answer::Refused;
}

SoakWorker::Answer SoakWorker::checkOut(bool byCard)
{
    const QList<OpenTag> tags = openTags();
    if (tags.isEmpty())
        return Answer::Refused;
    const QString tag = tags.at(below(tags.size())).tag;
    // What the checkout screen reads when it opens, then posts.
    const std::optional<OpenBillRow> bill = checkoutgroup::openBillOf(m_database, tag);
    if (!bill)
        return Answer::Refused;
    CheckoutPost post;
    post.tag = tag;
    post.mainTag = bill->mainTag;
    post.groupTags = checkoutgroup::tags(m_database, bill->mainTag);
    checkoutgroup::resetLineTotals(m_database, bill->mainTag);
    const checkoutgroup::GroupTotals totals = checkoutgroup::totals(m_database, bill->mainTag);
    post.lineCount = totals.lines;
    post.linesTotal = totals.linesTotal;
    post.receivable = totals.linesTotal;
    post.guestName = bill->guestName;
    post.entryTime = bill->entryTime;
    Money balance;
    if (byCard || chance(30)) {
        post.memberCard = someMember();
        balance = stored::toMoney(m_database.scalar(
            QStringLiteral("select 卡内金额 from 会员管理 where 会员卡号 = ?"), {post.memberCard}));
    }
    post.paymentMode = byCard ? CardPayment : CashPayment;
    const PaymentSplit split = splitPayment(byCard, balance, post.receivable);
    post.cardDeduction = split.cardDeduction;
    post.received = split.received;
    post.remark = QStringLiteral("无");
    post.operatorName = m_operator;
    post.postedAt = QDateTime::currentDateTime();
    return postCheckout(m_database, post).outcome == PostingResult::Outcome::Posted
               ? Answer::Done
               : Answer::Refused;
}

SoakWorker::Answer SoakWorker::reverse()
{
    QList<qint64> recent;
    {
        Rows rows =
            m_database.query(QStringLiteral("select id from 结帐管理 order by id desc limit 20"));
        while (rows.next())
            recent << rows.integer(QStringLiteral("id"));
    }
    if (recent.isEmpty())
        return Answer::Refused;
    return BillReversal(m_database).reverse(recent.at(below(recent.size()))).status ==
                   BillReversal::Status::Reversed
               ? Answer::Done
               : Answer::Refused;
}

SoakWorker::Answer SoakWorker::recharge()
{
    RechargeRequest request;
    request.card = someMember();
    request.amountText = QString::number(50 * (1 + below(6)));
    request.remark = QStringLiteral("充值");
    request.operatorName = m_operator;
    request.at = QDateTime::currentDateTime();
    const RechargeOutcome outcome = memberrecharge::recharge(m_database, request);
    if (outcome.done)
        return Answer::Done;
    // The unit turns database failures into its message too: only its own
    // refusal counts as one.
    if (outcome.message.startsWith(QStringLiteral("没有找到该会员")))
        return Answer::Refused;
    throw std::runtime_error(("recharge: " + outcome.message).toStdString());
}

SoakWorker::Answer SoakWorker::purchase()
{
    PurchaseEntry entry;
    entry.goodsKey = m_stockGoods.at(below(m_stockGoods.size()));
    entry.unitPriceText = QString::number(2 + below(10));
    entry.quantityText = QString::number(1 + below(24));
    entry.remark = QStringLiteral("补货");
    entry.operatorName = m_operator;
    entry.date = QDate::currentDate();
    CatalogueOutcome outcome = purchases::gate(m_database, entry.goodsKey);
    if (outcome.done)
        outcome = purchases::record(m_database, entry);
    if (outcome.done)
        return Answer::Done;
    if (outcome.message == goodsitems::Gone || outcome.message == purchases::NoStock)
        return Answer::Refused;
    throw std::runtime_error(("purchase: " + outcome.message).toStdString());
}

SoakWorker::Answer SoakWorker::payCommission()
{
    Payee payee;
    {
        Rows row = m_database.query(
            QStringLiteral("select 员工编号, 员工姓名, 员工等级 from 员工管理 where 员工编号 = ?"),
            {m_staff.at(below(m_staff.size()))});
        if (!row.next())
            throw std::runtime_error("an employee of the venue is gone");
        payee = {row.text(QStringLiteral("员工编号")), row.text(QStringLiteral("员工姓名")),
                 row.text(QStringLiteral("员工等级"))};
    }
    WagePayment payment(m_database, payee);
    const PayFigures figures = payment.figures();
    if (figures.status == PayFigures::Status::Failed)
        throw DatabaseError(figures.error);
    if (figures.status != PayFigures::Status::Ready)
        throw std::runtime_error(("pay figures: " + figures.error).toStdString());
    PayRequest request;
    request.payWage = chance(20);
    request.payCommission = true;
    request.wage = figures.wage;
    request.commission = figures.commission;
    request.remark = WagePayment::remarkFor(request.payWage, request.payCommission);
    request.operatorName = m_operator;
    request.paidAt = QDateTime::currentDateTime();
    const PayOutcome outcome = payment.pay(request);
    switch (outcome.status) {
    case PayOutcome::Status::Paid:
        return Answer::Done;
    case PayOutcome::Status::ZeroTotal:
    case PayOutcome::Status::CommissionChanged:
        return Answer::Refused;
    case PayOutcome::Status::NegativeTotal:
    case PayOutcome::Status::Failed:
        break;
    }
    throw std::runtime_error(("pay: " + outcome.message).toStdString());
}

} // namespace shoupai::test
