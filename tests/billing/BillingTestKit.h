#pragma once

// Shared by the billing tests: a scripted board, a session on the test
// database, and short ways to set up open bills, lines and members.

#include "TestDatabase.h"
#include "TestHome.h"
#include "app/Session.h"
#include "billing/BillOpening.h"
#include "billing/CheckoutGroup.h"
#include "billing/CheckoutPosting.h"
#include "billing/ConsumptionLine.h"
#include "common/Prompter.h"
#include "common/TagBoard.h"

#include <QDateTime>
#include <QTest>

#include <memory>

namespace shoupai::test {

class FakeBoard final : public TagBoard
{
public:
    QString selected, shown, room;
    int reloads = 0;
    int refreshes = 0;

    QString selectedTag() const override { return selected; }
    QString shownTag() const override { return shown; }
    QString activeRoomType() const override { return room; }
    void ReloadTags() override { ++reloads; }
    void RefreshSelection() override { ++refreshes; }
};

// A seeded database with a logged-in operator on its own connection.
struct Venue
{
    ScriptedPrompter prompter;
    SeededDatabase db;
    Session session;
    FakeBoard board;

    explicit Venue(bool mayFreeBill = true)
    {
        session.start(writeSystemIni(db));
        session.operatorName = QStringLiteral("收银员甲");
        session.permissions = Permissions::all();
        session.permissions.set(Permission::FreeBill, mayFreeBill);
    }
    Database& database() { return session.database(); }
};

inline qint64 count(Database& db, const QString& sql, const QVariantList& values = {})
{
    return db.scalar(sql, values).toLongLong();
}

inline QString tagState(Database& db, const QString& tag)
{
    return db.scalar(QStringLiteral("select 手牌状态 from 手牌管理 where 手牌号码 = ?"), {tag})
        .toString();
}

inline qint64 stock(Database& db, const QString& goods)
{
    return db.scalar(QStringLiteral("select 库存 from 商品库 where 商品名 = ?"), {goods})
        .toLongLong();
}

inline QString counter(Database& db)
{
    return db.scalar(QStringLiteral("select 单据号 from 单据号")).toString();
}

inline Money money(Database& db, const QString& sql, const QVariantList& values = {})
{
    return stored::toMoney(db.scalar(sql, values));
}

// Opens a group directly (as the open-bill screen does) in the room type whose
// ticket price is given; returns the tag that was taken, empty when opened.
inline QString openGroup(Database& db, const QStringList& tags, Money ticket,
                         const QString& room = QStringLiteral("大厅"))
{
    BillOpening opening;
    opening.mainTag = tags.first();
    opening.tags = tags;
    opening.roomType = room;
    opening.ticketPrice = ticket;
    opening.guestName = QStringLiteral("散客");
    opening.remark = QStringLiteral("无");
    opening.operatorName = QStringLiteral("收银员甲");
    opening.openedAt = QDateTime::currentDateTime();
    return openBill(db, opening);
}

inline GoodsItem goodsNamed(Database& db, const QString& name)
{
    const qint64 id =
        db.scalar(QStringLiteral("select ID from 商品库 where 商品名 = ?"), {name}).toLongLong();
    return *goodsById(db, id);
}

// A goods row of its own (price in whole units), for exact amounts in tests.
inline GoodsItem addGoods(Database& db, const QString& name, qint64 price, const QString& type,
                          qint64 stockCount = 0, bool service = false)
{
    db.exec(
        QStringLiteral("insert into 商品库 (编号, 商品名, 拼音, 单价, 提成金额, 商品类型, 库存, "
                       "是否需要服务) values (?, ?, ?, ?, ?, ?, ?, ?)"),
        {QStringLiteral("9") + name, name, QStringLiteral("T"),
         QVariant::fromValue(Money::fromUnits(price)), QVariant::fromValue(Money::fromUnits(2)),
         type, QVariant::fromValue<qlonglong>(stockCount),
         service ? QStringLiteral("是") : QStringLiteral("否")});
    return goodsNamed(db, name);
}

inline AddedLine addLine(Database& db, const QString& tag, const GoodsItem& goods,
                         qint64 quantity = 1)
{
    ConsumptionLine line;
    line.tag = tag;
    line.goods = goods;
    line.quantity = quantity;
    line.operatorName = QStringLiteral("收银员甲");
    line.addedAt = QDateTime::currentDateTime();
    return addConsumptionLine(db, line);
}

inline void addMember(Database& db, const QString& card, const QString& name,
                      const QString& password, qint64 balance, double points,
                      const QString& type = QStringLiteral("未设置"))
{
    db.exec(QStringLiteral(
                "insert into 会员管理 (会员卡号, 会员姓名, 密码, 当前状态, 卡内金额, 当前积分, "
                "会员性别, 会员类型) values (?, ?, ?, ?, ?, ?, ?, ?)"),
            {card, name, password, QStringLiteral("可用"),
             QVariant::fromValue(Money::fromUnits(balance)), points, QStringLiteral("男"), type});
}

inline Money memberBalance(Database& db, const QString& card)
{
    return money(db, QStringLiteral("select 卡内金额 from 会员管理 where 会员卡号 = ?"), {card});
}

inline Money memberPoints(Database& db, const QString& card)
{
    return stored::toNumber(
        db.scalar(QStringLiteral("select 当前积分 from 会员管理 where 会员卡号 = ?"), {card}));
}

// Makes the next update of 手牌管理 fail, as a broken statement at the end of a
// posting would.
inline void breakTagUpdates(Database& db)
{
    if (db.backend() == Backend::Sqlite) {
        db.exec(QStringLiteral("create trigger 拒绝 before update on 手牌管理 begin "
                               "select raise(abort, 'tag update refused'); end"));
    } else {
        db.exec(QStringLiteral("create function refuse_tag() returns trigger language plpgsql as "
                               "$$ begin raise exception 'tag update refused'; end $$"));
        db.exec(QStringLiteral("create trigger refuse_tag before update on 手牌管理 "
                               "for each row execute function refuse_tag()"));
    }
}

// What the checkout screen would post for the group of `tag` as it stands now.
inline CheckoutPost screenPost(Database& db, const QString& tag, bool byCard = false,
                               Money balance = Money(), const QString& card = NonMember)
{
    const OpenBillRow bill = *checkoutgroup::openBillOf(db, tag);
    const checkoutgroup::GroupTotals totals = checkoutgroup::totals(db, bill.mainTag);
    CheckoutPost post;
    post.tag = tag;
    post.mainTag = bill.mainTag;
    post.groupTags = checkoutgroup::tags(db, bill.mainTag);
    post.lineCount = totals.lines;
    post.linesTotal = totals.linesTotal;
    post.receivable = totals.linesTotal;
    post.guestName = bill.guestName;
    post.entryTime = bill.entryTime;
    post.memberCard = card;
    post.paymentMode = byCard ? CardPayment : CashPayment;
    const PaymentSplit split = splitPayment(byCard, balance, post.receivable);
    post.cardDeduction = split.cardDeduction;
    post.received = split.received;
    post.remark = QStringLiteral("无");
    post.operatorName = QStringLiteral("收银员乙");
    post.postedAt = QDateTime::currentDateTime();
    return post;
}

} // namespace shoupai::test
