#include "../billing/BillingTestKit.h"
#include "../staff/StaffTestKit.h"
#include "HostileInput.h"
#include "admin/Administrators.h"
#include "admin/DatabaseSettings.h"
#include "app/IniFile.h"
#include "billing/BillReversal.h"
#include "billing/CheckOutInfoUt.h"
#include "billing/CheckOutUt.h"
#include "billing/OpenDanUt.h"
#include "billing/PosPrtSetUt.h"
#include "billing/Receipt.h"
#include "catalogue/GoodsItems.h"
#include "catalogue/GoodsTypes.h"
#include "catalogue/Purchases.h"
#include "catalogue/RoomTypes.h"
#include "catalogue/TagBatch.h"
#include "catalogue/TagRegister.h"
#include "catalogue/TagStatus.h"
#include "floor/SysInfoUt.h"
#include "members/MemberPassword.h"
#include "members/MemberPasswordChange.h"
#include "members/MemberRecharge.h"
#include "members/MemberRegister.h"
#include "members/MemberSearch.h"
#include "members/MemberTypes.h"
#include "platform/ConnectionDescription.h"
#include "platform/GbkCodec.h"
#include "platform/StoredPassword.h"
#include "platform/TypedSearch.h"
#include "staff/StaffRegister.h"
#include "staff/WagePayment.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <cmath>

using namespace shoupai;
using namespace shoupai::test;

namespace {

QString textAt(const Database& db, const QString& sql, const QVariantList& values)
{
    return db.scalar(sql, values).toString();
}

Money moneyAt(const Database& db, const QString& sql, const QVariantList& values)
{
    return stored::toMoney(db.scalar(sql, values));
}

void addFreeTag(Database& db, const QString& number, qint64 order)
{
    db.exec(QStringLiteral("insert into 手牌管理 (手牌号码, 所属包厢, 手牌状态, number) values "
                           "(?, ?, ?, ?)"),
            {number, QStringLiteral("大厅"), QStringLiteral("可用"),
             QVariant::fromValue<qlonglong>(order)});
}

// A number field's outcome: refused cleanly, or accepted as exactly the amount typed.
void checkAmount(const char* field, const QString& typed, bool done, const QString& message,
                 qint64 rowsBefore, qint64 rowsAfter, const std::function<Money()>& stored,
                 bool mayBeNegative)
{
    const QByteArray input = typed.toUtf8();
    const FieldCheck check{field, input.constData(), done, message, rowsBefore, rowsAfter};
    const std::optional<Money> parsed = Money::parse(typed);
    if (!parsed || isNeverANumber(typed) || (!mayBeNegative && parsed->isNegative())) {
        HOSTILE_REFUSED(check);
        return;
    }
    if (!done) {
        HOSTILE_REFUSED(check);
        return;
    }
    QVERIFY2(stored() == *parsed, describe(field, input.constData(), stored().toString()));
}

} // namespace

class TestHostileInput : public QObject
{
    Q_OBJECT
private slots:
    void memberFieldsKeepOrRefuse();
    void memberAmountsAndRatesRefuseWhatIsNoNumber();
    void catalogueFieldsKeepOrRefuse();
    void catalogueAmountsRefuseWhatIsNoNumber();
    void premisesFieldsKeepOrRefuse();
    void staffFieldsKeepOrRefuse();
    void administratorFieldsKeepOrRefuse();
    void billsKeepWhatWasTypedThroughPostingAndReversal();
    void billingNumbersRefuseWhatIsNoNumber();
    void tillScreensTakeAmountsAsTypedOrRefuse();
    void typedSearchesTakeTextsAsTheyAre();
    void receiptsPrintWhatGbkLacksAsQuestionMarks();
    void connectionFieldsRoundTripOrAreRefused();
    void shopTextsAndPrinterPortKeepOrRefuse();
};

void TestHostileInput::memberFieldsKeepOrRefuse()
{
    SeededDatabase base;
    Database& db = base.database();
    const QString byCard = QStringLiteral("select %1 from 会员管理 where 会员卡号 = ?");
    int n = 0;
    for (const HostileText& h : hostileTexts()) {
        ++n;
        // The card number.
        {
            MemberRecord member;
            member.card = h.text;
            member.name = QStringLiteral("会员");
            const qint64 before = rowsOf(db, QStringLiteral("会员管理"));
            const MemberOutcome outcome = memberregister::addMember(db, member);
            const FieldCheck check{"member card", h.label,
                                   outcome.done,  outcome.message,
                                   before,        rowsOf(db, QStringLiteral("会员管理"))};
            if (h.fitsName)
                HOSTILE_KEPT(check, textAt(db, byCard.arg(QStringLiteral("会员卡号")), {h.text}),
                             h.text);
            else
                HOSTILE_REFUSED(check);
        }
        // Name, phone and remark of a new member, then the name changed.
        const QString card = QStringLiteral("HM%1").arg(n);
        {
            MemberRecord member;
            member.card = card;
            member.name = h.text;
            member.phone = h.text;
            member.remark = h.text;
            const qint64 before = rowsOf(db, QStringLiteral("会员管理"));
            const MemberOutcome outcome = memberregister::addMember(db, member);
            const FieldCheck check{"member name, phone, remark",
                                   h.label,
                                   outcome.done,
                                   outcome.message,
                                   before,
                                   rowsOf(db, QStringLiteral("会员管理"))};
            if (h.fitsName) {
                HOSTILE_KEPT(check, textAt(db, byCard.arg(QStringLiteral("会员姓名")), {card}),
                             h.text);
                QCOMPARE(textAt(db, byCard.arg(QStringLiteral("联系电话")), {card}), h.text);
                QCOMPARE(textAt(db, byCard.arg(QStringLiteral("备注")), {card}), h.text);
            } else {
                HOSTILE_REFUSED(check);
            }
        }
        {
            MemberRecord plain;
            plain.card = QStringLiteral("HE%1").arg(n);
            plain.name = QStringLiteral("原名");
            QVERIFY(memberregister::addMember(db, plain).done);
            MemberRecord changed = plain;
            changed.type = QStringLiteral("银卡");
            changed.name = h.text;
            changed.remark = h.text;
            const MemberOutcome outcome = memberregister::changeMember(db, plain.card, changed);
            const FieldCheck check{"member name changed", h.label, outcome.done,
                                   outcome.message,       0,       0};
            if (h.fitsName) {
                HOSTILE_KEPT(check,
                             textAt(db, byCard.arg(QStringLiteral("会员姓名")), {plain.card}),
                             h.text);
                QCOMPARE(textAt(db, byCard.arg(QStringLiteral("备注")), {plain.card}), h.text);
            } else {
                HOSTILE_REFUSED(check);
                QCOMPARE(textAt(db, byCard.arg(QStringLiteral("会员姓名")), {plain.card}),
                         QStringLiteral("原名"));
            }

            // The recharge remark.
            RechargeRequest request;
            request.card = plain.card;
            request.amountText = QStringLiteral("10");
            request.remark = h.text;
            request.operatorName = QStringLiteral("收银员甲");
            const qint64 before = rowsOf(db, QStringLiteral("会员充值"));
            const RechargeOutcome recharged = memberrecharge::recharge(db, request);
            const FieldCheck remark{
                "recharge remark", h.label, recharged.done,
                recharged.message, before,  rowsOf(db, QStringLiteral("会员充值"))};
            if (h.fitsMemo) {
                HOSTILE_KEPT(remark,
                             textAt(db,
                                    QStringLiteral("select 备注 from 会员充值 where 会员卡号 = ?"),
                                    {plain.card}),
                             h.text);
            } else {
                HOSTILE_REFUSED(remark);
                QCOMPARE(moneyAt(db, byCard.arg(QStringLiteral("卡内金额")), {plain.card}),
                         Money());
            }

            // A new password is any text; the stored hash must confirm exactly it.
            const MemberOutcome changedPassword =
                memberpasswords::change(db, plain.card, DefaultMemberPassword, h.text, h.text);
            QVERIFY2(changedPassword.done || isOwnMessage(changedPassword.message),
                     describe("member password", h.label, changedPassword.message));
            const QString stored = textAt(db, byCard.arg(QStringLiteral("密码")), {plain.card});
            if (changedPassword.done) {
                QVERIFY(confirmMemberPassword(db, plain.card, stored, h.text));
                QVERIFY(!confirmMemberPassword(db, plain.card, stored, DefaultMemberPassword));
            } else {
                QVERIFY(confirmMemberPassword(db, plain.card, stored, DefaultMemberPassword));
            }
        }
        // A member type's name.
        {
            const qint64 before = rowsOf(db, QStringLiteral("会员类型"));
            qint64 id = 0;
            const MemberOutcome outcome = membertypes::saveType(
                db, std::nullopt, h.text, QStringLiteral("0"), QStringLiteral("9"), &id);
            const FieldCheck check{
                "member type name", h.label, outcome.done,
                outcome.message,    before,  rowsOf(db, QStringLiteral("会员类型"))};
            if (h.fitsName)
                HOSTILE_KEPT(check,
                             textAt(db,
                                    QStringLiteral("select 类型名称 from 会员类型 where id = ?"),
                                    {QVariant::fromValue(id)}),
                             h.text);
            else
                HOSTILE_REFUSED(check);
        }
    }
}

void TestHostileInput::memberAmountsAndRatesRefuseWhatIsNoNumber()
{
    SeededDatabase base;
    Database& db = base.database();
    addMember(db, QStringLiteral("M1"), QStringLiteral("王芳"), QStringLiteral("2863"), 0, 0);
    for (const QString& typed : hostileNumbers()) {
        // A recharge adds exactly the typed amount, positive or negative, or nothing.
        const Money balanceBefore = memberBalance(db, QStringLiteral("M1"));
        RechargeRequest request;
        request.card = QStringLiteral("M1");
        request.amountText = typed;
        request.operatorName = QStringLiteral("收银员甲");
        const qint64 before = rowsOf(db, QStringLiteral("会员充值"));
        const RechargeOutcome outcome = memberrecharge::recharge(db, request);
        checkAmount(
            "recharge amount", typed, outcome.done, outcome.message, before,
            rowsOf(db, QStringLiteral("会员充值")),
            [&] { return memberBalance(db, QStringLiteral("M1")) - balanceBefore; }, true);
        if (!outcome.done)
            QCOMPARE(memberBalance(db, QStringLiteral("M1")), balanceBefore);

        // The discount rate and the initial points of a member type.
        for (const bool rateField : {true, false}) {
            const qint64 typesBefore = rowsOf(db, QStringLiteral("会员类型"));
            qint64 id = 0;
            const QString name = QStringLiteral("类型%1%2").arg(typed).arg(rateField);
            const MemberOutcome saved = membertypes::saveType(
                db, std::nullopt, name, rateField ? QStringLiteral("0") : typed,
                rateField ? typed : QStringLiteral("9"), &id);
            const QByteArray input = typed.toUtf8();
            const FieldCheck check{rateField ? "member type rate" : "member type points",
                                   input.constData(),
                                   saved.done,
                                   saved.message,
                                   typesBefore,
                                   rowsOf(db, QStringLiteral("会员类型"))};
            const std::optional<Money> parsed = Money::parse(typed);
            const bool acceptable =
                parsed && !isNeverANumber(typed) &&
                (!rateField || (*parsed >= Money() && *parsed <= Money::fromUnits(10)));
            if (!acceptable) {
                HOSTILE_REFUSED(check);
                continue;
            }
            // An ordinary value must pass; one beyond what the lists can read may be refused.
            if (!saved.done && typed != u"1.5") {
                HOSTILE_REFUSED(check);
                continue;
            }
            QVERIFY2(saved.done, describe(check.field, check.input, saved.message));
            const Money stored = stored::toNumber(db.scalar(
                QStringLiteral("select %1 from 会员类型 where id = ?")
                    .arg(rateField ? QStringLiteral("打折率") : QStringLiteral("初始积分")),
                {QVariant::fromValue(id)}));
            QCOMPARE(stored, *parsed);
        }
    }
}

void TestHostileInput::catalogueFieldsKeepOrRefuse()
{
    SeededDatabase base;
    Database& db = base.database();
    int n = 0;
    for (const HostileText& h : hostileTexts()) {
        ++n;
        // Name and code of a new item of a stock-keeping type, with its opening purchase.
        GoodsEntry entry;
        entry.code = h.text;
        entry.name = h.text;
        entry.priceText = QStringLiteral("12");
        entry.commissionText = QStringLiteral("0");
        entry.type = QStringLiteral("饮料");
        entry.needsService = QStringLiteral("否");
        const qint64 before = rowsOf(db, QStringLiteral("商品库"));
        const qint64 purchasesBefore = rowsOf(db, QStringLiteral("进货表"));
        qint64 key = 0;
        const CatalogueOutcome added =
            goodsitems::addItem(db, entry, OpeningStock{QStringLiteral("5"), QStringLiteral("3")},
                                QStringLiteral("收银员甲"), QDate(2026, 12, 9), &key);
        const FieldCheck check{
            "goods name and code", h.label, added.done,
            added.message,         before,  rowsOf(db, QStringLiteral("商品库"))};
        const QString byKey = QStringLiteral("select %1 from 商品库 where ID = ?");
        if (h.fitsName) {
            HOSTILE_KEPT(check, textAt(db, byKey.arg(QStringLiteral("商品名")), {key}), h.text);
            QCOMPARE(textAt(db, byKey.arg(QStringLiteral("编号")), {key}), h.text);
            QCOMPARE(rowsOf(db, QStringLiteral("进货表")), purchasesBefore + 1);
        } else {
            HOSTILE_REFUSED(check);
            QCOMPARE(rowsOf(db, QStringLiteral("进货表")), purchasesBefore);
        }

        // The name changed on an existing item; then a purchase remark for it.
        entry.code = QStringLiteral("C%1").arg(n);
        entry.name = QStringLiteral("原品%1").arg(n);
        qint64 plain = 0;
        QVERIFY(goodsitems::addItem(db, entry,
                                    OpeningStock{QStringLiteral("5"), QStringLiteral("3")},
                                    QStringLiteral("收银员甲"), QDate(2026, 12, 9), &plain)
                    .done);
        GoodsEntry renamed = entry;
        renamed.name = h.text;
        const CatalogueOutcome changed =
            goodsitems::changeItem(db, plain, renamed, 5, QStringLiteral("5"));
        const FieldCheck change{"goods name changed", h.label, changed.done, changed.message, 0, 0};
        if (h.fitsName) {
            HOSTILE_KEPT(change, textAt(db, byKey.arg(QStringLiteral("商品名")), {plain}), h.text);
        } else {
            HOSTILE_REFUSED(change);
            QCOMPARE(textAt(db, byKey.arg(QStringLiteral("商品名")), {plain}), entry.name);
        }

        PurchaseEntry purchase;
        purchase.goodsKey = plain;
        purchase.unitPriceText = QStringLiteral("2");
        purchase.quantityText = QStringLiteral("3");
        purchase.remark = h.text;
        purchase.operatorName = QStringLiteral("收银员甲");
        purchase.date = QDate(2026, 12, 9);
        const qint64 rowsBefore = rowsOf(db, QStringLiteral("进货表"));
        const CatalogueOutcome bought = purchases::record(db, purchase);
        const FieldCheck remark{"purchase remark", h.label,
                                bought.done,       bought.message,
                                rowsBefore,        rowsOf(db, QStringLiteral("进货表"))};
        if (h.fitsMemo) {
            HOSTILE_KEPT(remark,
                         textAt(db,
                                QStringLiteral("select 备注 from 进货表 where id = (select "
                                               "max(id) from 进货表)"),
                                {}),
                         h.text);
        } else {
            HOSTILE_REFUSED(remark);
            QCOMPARE(db.scalar(byKey.arg(QStringLiteral("库存")), {plain}).toLongLong(), 5);
        }

        // A goods type's name.
        const qint64 typesBefore = rowsOf(db, QStringLiteral("商品类型"));
        GoodsType type;
        type.name = h.text;
        const CatalogueOutcome typed = goodstypes::saveType(db, type);
        const FieldCheck typeCheck{"goods type name", h.label,
                                   typed.done,        typed.message,
                                   typesBefore,       rowsOf(db, QStringLiteral("商品类型"))};
        if (h.fitsName)
            HOSTILE_KEPT(typeCheck, goodstypes::keepsStock(db, h.text).has_value(), true);
        else
            HOSTILE_REFUSED(typeCheck);
    }
}

void TestHostileInput::catalogueAmountsRefuseWhatIsNoNumber()
{
    SeededDatabase base;
    Database& db = base.database();
    GoodsEntry bought{QStringLiteral("P1"), QStringLiteral("进货品"), {},
                      QStringLiteral("5"),  QStringLiteral("0"),      QStringLiteral("饮料"),
                      QStringLiteral("否")};
    qint64 goods = 0;
    QVERIFY(goodsitems::addItem(db, bought, OpeningStock{QStringLiteral("1"), QStringLiteral("1")},
                                QStringLiteral("收银员甲"), QDate(2026, 12, 9), &goods)
                .done);
    int n = 0;
    for (const QString& typed : hostileNumbers()) {
        ++n;
        // Price, commission, opening count and purchase price of a new item; the
        // opening purchase's total must fit as well.
        for (int field = 0; field < 4; ++field) {
            GoodsEntry entry;
            entry.code = QStringLiteral("N%1-%2").arg(n).arg(field);
            entry.name = entry.code;
            entry.priceText = field == 0 ? typed : QStringLiteral("12");
            entry.commissionText = field == 1 ? typed : QStringLiteral("1");
            entry.type = QStringLiteral("饮料");
            entry.needsService = QStringLiteral("否");
            const OpeningStock opening{field == 2 ? typed : QStringLiteral("2"),
                                       field == 3 ? typed : QStringLiteral("3")};
            static const char* const fields[] = {"goods price", "goods commission", "opening count",
                                                 "opening purchase price"};
            const qint64 before = rowsOf(db, QStringLiteral("商品库"));
            const qint64 purchasesBefore = rowsOf(db, QStringLiteral("进货表"));
            qint64 key = 0;
            const CatalogueOutcome added = goodsitems::addItem(
                db, entry, opening, QStringLiteral("收银员甲"), QDate(2026, 12, 9), &key);
            const QByteArray input = typed.toUtf8();
            const FieldCheck check{fields[field], input.constData(),
                                   added.done,    added.message,
                                   before,        rowsOf(db, QStringLiteral("商品库"))};
            if (!added.done) {
                HOSTILE_REFUSED(check);
                QCOMPARE(rowsOf(db, QStringLiteral("进货表")), purchasesBefore);
                continue;
            }
            QVERIFY2(!isNeverANumber(typed), describe(check.field, check.input, "accepted"));
            const std::optional<Money> parsed = Money::parse(typed);
            QVERIFY2(parsed && !parsed->isNegative(),
                     describe(check.field, check.input, "accepted"));
            if (field == 2) {
                QCOMPARE(db.scalar(QStringLiteral("select 库存 from 商品库 where ID = ?"), {key})
                                 .toLongLong() *
                             Money::Scale,
                         parsed->ticks());
            } else {
                const QString sql =
                    field == 3 ? QStringLiteral("select 进货单价 from 进货表 where 商品名 = ?")
                               : QStringLiteral("select %1 from 商品库 where 商品名 = ?")
                                     .arg(field == 0 ? QStringLiteral("单价")
                                                     : QStringLiteral("提成金额"));
                QCOMPARE(moneyAt(db, sql, {entry.name}), *parsed);
            }
        }

        // The total the purchase screen shows as the figures are typed: a number,
        // or nothing while it cannot be worked out.
        const std::optional<Money> bigTotal = purchases::totalOf(typed, QStringLiteral("30000"));
        const std::optional<Money> parsedTyped = Money::parse(typed);
        if (bigTotal)
            QCOMPARE(*bigTotal, parsedTyped->times(30000));
        if (parsedTyped && parsedTyped->ticks() > Money::fromUnits(400000000000).ticks())
            QCOMPARE(bigTotal, std::nullopt);

        // A purchase: unit price and quantity; the total must fit.
        for (const bool priceField : {true, false}) {
            PurchaseEntry purchase;
            purchase.goodsKey = goods;
            purchase.unitPriceText = priceField ? typed : QStringLiteral("2");
            purchase.quantityText = priceField ? QStringLiteral("3") : typed;
            purchase.operatorName = QStringLiteral("收银员甲");
            purchase.date = QDate(2026, 12, 9);
            const qint64 before = rowsOf(db, QStringLiteral("进货表"));
            const CatalogueOutcome bought = purchases::record(db, purchase);
            const QByteArray input = typed.toUtf8();
            const FieldCheck check{priceField ? "purchase price" : "purchase quantity",
                                   input.constData(),
                                   bought.done,
                                   bought.message,
                                   before,
                                   rowsOf(db, QStringLiteral("进货表"))};
            if (!bought.done) {
                HOSTILE_REFUSED(check);
                continue;
            }
            const std::optional<Money> parsed = Money::parse(typed);
            QVERIFY2(parsed && !parsed->isNegative() && !isNeverANumber(typed),
                     describe(check.field, check.input, "accepted"));
            const QString column = priceField ? QStringLiteral("进货单价") : QStringLiteral("数量");
            const Money stored =
                priceField ? moneyAt(db,
                                     QStringLiteral("select %1 from 进货表 where id = (select "
                                                    "max(id) from 进货表)")
                                         .arg(column),
                                     {})
                           : stored::toNumber(db.scalar(
                                 QStringLiteral("select 数量 from 进货表 where id = (select "
                                                "max(id) from 进货表)")));
            QCOMPARE(stored, *parsed);
        }
    }
}

void TestHostileInput::premisesFieldsKeepOrRefuse()
{
    SeededDatabase base;
    Database& db = base.database();
    int n = 0;
    for (const HostileText& h : hostileTexts()) {
        ++n;
        // A room type's name and nature.
        RoomTypeRecord room;
        room.name = h.text;
        room.nature = h.text;
        room.billingMode = QStringLiteral("按次计费");
        room.ticketPrice = QStringLiteral("10");
        room.capacity = QStringLiteral("4");
        const qint64 roomsBefore = rowsOf(db, QStringLiteral("包厢类型"));
        const SetupOutcome saved = roomtypes::saveRoomType(db, QString(), room);
        const FieldCheck roomCheck{"room type name", h.label,
                                   saved.done,       saved.message,
                                   roomsBefore,      rowsOf(db, QStringLiteral("包厢类型"))};
        if (h.fitsName)
            HOSTILE_KEPT(roomCheck, roomtypes::names(db).contains(h.text), true);
        else
            HOSTILE_REFUSED(roomCheck);

        // A batch of tags with the text as its marker, in that room when it was kept.
        TagBatchRequest batch;
        batch.marker = h.text;
        batch.startText = QStringLiteral("1");
        batch.endText = QStringLiteral("2");
        batch.roomType = saved.done ? h.text : QStringLiteral("大厅");
        const qint64 tagsBefore = rowsOf(db, QStringLiteral("手牌管理"));
        const SetupOutcome added = tagbatch::addTags(db, batch);
        const FieldCheck batchCheck{"tag batch marker", h.label,
                                    added.done,         added.message,
                                    tagsBefore,         rowsOf(db, QStringLiteral("手牌管理"))};
        const QString first = h.text + QStringLiteral("1");
        const QString roomOf = QStringLiteral("select 所属包厢 from 手牌管理 where 手牌号码 = ?");
        if (h.fitsName) {
            HOSTILE_KEPT(batchCheck, textAt(db, roomOf, {first}), batch.roomType);
            QCOMPARE(rowsOf(db, QStringLiteral("手牌管理")), tagsBefore + 2);
        } else {
            HOSTILE_REFUSED(batchCheck);
        }

        // A single tag renamed to the text; its state typed as the text.
        const QString plain = QStringLiteral("HT%1").arg(n);
        addFreeTag(db, plain, 800 + n);
        const SetupOutcome renamed =
            tagregister::saveTag(db, plain,
                                 TagRecord{h.text + QStringLiteral("x"), QStringLiteral("大厅"),
                                           QStringLiteral("可用"), QStringLiteral("5")});
        const FieldCheck renameCheck{"tag number", h.label, renamed.done, renamed.message, 0, 0};
        const QString renamedTag = renamed.done ? h.text + QStringLiteral("x") : plain;
        if (h.fitsName) {
            HOSTILE_KEPT(renameCheck, textAt(db, roomOf, {renamedTag}), QStringLiteral("大厅"));
        } else {
            HOSTILE_REFUSED(renameCheck);
            QCOMPARE(textAt(db, roomOf, {plain}), QStringLiteral("大厅"));
        }
        const SetupOutcome state =
            tagstatus::changeState(db, renamedTag, QStringLiteral("可用"), h.text);
        QVERIFY2(!state.done && isOwnMessage(state.message),
                 describe("tag state", h.label, state.message));
        QCOMPARE(*tagstatus::readState(db, renamedTag), QStringLiteral("可用"));
    }

    // Numbers: the batch's range, a tag's order, a room's price and capacity.
    addFreeTag(db, QStringLiteral("HO"), 1);
    for (const QString& typed : hostileNumbers() + QStringList{QStringLiteral("1e308")}) {
        const QByteArray input = typed.toUtf8();
        for (const bool startField : {true, false}) {
            TagBatchRequest batch;
            batch.marker =
                QStringLiteral("Z") + QString::number(qHash(typed)) + (startField ? u's' : u'e');
            batch.startText = startField ? typed : QStringLiteral("1");
            batch.endText = startField ? QStringLiteral("3") : typed;
            batch.roomType = QStringLiteral("大厅");
            const qint64 before = rowsOf(db, QStringLiteral("手牌管理"));
            const SetupOutcome added = tagbatch::addTags(db, batch);
            const FieldCheck check{startField ? "batch start" : "batch end",
                                   input.constData(),
                                   added.done,
                                   added.message,
                                   before,
                                   rowsOf(db, QStringLiteral("手牌管理"))};
            HOSTILE_REFUSED(check); // none of them is a whole number from 1 to 3 ...
        }
        const SetupOutcome ordered = tagregister::saveTag(
            db, QStringLiteral("HO"),
            TagRecord{QStringLiteral("HO"), QStringLiteral("大厅"), QStringLiteral("可用"), typed});
        QVERIFY2(ordered.done == (typed == u"-1") &&
                     (ordered.done || isOwnMessage(ordered.message)),
                 describe("tag order", input.constData(), ordered.message));

        for (const bool priceField : {true, false}) {
            RoomTypeRecord room;
            room.name =
                QStringLiteral("房") + QString::number(qHash(typed)) + (priceField ? u'p' : u'c');
            room.billingMode = QStringLiteral("按次计费");
            room.ticketPrice = priceField ? typed : QStringLiteral("10");
            room.capacity = priceField ? QStringLiteral("4") : typed;
            const qint64 before = rowsOf(db, QStringLiteral("包厢类型"));
            const SetupOutcome saved = roomtypes::saveRoomType(db, QString(), room);
            const FieldCheck check{priceField ? "room ticket price" : "room capacity",
                                   input.constData(),
                                   saved.done,
                                   saved.message,
                                   before,
                                   rowsOf(db, QStringLiteral("包厢类型"))};
            if (priceField) {
                checkAmount(
                    check.field, typed, saved.done, saved.message, before, check.rowsAfter,
                    [&] {
                        return moneyAt(db,
                                       QStringLiteral("select 门票价格 from 包厢类型 "
                                                      "where 包厢类型 = ?"),
                                       {room.name});
                    },
                    false);
                continue;
            }
            bool isNumber = false;
            const double value = typed.toDouble(&isNumber);
            if (!saved.done) {
                HOSTILE_REFUSED(check);
                continue;
            }
            QVERIFY2(isNumber && std::isfinite(value) && value >= 0,
                     describe(check.field, check.input, "accepted"));
            // The room list reads it as a number of four decimals.
            const QVariant stored = db.scalar(
                QStringLiteral("select 容纳人数 from 包厢类型 where 包厢类型 = ?"), {room.name});
            QCOMPARE(stored.toDouble(), value);
            QCOMPARE(stored::toNumber(stored), Money::fromDouble(value));
        }
    }
}

void TestHostileInput::staffFieldsKeepOrRefuse()
{
    SeededDatabase base;
    Database& db = base.database();
    int n = 0;
    for (const HostileText& h : hostileTexts()) {
        ++n;
        // The code of a new employee, then name, phone, id number and remark.
        EmployeeRecord coded{
            h.text, QStringLiteral("员工"), QStringLiteral("男"), QStringLiteral("服务员"), {}, {},
            {}};
        const qint64 before = rowsOf(db, QStringLiteral("员工管理"));
        const RegisterOutcome added = staffregister::saveEmployee(db, coded);
        const FieldCheck codeCheck{"employee code", h.label,
                                   added.done,      added.message,
                                   before,          rowsOf(db, QStringLiteral("员工管理"))};
        const QString byCode = QStringLiteral("select %1 from 员工管理 where 员工编号 = ?");
        if (h.fitsName)
            HOSTILE_KEPT(codeCheck, textAt(db, byCode.arg(QStringLiteral("员工姓名")), {h.text}),
                         QStringLiteral("员工"));
        else
            HOSTILE_REFUSED(codeCheck);

        const QString code = QStringLiteral("HS%1").arg(n);
        EmployeeRecord named{code,   h.text, QStringLiteral("女"), QStringLiteral("服务员"), h.text,
                             h.text, h.text};
        const qint64 namedBefore = rowsOf(db, QStringLiteral("员工管理"));
        const RegisterOutcome saved = staffregister::saveEmployee(db, named);
        const FieldCheck nameCheck{
            "employee name, phone, id, remark",    h.label, saved.done, saved.message, namedBefore,
            rowsOf(db, QStringLiteral("员工管理"))};
        if (h.fitsName) {
            HOSTILE_KEPT(nameCheck, textAt(db, byCode.arg(QStringLiteral("员工姓名")), {code}),
                         h.text);
            for (const char* column : {"联系电话", "证件号码", "备注"})
                QCOMPARE(textAt(db, byCode.arg(QString::fromUtf8(column)), {code}), h.text);
        } else {
            HOSTILE_REFUSED(nameCheck);
        }

        // A grade's name.
        const qint64 gradesBefore = rowsOf(db, QStringLiteral("员工等级"));
        const RegisterOutcome grade =
            staffregister::saveGrade(db, std::nullopt, h.text, QStringLiteral("100"));
        const FieldCheck gradeCheck{"grade name", h.label,
                                    grade.done,   grade.message,
                                    gradesBefore, rowsOf(db, QStringLiteral("员工等级"))};
        if (h.fitsName)
            HOSTILE_KEPT(gradeCheck,
                         moneyAt(db, QStringLiteral("select 工资 from 员工等级 where 等级名称 = ?"),
                                 {h.text}),
                         Money::fromUnits(100));
        else
            HOSTILE_REFUSED(gradeCheck);

        // The remark of a wage payment.
        addEmployee(db, QStringLiteral("W%1").arg(n), QStringLiteral("工"),
                    QStringLiteral("服务员"));
        WagePayment payment(db, Payee{QStringLiteral("W%1").arg(n), QStringLiteral("工"),
                                      QStringLiteral("服务员")});
        const PayFigures figures = payment.figures();
        QCOMPARE(figures.status, PayFigures::Status::Ready);
        PayRequest request;
        request.payCommission = false;
        request.wage = figures.wage;
        request.remark = h.text;
        request.operatorName = QStringLiteral("收银员甲");
        request.paidAt = QDateTime(QDate(2026, 12, 9), QTime(18, 0));
        const qint64 wagesBefore = rowsOf(db, QStringLiteral("员工工资表"));
        const PayOutcome paid = payment.pay(request);
        const FieldCheck wageCheck{
            "wage remark", h.label,     paid.status == PayOutcome::Status::Paid,
            paid.message,  wagesBefore, rowsOf(db, QStringLiteral("员工工资表"))};
        if (h.fitsMemo)
            HOSTILE_KEPT(wageCheck,
                         textAt(db,
                                QStringLiteral("select 备注 from 员工工资表 where 员工编号 = ?"),
                                {QStringLiteral("W%1").arg(n)}),
                         h.text);
        else
            HOSTILE_REFUSED(wageCheck);
    }

    for (const QString& typed : hostileNumbers()) {
        const qint64 before = rowsOf(db, QStringLiteral("员工等级"));
        const QString name = QStringLiteral("级") + QString::number(qHash(typed));
        const RegisterOutcome grade = staffregister::saveGrade(db, std::nullopt, name, typed);
        checkAmount(
            "grade wage", typed, grade.done, grade.message, before,
            rowsOf(db, QStringLiteral("员工等级")),
            [&] {
                return moneyAt(db, QStringLiteral("select 工资 from 员工等级 where 等级名称 = ?"),
                               {name});
            },
            false);
    }
}

void TestHostileInput::administratorFieldsKeepOrRefuse()
{
    SeededDatabase base;
    Database& db = base.database();
    const QString operatorName = QStringLiteral("超级管理员");
    int n = 0;
    for (const HostileText& h : hostileTexts()) {
        ++n;
        administrators::Fields fields;
        fields.name = h.text;
        const qint64 before = rowsOf(db, QStringLiteral("管理员"));
        administrators::Outcome added;
        try {
            added = administrators::add(db, fields, operatorName);
        } catch (const DatabaseError& error) {
            added = administrators::Outcome::refused(QStringLiteral("statement error: ") +
                                                     error.text());
        }
        const FieldCheck check{"administrator name", h.label, added.done,
                               added.message,        before,  rowsOf(db, QStringLiteral("管理员"))};
        const QString byName = QStringLiteral("select count(*) from 管理员 where 用户名 = ?");
        if (h.fitsName)
            HOSTILE_KEPT(check, db.scalar(byName, {h.text}).toLongLong(), 1);
        else
            HOSTILE_REFUSED(check);

        // A renamed administrator, who then sets the text as the own password.
        const QString plain = QStringLiteral("管%1").arg(n);
        fields.name = plain;
        QVERIFY(administrators::add(db, fields, operatorName).done);
        fields.name = h.text + QStringLiteral("r");
        administrators::Outcome renamed;
        try {
            renamed = administrators::modify(db, plain, fields, operatorName);
        } catch (const DatabaseError& error) {
            renamed = administrators::Outcome::refused(QStringLiteral("statement error: ") +
                                                       error.text());
        }
        const FieldCheck rename{"administrator renamed", h.label, renamed.done,
                                renamed.message,         0,       0};
        const QString current = renamed.done ? fields.name : plain;
        if (h.fitsName)
            HOSTILE_KEPT(rename, db.scalar(byName, {current}).toLongLong(), 1);
        else
            HOSTILE_REFUSED(rename);

        administrators::Outcome changed;
        try {
            changed =
                administrators::changeOwnPassword(db, current, DefaultPassword, h.text, h.text);
        } catch (const DatabaseError& error) {
            changed = administrators::Outcome::refused(QStringLiteral("statement error: ") +
                                                       error.text());
        }
        QVERIFY2(changed.done || isOwnMessage(changed.message),
                 describe("administrator password", h.label, changed.message));
        if (changed.done) {
            // Changing it back needs exactly the text as the old password.
            QVERIFY(administrators::changeOwnPassword(db, current, h.text, QStringLiteral("x"),
                                                      QStringLiteral("x"))
                        .done);
        }
    }
}

void TestHostileInput::billsKeepWhatWasTypedThroughPostingAndReversal()
{
    SeededDatabase base;
    Database& db = base.database();
    int n = 0;
    for (const HostileText& h : hostileTexts()) {
        ++n;
        const QString tag = QStringLiteral("HB%1").arg(n);
        addFreeTag(db, tag, 900 + n);
        // Guest name and remark of the bill.
        BillOpening opening;
        opening.mainTag = tag;
        opening.tags = {tag};
        opening.roomType = QStringLiteral("大厅");
        opening.guestName = h.text;
        opening.remark = h.text;
        opening.operatorName = QStringLiteral("收银员甲");
        opening.openedAt = QDateTime::currentDateTime();
        const qint64 before = rowsOf(db, QStringLiteral("手牌开单"));
        QString outcome;
        bool opened = false;
        try {
            outcome = openBill(db, opening);
            opened = outcome.isEmpty();
        } catch (const DatabaseError& error) {
            outcome = error.text();
        }
        const FieldCheck check{"guest name and remark",
                               h.label,
                               opened,
                               outcome,
                               before,
                               rowsOf(db, QStringLiteral("手牌开单"))};
        if (!h.fitsMemo) {
            HOSTILE_REFUSED(check);
            QCOMPARE(tagState(db, tag), QStringLiteral("可用"));
            continue;
        }
        HOSTILE_KEPT(
            check,
            textAt(db, QStringLiteral("select 顾客姓名 from 手牌开单 where 手牌号码 = ?"), {tag}),
            h.text);
        QCOMPARE(textAt(db, QStringLiteral("select 备注 from 手牌开单 where 手牌号码 = ?"), {tag}),
                 h.text);

        // A line of goods whose name is the text, when an item may carry it.
        const QString goodsName = h.fitsName ? h.text : QStringLiteral("长名");
        const GoodsItem goods =
            addGoods(db, goodsName + QString::number(n), 7, QStringLiteral("洗浴"));
        QVERIFY(addLine(db, tag, goods, 2).stored);

        // Posted with the guest name and remark, then reversed.
        CheckoutPost post = screenPost(db, tag);
        post.remark = h.text;
        const PostingResult posted = postCheckout(db, post);
        QCOMPARE(posted.outcome, PostingResult::Outcome::Posted);
        const qint64 id = db.scalar(QStringLiteral("select id from 结帐管理 where 单据号 = ?"),
                                    {posted.billNumber})
                              .toLongLong();
        QCOMPARE(textAt(db, QStringLiteral("select 顾客姓名 from 结帐管理 where id = ?"), {id}),
                 h.text);
        QCOMPARE(textAt(db, QStringLiteral("select 备注 from 结帐管理 where id = ?"), {id}),
                 h.text);
        QCOMPARE(textAt(db, QStringLiteral("select 商品名 from 结帐明细 where 单据号 = ?"),
                        {posted.billNumber}),
                 goods.name);
        QCOMPARE(BillReversal(db).reverse(id).status, BillReversal::Status::Reversed);
        QCOMPARE(
            textAt(db, QStringLiteral("select 商品名 from 手牌消费 where 手牌号码 = ?"), {tag}),
            goods.name);
        QCOMPARE(checkoutgroup::totals(db, tag).linesTotal, Money::fromUnits(14));
    }
}

void TestHostileInput::billingNumbersRefuseWhatIsNoNumber()
{
    for (const QString& typed :
         hostileNumbers() + QStringList{QStringLiteral("0"), QStringLiteral("10000")}) {
        const std::optional<qint64> quantity = parseQuantity(typed);
        QVERIFY2(!quantity || (*quantity >= 1 && *quantity <= MaxLineQuantity &&
                               QString::number(*quantity) == typed.trimmed()),
                 typed.toUtf8());
        const std::optional<Money> rate = checkoutgroup::parseRate(typed);
        QVERIFY2(!rate || (!isNeverANumber(typed) && *rate >= Money() &&
                           *rate <= Money::fromUnits(10) && *rate == *Money::parse(typed)),
                 typed.toUtf8());
    }
    QCOMPARE(parseQuantity(QStringLiteral("1.5")), std::nullopt);
    QCOMPARE(parseQuantity(QStringLiteral("-1")), std::nullopt);
    QCOMPARE(checkoutgroup::parseRate(QStringLiteral("NaN")), std::nullopt);

    // A received amount at the edge of what money holds is posted as typed, or
    // refused without a statement error; points grow by it as a plain number.
    SeededDatabase base;
    Database& db = base.database();
    addFreeTag(db, QStringLiteral("HN1"), 990);
    QVERIFY(openGroup(db, {QStringLiteral("HN1")}, Money()).isEmpty());
    QVERIFY(addLine(db, QStringLiteral("HN1"),
                    addGoods(db, QStringLiteral("测品"), 5, QStringLiteral("洗浴")))
                .stored);
    CheckoutPost post = screenPost(db, QStringLiteral("HN1"));
    post.received = *Money::parse(QStringLiteral("922337203685477"));
    const PostingResult posted = postCheckout(db, post);
    QCOMPARE(posted.outcome, PostingResult::Outcome::Posted);
    QCOMPARE(moneyAt(db, QStringLiteral("select 实收金额 from 结帐管理 where 单据号 = ?"),
                     {posted.billNumber}),
             post.received);
}

void TestHostileInput::tillScreensTakeAmountsAsTypedOrRefuse()
{
    Venue v;
    Database& db = v.database();
    const GoodsItem goods = addGoods(db, QStringLiteral("足浴"), 30, QStringLiteral("洗浴"));
    int n = 0;
    for (const QString& typed : hostileNumbers()) {
        ++n;
        // The deposit typed on the open-bill screen.
        const QString tag = QStringLiteral("HD%1").arg(n);
        addFreeTag(db, tag, 700 + n);
        v.board.selected = tag;
        v.board.room = QStringLiteral("大厅");
        TOpenDanFm opening(v.session, v.board);
        opening.setOpensConsumption(false);
        opening.load();
        opening.depositEdit()->setText(typed);
        v.prompter.clear();
        const qint64 before = rowsOf(db, QStringLiteral("手牌开单"));
        const bool opened = opening.KaiDanHs();
        checkAmount(
            "deposit", typed, opened, v.prompter.lastText(), before,
            rowsOf(db, QStringLiteral("手牌开单")),
            [&] {
                return moneyAt(db,
                               QStringLiteral("select 押金金额 from 手牌开单 where "
                                              "手牌号码 = ?"),
                               {tag});
            },
            false);
        if (!opened)
            QVERIFY(openGroup(db, {tag}, Money()).isEmpty());

        // The received amount typed on the checkout screen.
        QVERIFY(addLine(db, tag, goods).stored);
        TCheckOutFm checkout(v.session, v.board, tag);
        QVERIFY(checkout.load());
        checkout.setConfirmHook([](TCheckOutInfoFm&) { return true; });
        checkout.receivedEdit()->setText(typed);
        v.prompter.clear();
        const qint64 bills = rowsOf(db, QStringLiteral("结帐管理"));
        const bool posted = checkout.JieZhang();
        checkAmount(
            "received", typed, posted, v.prompter.lastText(), bills,
            rowsOf(db, QStringLiteral("结帐管理")),
            [&] {
                return moneyAt(db,
                               QStringLiteral("select 实收金额 from 结帐管理 where "
                                              "手牌号码 = ?"),
                               {tag});
            },
            true);
        QCOMPARE(tagState(db, tag), posted ? QStringLiteral("可用") : QStringLiteral("占用"));
    }
}

void TestHostileInput::typedSearchesTakeTextsAsTheyAre()
{
    SeededDatabase base;
    Database& db = base.database();
    int n = 0;
    for (const HostileText& h : hostileTexts()) {
        if (!h.fitsName)
            continue;
        addMember(db, QStringLiteral("S%1").arg(++n), h.text, QStringLiteral("2863"), 0, 0);
    }
    const auto matches = [&](const QString& condition, const QVariantList& values) {
        return db.scalar(QStringLiteral("select count(*) from 会员管理 where ") + condition, values)
            .toLongLong();
    };
    for (const HostileText& h : hostileTexts()) {
        // Contains-search on a text column: the text is only a text.
        const TypedSearch search = TypedSearch::build(db.dialect(), QStringLiteral("会员管理"),
                                                      QStringLiteral("会员姓名"), h.text);
        if (!search.isReady()) {
            QVERIFY2(isOwnMessage(search.message),
                     describe("typed search", h.label, search.message));
            continue;
        }
        qint64 found = -1;
        try {
            found = matches(search.condition, search.parameters);
        } catch (const DatabaseError& error) {
            QVERIFY2(!h.fitsMemo && isOwnMessage(error.text()),
                     describe("typed search", h.label, error.text()));
            continue;
        }
        qint64 expected = 0;
        for (const HostileText& other : hostileTexts())
            expected += other.fitsName && other.text.contains(h.text, Qt::CaseInsensitive);
        QVERIFY2(found == expected, describe("typed search", h.label, QString::number(found)));

        if (!h.fitsMemo)
            continue;
        // The member list's whole-value search.
        const MemberStatement listed =
            membersearch::members(db.dialect(), QStringLiteral("会员姓名"), h.text);
        QVERIFY2(listed.isReady() || isOwnMessage(listed.refusal),
                 describe("member search", h.label, listed.refusal));
        if (listed.isReady() && h.fitsName) {
            Rows rows = db.query(listed.sql, listed.parameters);
            QVERIFY2(rows.next(), describe("member search", h.label));
        }
        // The goods list's name search.
        const std::optional<GoodsStatement> goods = goodsitems::search(db.dialect(), h.text);
        QVERIFY(goods);
        Rows none = db.query(goods->sql, goods->parameters);
        QVERIFY2(!none.next(), describe("goods search", h.label));
    }

    // Amount, number and date columns take only what their kind can hold.
    const QStringList dates = {QStringLiteral("2024-02-30"), QStringLiteral("2023-02-29"),
                               QStringLiteral("2024-13-01"), QStringLiteral("0000-00-00"),
                               QStringLiteral("99999-01-01")};
    const QList<std::pair<QString, QString>> columns = {
        {QStringLiteral("卡内金额"), QStringLiteral("amount")},
        {QStringLiteral("当前积分"), QStringLiteral("number")},
        {QStringLiteral("出生日期"), QStringLiteral("date")}};
    for (const auto& [column, kind] : columns) {
        for (const QString& typed : hostileNumbers() + dates) {
            const TypedSearch search =
                TypedSearch::build(db.dialect(), QStringLiteral("会员管理"), column, typed);
            const QByteArray input = typed.toUtf8();
            const QByteArray field = ("search " + kind).toUtf8();
            if (!search.isReady()) {
                QVERIFY2(search.outcome == TypedSearch::Outcome::BadValue &&
                             isOwnMessage(search.message),
                         describe(field.constData(), input.constData(), search.message));
                continue;
            }
            QVERIFY2(!isNeverANumber(typed) && !dates.contains(typed),
                     describe(field.constData(), input.constData(), "accepted"));
            matches(search.condition, search.parameters); // runs without a statement error
        }
    }
}

void TestHostileInput::receiptsPrintWhatGbkLacksAsQuestionMarks()
{
    // Names outside GBK print as "?" in the 16-byte field; the line stays 33 bytes wide.
    const QList<std::pair<QString, QByteArray>> names = {
        {QStringLiteral("笑😀"), gbk::encode(QStringLiteral("笑?"))},
        {QStringLiteral("𠀀浴"), gbk::encode(QStringLiteral("?浴"))},
        {QStringLiteral("a") + QChar(char16_t(0x80)) + QStringLiteral("b"), "a?b"},
        {QStringLiteral("鎈"), gbk::encode(QStringLiteral("鎈"))},
        {QStringLiteral("甲\r\n乙"), gbk::encode(QStringLiteral("甲??乙"))},
        {QStringLiteral("\x1b@"), "?@"},
    };
    for (const auto& [name, printed] : names) {
        const QByteArray line = ReceiptItemLine(
            ReceiptItem{name, Money::fromUnits(2), Money::fromUnits(25), Money::fromUnits(50)});
        QVERIFY2(line.startsWith(printed), line.toHex());
        QCOMPARE(line.size(), 16 + 3 + 6 + 7 + 2);
        QCOMPARE(line.mid(16, 3), QByteArray("2  "));
        QVERIFY(line.endsWith("50     \r\n"));
        QCOMPARE(line.count('\n'), 1);
    }
    // Every other printed text likewise, one line per line.
    CheckoutReceipt receipt;
    receipt.shopName = QStringLiteral("店😀");
    receipt.tag = QStringLiteral("𠀀");
    receipt.memberName = QStringLiteral("会员\n名");
    receipt.operatorName = QStringLiteral("员") + QChar(char16_t(0x80));
    receipt.items = {ReceiptItem{QStringLiteral("洗发😀"), Money::fromUnits(1), Money::fromUnits(25),
                                 Money::fromUnits(25)}};
    const QByteArray bytes = CheckoutReceiptBytes(receipt);
    QVERIFY(bytes.contains(gbk::encode(QStringLiteral("[ 店? ]\r\n"))));
    QVERIFY(bytes.contains(gbk::encode(QStringLiteral("牌    号: ? 姓名: 会员?名\r\n"))));
    QVERIFY(bytes.contains(gbk::encode(QStringLiteral("收 银 员: 员? 折扣: \r\n"))));
    QVERIFY(bytes.contains(gbk::encode(QStringLiteral("洗发?") + QString(11, u' ') +
                                       QStringLiteral("1  25    25     \r\n"))));
    QCOMPARE(bytes.count("\r\n"), 21);
    QCOMPARE(bytes.count('\n'), 21);
}

void TestHostileInput::connectionFieldsRoundTripOrAreRefused()
{
    for (const HostileText& h : hostileTexts()) {
        for (int field = 0; field < 4; ++field) {
            databasesettings::ServerFields fields{QStringLiteral("db.example"),
                                                  QStringLiteral("venue"),
                                                  QStringLiteral("cashier"), QStringLiteral("pw")};
            QString* typed[] = {&fields.server, &fields.database, &fields.user, &fields.password};
            *typed[field] = h.text;
            if (!fields.trimmed().isAcceptable()) {
                // ';' would split the description, control characters system.ini's lines.
                bool control = false;
                for (const QChar c : h.text)
                    control = control || c.category() == QChar::Other_Control;
                QVERIFY2(h.text.contains(u';') || control, describe("connection field", h.label));
                continue;
            }
            const ConnectionDescription parsed =
                ConnectionDescription::parse(databasesettings::describe(fields.trimmed()));
            QVERIFY2(parsed.kind == ConnectionDescription::Kind::Postgres,
                     describe("connection field", h.label, parsed.problem));
            const QStringList back = {parsed.host, parsed.database, parsed.user, parsed.password};
            QVERIFY2(back[field] == h.text, describe("connection field", h.label, back[field]));
        }
    }
}

void TestHostileInput::shopTextsAndPrinterPortKeepOrRefuse()
{
    Venue venue;
    Database& db = venue.database();
    for (const HostileText& h : hostileTexts()) {
        // The shop's name, telephone and address, as the boxes hold what was typed.
        TSysInfoFm info(venue.session);
        info.nameBox()->setText(h.text);
        info.telBox()->setText(h.text);
        info.addressBox()->setText(h.text);
        const QString typed = info.nameBox()->text();
        const QString before = db.scalar(QStringLiteral("select name from sysinfo")).toString();
        venue.prompter.clear();
        const bool saved = info.save();
        const QString add = db.dialect().quote(QStringLiteral("add"));
        if (!typed.contains(QChar(u'\0'))) {
            QVERIFY2(saved, describe("shop texts", h.label, venue.prompter.lastText()));
            QCOMPARE(db.scalar(QStringLiteral("select name from sysinfo")).toString(), typed);
            QCOMPARE(db.scalar(QStringLiteral("select tel from sysinfo")).toString(), typed);
            QCOMPARE(db.scalar(QStringLiteral("select %1 from sysinfo").arg(add)).toString(),
                     typed);
        } else {
            QVERIFY2(!saved && isOwnMessage(venue.prompter.lastText()),
                     describe("shop texts", h.label, venue.prompter.lastText()));
            QCOMPARE(db.scalar(QStringLiteral("select name from sysinfo")).toString(), before);
        }

        // The receipt printer's port, kept in system.ini and used at once.
        TPosPrtSetFm form(venue.session);
        form.portField()->setCurrentText(h.text);
        const QString port = form.portField()->currentText().trimmed();
        const QString portBefore = venue.session.port;
        venue.prompter.clear();
        form.Apply();
        const IniFile written(venue.session.config().path());
        bool control = false;
        for (const QChar c : port)
            control = control || c.category() == QChar::Other_Control;
        if (!control) {
            QVERIFY2(form.result() == QDialog::Accepted,
                     describe("printer port", h.label, venue.prompter.lastText()));
            QCOMPARE(written.read(QStringLiteral("PosPrt"), QStringLiteral("port")), port);
            QCOMPARE(venue.session.port, port);
        } else {
            // Refused for what was typed, not blamed on the file.
            QVERIFY2(form.result() != QDialog::Accepted &&
                         isOwnMessage(venue.prompter.lastText()) &&
                         !venue.prompter.lastText().contains(QStringLiteral("可写")),
                     describe("printer port", h.label, venue.prompter.lastText()));
            QCOMPARE(venue.session.port, portBefore);
            QCOMPARE(written.read(QStringLiteral("PosPrt"), QStringLiteral("port")), portBefore);
        }
    }
}

QTEST_MAIN(TestHostileInput)
#include "tst_hostileinput.moc"
