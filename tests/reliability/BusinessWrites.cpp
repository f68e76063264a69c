#include "BusinessWrites.h"

#include "admin/DataClearing.h"
#include "billing/BillOpening.h"
#include "billing/BillReversal.h"
#include "billing/CheckoutGroup.h"
#include "billing/CheckoutPosting.h"
#include "billing/ConsumptionLine.h"
#include "catalogue/GoodsImport.h"
#include "catalogue/GoodsItems.h"
#include "catalogue/Purchases.h"
#include "catalogue/TagBatch.h"
#include "common/CsvReader.h"
#include "floor/BillCancellation.h"
#include "members/MemberPasswordChange.h"
#include "members/MemberRecharge.h"
#include "members/MemberRegister.h"
#include "staff/WagePayment.h"

#include <stdexcept>

namespace shoupai::test {

namespace {

const QString Cashier = QStringLiteral("收银员甲");
const QDateTime Morning(QDate(2026, 12, 1), QTime(10, 0, 0));
const QDateTime Noon(QDate(2026, 12, 1), QTime(12, 0, 0));

// The venue's parts, one per write.
const QString CardMember = QStringLiteral("C001");
const QString CashMember = QStringLiteral("C002");
const QString CardGroup = QStringLiteral("A01");
const QString CashGroup = QStringLiteral("A02");
const QString CancelGroup = QStringLiteral("A03");
const QString CancelSecond = QStringLiteral("A04");
const QString LineGroup = QStringLiteral("A05");
const QString JoinGroup = QStringLiteral("A06");
const QString JoinTag = QStringLiteral("A07");
const QString DetachGroup = QStringLiteral("A08");
const QString DetachTag = QStringLiteral("A09");
const QString ReversalTag = QStringLiteral("A10");
const QString WageTag = QStringLiteral("A11");
const QString OpenMain = QStringLiteral("V01");
const QString OpenSecond = QStringLiteral("V02");
const QString Masseur = QStringLiteral("002");

void require(bool condition, const char* what)
{
    if (!condition)
        throw std::runtime_error(std::string("preparing the venue: ") + what);
}

GoodsItem goodsNamed(const Database& db, const QString& name)
{
    const QVariant id = db.scalar(QStringLiteral("select ID from 商品库 where 商品名 = ?"), {name});
    const std::optional<GoodsItem> goods = goodsById(db, id.toLongLong());
    require(goods.has_value(), "goods missing");
    return *goods;
}

void openGroup(Database& db, const QString& main, const QStringList& tags, const QString& room,
               Money ticket)
{
    BillOpening opening;
    opening.mainTag = main;
    opening.tags = tags;
    opening.roomType = room;
    opening.ticketPrice = ticket;
    opening.guestName = QStringLiteral("散客");
    opening.operatorName = Cashier;
    opening.openedAt = Morning;
    require(openBill(db, opening).isEmpty(), "tag taken");
}

void addLine(Database& db, const QString& tag, const QString& goods, qint64 quantity,
             const QString& employee = QStringLiteral("n"))
{
    ConsumptionLine line;
    line.tag = tag;
    line.goods = goodsNamed(db, goods);
    line.quantity = quantity;
    line.employeeNumber = employee;
    line.employeeName = employee == u"n" ? QStringLiteral("n") : QStringLiteral("技师") + employee;
    line.operatorName = Cashier;
    line.addedAt = Morning.addSecs(600);
    require(addConsumptionLine(db, line).stored, "line not stored");
}

void hallGroup(Database& db, const QString& main, const QStringList& tags = {})
{
    openGroup(db, main, QStringList{main} + tags, QStringLiteral("大厅"), Money::fromUnits(20));
}

Money balanceOf(const Database& db, const QString& card)
{
    return stored::toMoney(
        db.scalar(QStringLiteral("select 卡内金额 from 会员管理 where 会员卡号 = ?"), {card}));
}

// The checkout screen's figures for a group, paid by card or in cash.
CheckoutPost checkout(const Database& db, const QString& main, const QString& card)
{
    const checkoutgroup::GroupTotals totals = checkoutgroup::totals(db, main);
    CheckoutPost post;
    post.tag = main;
    post.mainTag = main;
    post.groupTags = checkoutgroup::tags(db, main);
    post.lineCount = totals.lines;
    post.linesTotal = totals.linesTotal;
    post.receivable = totals.linesTotal;
    post.guestName = QStringLiteral("散客");
    post.entryTime = Morning.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    post.operatorName = Cashier;
    post.postedAt = Noon;
    const bool byCard = !card.isEmpty();
    if (byCard) {
        post.memberCard = card;
        post.paymentMode = CardPayment;
    }
    const PaymentSplit split =
        splitPayment(byCard, byCard ? balanceOf(db, card) : Money(), post.receivable);
    post.cardDeduction = split.cardDeduction;
    post.received = split.received;
    return post;
}

WriteResult posted(const PostingResult& result)
{
    if (result.outcome == PostingResult::Outcome::Posted)
        return {true, {}};
    return {false, QStringLiteral("posting refused (%1)").arg(int(result.outcome))};
}

WriteResult fromOutcome(bool done, const QString& message)
{
    return {done, message};
}

qint64 count(const Database& db, const QString& sql, const QVariantList& values = {})
{
    return db.scalar(sql, values).toLongLong();
}

bool isOpen(const Database& db, const QString& tag, const QString& main)
{
    return count(
               db,
               QStringLiteral("select count(*) from 手牌开单 where 手牌号码 = ? and 主手牌号 = ?"),
               {tag, main}) == 1;
}

bool isFree(const Database& db, const QString& tag)
{
    return count(db, QStringLiteral("select count(*) from 手牌开单 where 手牌号码 = ?"), {tag}) ==
               0 &&
           count(
               db,
               QStringLiteral("select count(*) from 手牌管理 where 手牌号码 = ? and 手牌状态 = ?"),
               {tag, QStringLiteral("可用")}) == 1;
}

qint64 storedBills(const Database& db, const QString& tag)
{
    return count(db, QStringLiteral("select count(*) from 结帐管理 where 手牌号码 = ?"), {tag});
}

QList<BusinessWrite> makeWrites()
{
    QList<BusinessWrite> writes;

    writes.append({QStringLiteral("open-group"),
                   [](Database& db) {
                       return [&db] {
                           BillOpening opening;
                           opening.mainTag = OpenMain;
                           opening.tags = {OpenMain, OpenSecond};
                           opening.roomType = QStringLiteral("贵宾房");
                           opening.ticketPrice = Money::fromUnits(50);
                           opening.deposit = Money::fromUnits(100);
                           opening.guestName = QStringLiteral("王先生");
                           opening.operatorName = Cashier;
                           opening.openedAt = Noon;
                           const QString taken = openBill(db, opening);
                           return fromOutcome(taken.isEmpty(), taken);
                       };
                   },
                   [](const Database& db) {
                       return isOpen(db, OpenMain, OpenMain) && isOpen(db, OpenSecond, OpenMain);
                   }});

    writes.append({QStringLiteral("add-line"),
                   [](Database& db) {
                       ConsumptionLine line;
                       line.tag = LineGroup;
                       line.goods = goodsNamed(db, QStringLiteral("啤酒"));
                       line.quantity = 3;
                       line.operatorName = Cashier;
                       line.addedAt = Noon;
                       return [&db, line] {
                           return fromOutcome(addConsumptionLine(db, line).stored,
                                              QStringLiteral("no open bill"));
                       };
                   },
                   [](const Database& db) {
                       return count(
                                  db,
                                  QStringLiteral("select count(*) from 手牌消费 where 主手牌号 = ? "
                                                 "and 商品名 = ?"),
                                  {LineGroup, QStringLiteral("啤酒")}) == 1;
                   }});

    writes.append(
        {QStringLiteral("join-tag"),
         [](Database& db) {
             return [&db] {
                 const auto result = checkoutgroup::join(db, JoinGroup, JoinTag);
                 return fromOutcome(result == checkoutgroup::JoinResult::Joined,
                                    QStringLiteral("join refused (%1)").arg(int(result)));
             };
         },
         [](const Database& db) {
             return isOpen(db, JoinTag, JoinGroup) &&
                    count(db, QStringLiteral("select count(*) from 手牌消费 where 主手牌号 = ?"),
                          {JoinTag}) == 0;
         }});

    writes.append(
        {QStringLiteral("detach-tag"),
         [](Database& db) {
             return [&db] {
                 return fromOutcome(checkoutgroup::detach(db, DetachGroup, DetachTag),
                                    QStringLiteral("detach refused"));
             };
         },
         [](const Database& db) {
             return isOpen(db, DetachTag, DetachTag) &&
                    count(db, QStringLiteral("select count(*) from 手牌消费 where 主手牌号 = ?"),
                          {DetachTag}) > 0;
         }});

    writes.append({QStringLiteral("post-card"),
                   [](Database& db) {
                       const CheckoutPost post = checkout(db, CardGroup, CardMember);
                       return [&db, post] { return posted(postCheckout(db, post)); };
                   },
                   [](const Database& db) {
                       return isFree(db, CardGroup) && storedBills(db, CardGroup) == 1;
                   }});

    writes.append({QStringLiteral("post-cash"),
                   [](Database& db) {
                       const CheckoutPost post = checkout(db, CashGroup, {});
                       return [&db, post] { return posted(postCheckout(db, post)); };
                   },
                   [](const Database& db) {
                       return isFree(db, CashGroup) && storedBills(db, CashGroup) == 1;
                   }});

    writes.append(
        {QStringLiteral("cancel-group"),
         [](Database& db) {
             return [&db] {
                 return fromOutcome(cancelOpenBill(db, CancelGroup).size() == 2,
                                    QStringLiteral("not both tags freed"));
             };
         },
         [](const Database& db) {
             return isFree(db, CancelGroup) && isFree(db, CancelSecond) &&
                    count(db, QStringLiteral("select count(*) from 手牌消费 where 主手牌号 = ?"),
                          {CancelGroup}) == 0;
         }});

    writes.append({QStringLiteral("reversal"),
                   [](Database& db) {
                       const qint64 id =
                           count(db, QStringLiteral("select id from 结帐管理 where 手牌号码 = ?"),
                                 {ReversalTag});
                       return [&db, id] {
                           const BillReversal::Outcome outcome = BillReversal(db).reverse(id, Noon);
                           return fromOutcome(outcome.status == BillReversal::Status::Reversed,
                                              outcome.message);
                       };
                   },
                   [](const Database& db) {
                       return storedBills(db, ReversalTag) == 0 &&
                              isOpen(db, ReversalTag, ReversalTag);
                   }});

    writes.append(
        {QStringLiteral("recharge"),
         [](Database& db) {
             return [&db] {
                 RechargeRequest request;
                 request.card = CashMember;
                 request.amountText = QStringLiteral("100");
                 request.remark = QStringLiteral("续费");
                 request.operatorName = Cashier;
                 request.at = Noon;
                 const RechargeOutcome outcome = memberrecharge::recharge(db, request);
                 return fromOutcome(outcome.done, outcome.message);
             };
         },
         [](const Database& db) {
             return count(db, QStringLiteral("select count(*) from 会员充值 where 会员卡号 = ?"),
                          {CashMember}) == 2;
         }});

    writes.append({QStringLiteral("password-reset"),
                   [](Database& db) {
                       return [&db] {
                           const MemberOutcome outcome =
                               memberpasswords::reset(db, CardMember, Cashier);
                           return fromOutcome(outcome.done, outcome.message);
                       };
                   },
                   [](const Database& db) {
                       return count(db, QStringLiteral("select count(*) from 日志 where 事件 = ?"),
                                    {QStringLiteral("重置密码")}) == 1;
                   }});

    writes.append({QStringLiteral("purchase"),
                   [](Database& db) {
                       PurchaseEntry entry;
                       entry.goodsKey = goodsNamed(db, QStringLiteral("瓜子")).id;
                       entry.unitPriceText = QStringLiteral("4");
                       entry.quantityText = QStringLiteral("12");
                       entry.operatorName = Cashier;
                       entry.date = Noon.date();
                       return [&db, entry] {
                           const CatalogueOutcome outcome = purchases::record(db, entry);
                           return fromOutcome(outcome.done, outcome.message);
                       };
                   },
                   [](const Database& db) {
                       return count(db,
                                    QStringLiteral("select count(*) from 进货表 where 商品名 = ?"),
                                    {QStringLiteral("瓜子")}) == 1;
                   }});

    writes.append({QStringLiteral("add-goods"),
                   [](Database& db) {
                       return [&db] {
                           GoodsEntry entry;
                           entry.code = QStringLiteral("105");
                           entry.name = QStringLiteral("乌龙茶");
                           entry.priceText = QStringLiteral("9");
                           entry.commissionText = QStringLiteral("0");
                           entry.type = QStringLiteral("饮料");
                           entry.needsService = QStringLiteral("否");
                           const CatalogueOutcome outcome = goodsitems::addItem(
                               db, entry, OpeningStock{QStringLiteral("10"), QStringLiteral("3")},
                               Cashier, Noon.date());
                           return fromOutcome(outcome.done, outcome.message);
                       };
                   },
                   [](const Database& db) {
                       return count(db,
                                    QStringLiteral("select count(*) from 进货表 where 商品名 = ?"),
                                    {QStringLiteral("乌龙茶")}) == 1 &&
                              count(db, QStringLiteral("select 库存 from 商品库 where 商品名 = ?"),
                                    {QStringLiteral("乌龙茶")}) == 10;
                   }});

    writes.append(
        {QStringLiteral("tag-batch"),
         [](Database& db) {
             return [&db] {
                 TagBatchRequest request;
                 request.marker = QStringLiteral("Z");
                 request.startText = QStringLiteral("1");
                 request.endText = QStringLiteral("3");
                 request.roomType = QStringLiteral("休息厅");
                 const SetupOutcome outcome = tagbatch::addTags(db, request);
                 return fromOutcome(outcome.done, outcome.message);
             };
         },
         [](const Database& db) {
             return count(db, QStringLiteral("select count(*) from 手牌管理 where 所属包厢 = ?"),
                          {QStringLiteral("休息厅")}) == 8;
         }});

    writes.append(
        {QStringLiteral("goods-import"),
         [](Database& db) {
             const QList<SheetRow> rows = goodsimport::dataRows(CsvReader::parse(
                 QStringLiteral("id,编号,商品名,拼音,单价,提成金额,商品类型,库存,是否需要服务\n"
                                "9001,601,椰汁,YZ,7,0,饮料,24,否\n"
                                "9002,602,薯片,SP,6,0,小吃,30,否\n"
                                "9003,603,采耳,CE,60,20,服务类,0,是\n")));
             return [&db, rows] {
                 const goodsimport::Outcome outcome = goodsimport::importRows(db, rows, false);
                 return fromOutcome(!outcome.failed() && outcome.inserted == 3 &&
                                        outcome.refused.isEmpty(),
                                    outcome.failure);
             };
         },
         [](const Database& db) {
             return count(db, QStringLiteral("select count(*) from 商品库 where ID >= ?"),
                          {9001}) == 3;
         }});

    writes.append(
        {QStringLiteral("wage-payment"),
         [](Database& db) {
             const Payee payee{Masseur, QStringLiteral("李娜"), QStringLiteral("初级技师")};
             const PayFigures figures = WagePayment(db, payee).figures();
             return [&db, payee, figures] {
                 PayRequest request;
                 request.wage = figures.wage;
                 request.commission = figures.commission;
                 request.remark = WagePayment::remarkFor(true, true);
                 request.operatorName = Cashier;
                 request.paidAt = Noon;
                 const PayOutcome outcome = WagePayment(db, payee).pay(request);
                 return fromOutcome(outcome.status == PayOutcome::Status::Paid, outcome.message);
             };
         },
         [](const Database& db) {
             return count(db, QStringLiteral("select count(*) from 员工工资表 where 员工编号 = ?"),
                          {Masseur}) == 1;
         }});

    writes.append(
        {QStringLiteral("data-clearing"),
         [](Database& db) {
             return [&db] {
                 dataclearing::clear(db, {true, true, true, true, true}, Cashier);
                 return WriteResult{true, {}};
             };
         },
         [](const Database& db) {
             qint64 rows = 0;
             for (const QString& table : dataclearing::tablesOf({true, true, true, true, true}))
                 rows +=
                     count(db, QStringLiteral("select count(*) from ") + db.dialect().quote(table));
             return rows == 0;
         }});
    return writes;
}

} // namespace

void prepareVenue(Database& db)
{
    for (const QString& card : {CardMember, CashMember}) {
        MemberRecord member;
        member.card = card;
        member.name = QStringLiteral("会员") + card;
        member.type = QStringLiteral("金卡");
        require(memberregister::addMember(db, member).done, "member not added");
        RechargeRequest recharge;
        recharge.card = card;
        recharge.amountText = card == CardMember ? QStringLiteral("500") : QStringLiteral("300");
        recharge.operatorName = Cashier;
        recharge.at = Morning;
        require(memberrecharge::recharge(db, recharge).done, "recharge refused");
    }

    hallGroup(db, CardGroup);
    addLine(db, CardGroup, QStringLiteral("可乐"), 2);
    addLine(db, CardGroup, QStringLiteral("足底按摩"), 1, QStringLiteral("001"));
    hallGroup(db, CashGroup);
    addLine(db, CashGroup, QStringLiteral("啤酒"), 1);
    // Cancelling drops the lines without giving stock back, so this group has none of it.
    hallGroup(db, CancelGroup, {CancelSecond});
    addLine(db, CancelSecond, QStringLiteral("洗浴"), 1, QStringLiteral("003"));
    hallGroup(db, LineGroup);
    hallGroup(db, JoinGroup);
    hallGroup(db, JoinTag);
    addLine(db, JoinTag, QStringLiteral("绿茶"), 2);
    hallGroup(db, DetachGroup, {DetachTag});
    addLine(db, DetachTag, QStringLiteral("中华香烟"), 1);

    // A card bill to reverse and a cash bill whose commission is still unpaid.
    hallGroup(db, ReversalTag);
    addLine(db, ReversalTag, QStringLiteral("绿茶"), 1);
    addLine(db, ReversalTag, QStringLiteral("搓背"), 1, QStringLiteral("003"));
    require(posted(postCheckout(db, checkout(db, ReversalTag, CashMember))).done, "not posted");
    hallGroup(db, WageTag);
    addLine(db, WageTag, QStringLiteral("全身按摩"), 1, Masseur);
    require(posted(postCheckout(db, checkout(db, WageTag, {}))).done, "not posted");
}

const QList<BusinessWrite>& businessWrites()
{
    static const QList<BusinessWrite> writes = makeWrites();
    return writes;
}

const BusinessWrite* findWrite(const QString& name)
{
    for (const BusinessWrite& write : businessWrites()) {
        if (write.name == name)
            return &write;
    }
    return nullptr;
}

} // namespace shoupai::test
