#include "TestDatabase.h"
#include "billing/BillOpening.h"
#include "catalogue/RoomTypes.h"
#include "catalogue/TagBatch.h"
#include "catalogue/TagRegister.h"
#include "catalogue/TagStatus.h"
#include "platform/Database.h"

#include <QSet>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

namespace {

TagBatchRequest batch(const QString& marker, bool before, const QString& start, const QString& end,
                      const QString& room = QStringLiteral("大厅"))
{
    return {marker, before, start, end, room};
}

qint64 countOf(Database& db, const QString& sql, const QVariantList& values = {})
{
    return db.scalar(sql, values).toLongLong();
}

qint64 tagsLike(Database& db, const QString& pattern)
{
    return countOf(db, QStringLiteral("select count(*) from 手牌管理 where 手牌号码 like ?"),
                   {pattern});
}

QString stateOf(Database& db, const QString& tag)
{
    return db.scalar(QStringLiteral("select 手牌状态 from 手牌管理 where 手牌号码 = ?"), {tag})
        .toString();
}

QString roomOf(Database& db, const QString& tag)
{
    return db.scalar(QStringLiteral("select 所属包厢 from 手牌管理 where 手牌号码 = ?"), {tag})
        .toString();
}

// Opens a bill on a free tag as the open-bill screen does.
void openBillOn(Database& db, const QString& tag)
{
    BillOpening opening;
    opening.mainTag = tag;
    opening.tags = {tag};
    opening.roomType = QStringLiteral("大厅");
    opening.guestName = QStringLiteral("散客");
    opening.operatorName = QStringLiteral("测试员");
    opening.openedAt = QDateTime::currentDateTime();
    QCOMPARE(openBill(db, opening), QString());
}

TagRecord tagRecord(const QString& number, const QString& room, const QString& state,
                    const QString& sortKey)
{
    return {number, room, state, sortKey};
}

const QString Occupied = QStringLiteral("该手牌处于占用状态，请先结帐！");

} // namespace

class TestTagSetup : public QObject
{
    Q_OBJECT

private slots:
    void batchesNumberTagsAsAsked()
    {
        SeededDatabase base;
        Database& db = base.database();
        QVERIFY(tagbatch::addTags(db, batch(QStringLiteral("X"), true, QStringLiteral("1"),
                                            QStringLiteral("3"), QStringLiteral("贵宾房")))
                    .done);
        Rows rows = db.query(QStringLiteral("select * from 手牌管理 where 手牌号码 like ? order by "
                                            "number"),
                             {QStringLiteral("X%")});
        QStringList seen;
        while (rows.next())
            seen << QStringLiteral("%1/%2/%3/%4")
                        .arg(rows.text(QStringLiteral("手牌号码")),
                             rows.text(QStringLiteral("所属包厢")),
                             rows.text(QStringLiteral("手牌状态")))
                        .arg(rows.integer(QStringLiteral("number")));
        QCOMPARE(seen, (QStringList{QStringLiteral("X1/贵宾房/可用/1"),
                                    QStringLiteral("X2/贵宾房/可用/2"),
                                    QStringLiteral("X3/贵宾房/可用/3")}));

        // Marker behind, leading zeros dropped, and a single tag without marker.
        QVERIFY(tagbatch::addTags(db, batch(QStringLiteral("F"), false, QStringLiteral("008"),
                                            QStringLiteral("10")))
                    .done);
        QCOMPARE(tagsLike(db, QStringLiteral("%F")), 3);
        QCOMPARE(countOf(db, QStringLiteral("select number from 手牌管理 where 手牌号码 = ?"),
                         {QStringLiteral("10F")}),
                 10);
        QVERIFY(
            tagbatch::addTags(db, batch({}, true, QStringLiteral("5"), QStringLiteral("5"))).done);
        QCOMPARE(stateOf(db, QStringLiteral("5")), QStringLiteral("可用"));
        QCOMPARE(tagsLike(db, QStringLiteral("%8F%")), 1);
    }

    void badBatchesCreateNothing()
    {
        SeededDatabase base;
        Database& db = base.database();
        const qint64 before = countOf(db, QStringLiteral("select count(*) from 手牌管理"));
        const struct
        {
            TagBatchRequest request;
            QString message;
        } cases[] = {
            {batch(QStringLiteral("Z"), true, QStringLiteral("10"), QStringLiteral("1")),
             QStringLiteral("终止数值不能小于起始数值!")},
            {batch(QStringLiteral("Z"), true, QStringLiteral("1"), QStringLiteral("1001")),
             QStringLiteral("一次最多添加1000个手牌!")},
            {batch(QStringLiteral("Z"), true, {}, QStringLiteral("3")),
             QStringLiteral("请输入手牌的起始值和终止值！")},
            {batch(QStringLiteral("Z"), true, QStringLiteral("1"), QStringLiteral("1234567890")),
             QStringLiteral("起始数值和终止数值只能是不超过9位的数字!")},
            {batch(QStringLiteral("Z"), true, QStringLiteral("-2"), QStringLiteral("3")),
             QStringLiteral("起始数值和终止数值只能是不超过9位的数字!")},
            {batch(QStringLiteral("Z"), true, QStringLiteral("1"), QStringLiteral("3"),
                   QStringLiteral("不存在的厅")),
             QStringLiteral("请选择包厢类型!")},
            {batch(QStringLiteral("Z"), true, QStringLiteral("1"), QStringLiteral("3"), {}),
             QStringLiteral("请选择包厢类型!")},
        };
        for (const auto& c : cases) {
            const SetupOutcome outcome = tagbatch::addTags(db, c.request);
            QVERIFY(!outcome.done);
            QCOMPARE(outcome.message, c.message);
        }
        QCOMPARE(countOf(db, QStringLiteral("select count(*) from 手牌管理")), before);

        // Exactly the limit goes in; nine digits are taken whole.
        QVERIFY(tagbatch::addTags(db, batch(QStringLiteral("Z"), true, QStringLiteral("1"),
                                            QStringLiteral("1000")))
                    .done);
        QCOMPARE(tagsLike(db, QStringLiteral("Z%")), 1000);
        QVERIFY(tagbatch::addTags(db, batch(QStringLiteral("Y"), true, QStringLiteral("999999999"),
                                            QStringLiteral("999999999")))
                    .done);
        QCOMPARE(countOf(db, QStringLiteral("select number from 手牌管理 where 手牌号码 = ?"),
                         {QStringLiteral("Y999999999")}),
                 999999999);
    }

    void aClashCreatesNothingAndNamesTenNumbers()
    {
        SeededDatabase base;
        Database& db = base.database();
        QVERIFY(tagbatch::addTags(
                    db, batch(QStringLiteral("T"), true, QStringLiteral("1"), QStringLiteral("30")))
                    .done);
        const SetupOutcome clash = tagbatch::addTags(
            db, batch(QStringLiteral("T"), true, QStringLiteral("5"), QStringLiteral("40")));
        QVERIFY(!clash.done);
        QCOMPARE(clash.message,
                 QStringLiteral("手牌号码重复!\nT5、T6、T7、T8、T9、T10、T11、T12、T13、T14"));
        QCOMPARE(tagsLike(db, QStringLiteral("T%")), 30);

        // A number stored between the check and the writes trips the unique
        // index: the whole batch is rolled back, the other tag included.
        const SetupOutcome late = tagbatch::addTags(
            db, batch(QStringLiteral("U"), true, QStringLiteral("1"), QStringLiteral("300")), [&] {
                db.exec(
                    QStringLiteral("insert into 手牌管理 (手牌号码, 所属包厢, 手牌状态, number) "
                                   "values (?, ?, ?, ?)"),
                    {QStringLiteral("U250"), QStringLiteral("大厅"), QStringLiteral("可用"), 250});
            });
        QVERIFY(!late.done);
        QVERIFY2(late.message.startsWith(QStringLiteral("手牌号码重复!")),
                 qPrintable(late.message));
        QCOMPARE(tagsLike(db, QStringLiteral("U%")), 0);
    }

    void overlappingBatchesFromTwoWorkstationsStoreOne()
    {
        if (testBackend() != Backend::Postgres)
            QSKIP("two workstations writing at once need the shared server");
        SeededDatabase base;
        Database& first = base.database();
        std::unique_ptr<Database> second = base.openAnother();
        SetupOutcome other;
        // The second workstation runs its whole batch after the first one checked.
        const SetupOutcome mine = tagbatch::addTags(
            first, batch(QStringLiteral("W"), true, QStringLiteral("1"), QStringLiteral("10")),
            [&] {
                other = tagbatch::addTags(*second,
                                          batch(QStringLiteral("W"), true, QStringLiteral("5"),
                                                QStringLiteral("15"), QStringLiteral("贵宾房")));
            });
        QVERIFY(other.done);
        QVERIFY(!mine.done);
        QCOMPARE(mine.message, QStringLiteral("手牌号码重复!\nW5、W6、W7、W8、W9、W10"));
        QCOMPARE(tagsLike(first, QStringLiteral("W%")), 11);
        QCOMPARE(countOf(first,
                         QStringLiteral("select count(*) from 手牌管理 where 手牌号码 like ? and "
                                        "所属包厢 = ?"),
                         {QStringLiteral("W%"), QStringLiteral("贵宾房")}),
                 11);
    }

    void occupiedTagsCannotBeDeletedOrEdited()
    {
        SeededDatabase base;
        Database& db = base.database();
        openBillOn(db, QStringLiteral("A01"));
        // An open-bill row without the state, and the state without a row: both hold the tag.
        db.exec(
            QStringLiteral("insert into 手牌开单 (手牌号码, 包厢类型, 主手牌号) values (?, ?, ?)"),
            {QStringLiteral("A02"), QStringLiteral("大厅"), QStringLiteral("A01")});
        db.exec(QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ?"),
                {QStringLiteral("占用"), QStringLiteral("A03")});
        for (const QString& tag :
             {QStringLiteral("A01"), QStringLiteral("A02"), QStringLiteral("A03")}) {
            const SetupOutcome removed = tagregister::deleteTag(db, tag);
            QCOMPARE(removed.message, Occupied);
            const SetupOutcome edited =
                tagregister::saveTag(db, tag,
                                     tagRecord(tag + u'X', QStringLiteral("贵宾房"),
                                               QStringLiteral("可用"), QStringLiteral("1")));
            QCOMPARE(edited.message, Occupied);
            QCOMPARE(roomOf(db, tag), QStringLiteral("大厅"));
        }
        QCOMPARE(stateOf(db, QStringLiteral("A02")), QStringLiteral("可用"));
        QVERIFY(tagregister::deleteTag(db, QStringLiteral("A04")).done);
        QCOMPARE(countOf(db,
                         QStringLiteral("select count(*) from 手牌管理 where 手牌号码 in (?, "
                                        "?, ?, ?)"),
                         {QStringLiteral("A01"), QStringLiteral("A02"), QStringLiteral("A03"),
                          QStringLiteral("A04")}),
                 3);
    }

    void tagEditsAreChecked()
    {
        SeededDatabase base;
        Database& db = base.database();
        const QString tag = QStringLiteral("A05");
        const struct
        {
            TagRecord record;
            QString message;
        } cases[] = {
            {tagRecord(tag, QStringLiteral("大厅"), QStringLiteral("占用"), QStringLiteral("5")),
             QStringLiteral("手牌状态只能是可用、停用或预定!")},
            {tagRecord(tag, QStringLiteral("地下室"), QStringLiteral("可用"), QStringLiteral("5")),
             QStringLiteral("请选择包厢类型!")},
            {tagRecord(tag, QStringLiteral("大厅"), QStringLiteral("可用"), QStringLiteral("1.5")),
             QStringLiteral("序号必须是整数!")},
            {tagRecord(tag, QStringLiteral("大厅"), QStringLiteral("可用"), QStringLiteral("abc")),
             QStringLiteral("序号必须是整数!")},
            {tagRecord(QStringLiteral(" "), QStringLiteral("大厅"), QStringLiteral("可用"),
                       QStringLiteral("5")),
             QStringLiteral("手牌号码 所属包厢 手牌状态必须填写!")},
            {tagRecord(QStringLiteral("A06"), QStringLiteral("大厅"), QStringLiteral("可用"),
                       QStringLiteral("5")),
             QStringLiteral("手牌号码重复!")},
        };
        for (const auto& c : cases) {
            const SetupOutcome outcome = tagregister::saveTag(db, tag, c.record);
            QVERIFY(!outcome.done);
            QCOMPARE(outcome.message, c.message);
        }
        QCOMPARE(stateOf(db, tag), QStringLiteral("可用"));

        QVERIFY(tagregister::saveTag(db, tag,
                                     tagRecord(QStringLiteral(" B05 "), QStringLiteral("贵宾房"),
                                               QStringLiteral("停用"), QStringLiteral("-3")))
                    .done);
        QCOMPARE(
            countOf(db, QStringLiteral("select count(*) from 手牌管理 where 手牌号码 = ?"), {tag}),
            0);
        QCOMPARE(stateOf(db, QStringLiteral("B05")), QStringLiteral("停用"));
        QCOMPARE(roomOf(db, QStringLiteral("B05")), QStringLiteral("贵宾房"));
        QCOMPARE(countOf(db, QStringLiteral("select number from 手牌管理 where 手牌号码 = ?"),
                         {QStringLiteral("B05")}),
                 -3);
    }

    void stateChangesOnlyFromTheStateRead()
    {
        SeededDatabase base;
        Database& db = base.database();
        std::unique_ptr<Database> other = base.openAnother();
        QVERIFY(tagstatus::changeState(db, QStringLiteral("A05"), QStringLiteral("可用"),
                                       QStringLiteral("预定"))
                    .done);
        QCOMPARE(stateOf(db, QStringLiteral("A05")), QStringLiteral("预定"));

        // Another workstation changed it after it was read here.
        other->exec(QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ?"),
                    {QStringLiteral("停用"), QStringLiteral("A06")});
        const SetupOutcome stale = tagstatus::changeState(
            db, QStringLiteral("A06"), QStringLiteral("可用"), QStringLiteral("预定"));
        QCOMPARE(stale.message, QStringLiteral("该手牌状态已被改变,请刷新后重试!"));
        QCOMPARE(stateOf(db, QStringLiteral("A06")), QStringLiteral("停用"));

        // Another workstation opened a bill on it after it was read here.
        openBillOn(*other, QStringLiteral("A07"));
        const SetupOutcome taken = tagstatus::changeState(
            db, QStringLiteral("A07"), QStringLiteral("可用"), QStringLiteral("停用"));
        QCOMPARE(taken.message, Occupied);
        QCOMPARE(stateOf(db, QStringLiteral("A07")), QStringLiteral("占用"));
        // An open-bill row alone holds the tag too.
        other->exec(
            QStringLiteral("insert into 手牌开单 (手牌号码, 包厢类型, 主手牌号) values (?, ?, ?)"),
            {QStringLiteral("A09"), QStringLiteral("大厅"), QStringLiteral("A09")});
        QCOMPARE(tagstatus::changeState(db, QStringLiteral("A09"), QStringLiteral("可用"),
                                        QStringLiteral("停用"))
                     .message,
                 Occupied);
        QCOMPARE(stateOf(db, QStringLiteral("A09")), QStringLiteral("可用"));
        // Shown occupied, and "占用" asked for: refused before the database.
        QCOMPARE(tagstatus::changeState(db, QStringLiteral("A07"), QStringLiteral("占用"),
                                        QStringLiteral("可用"))
                     .message,
                 Occupied);
        QVERIFY(!tagstatus::changeState(db, QStringLiteral("A08"), QStringLiteral("可用"),
                                        QStringLiteral("占用"))
                     .done);
        QCOMPARE(stateOf(db, QStringLiteral("A08")), QStringLiteral("可用"));
        QCOMPARE(tagstatus::readState(db, QStringLiteral("A07")),
                 std::optional<QString>(QStringLiteral("占用")));
        QVERIFY(!tagstatus::readState(db, QStringLiteral("无此牌")).has_value());
    }

    void roomTypeNamesPricesAndTags()
    {
        SeededDatabase base;
        Database& db = base.database();
        const auto room = [](const QString& name, const QString& price) {
            RoomTypeRecord r;
            r.name = name;
            r.ticketPrice = price;
            return r;
        };
        QCOMPARE(roomtypes::saveRoomType(db, {}, room(QStringLiteral("  "), {})).message,
                 QStringLiteral("请把信息填写完整!"));
        QCOMPARE(roomtypes::saveRoomType(db, {}, room(QStringLiteral("大厅"), {})).message,
                 QStringLiteral("错误:请检查是否有重名记录!"));
        QCOMPARE(
            roomtypes::saveRoomType(db, QStringLiteral("大厅"), room(QStringLiteral("贵宾房"), {}))
                .message,
            QStringLiteral("错误:请检查是否有重名记录!"));
        for (const QString& bad : {QStringLiteral("-1"), QStringLiteral("abc")})
            QCOMPARE(roomtypes::saveRoomType(db, {}, room(QStringLiteral("桑拿"), bad)).message,
                     QStringLiteral("门票价格必须是不小于0的数字!"));
        // "nan" and "inf" read as numbers to the text conversion; they are not capacities.
        for (const QString& bad :
             {QStringLiteral("-2"), QStringLiteral("nan"), QStringLiteral("inf")}) {
            RoomTypeRecord r = room(QStringLiteral("桑拿"), {});
            r.capacity = bad;
            QCOMPARE(roomtypes::saveRoomType(db, {}, r).message,
                     QStringLiteral("容纳人数必须是不小于0的数字!"));
        }
        QCOMPARE(countOf(db, QStringLiteral("select count(*) from 包厢类型")), 3);

        // An empty price is 0; a price with cents is kept exactly.
        RoomTypeRecord sauna = room(QStringLiteral(" 桑拿 "), {});
        sauna.capacity = QStringLiteral("12");
        QVERIFY(roomtypes::saveRoomType(db, {}, sauna).done);
        QCOMPARE(stored::toMoney(
                     db.scalar(QStringLiteral("select 门票价格 from 包厢类型 where 包厢类型 = ?"),
                               {QStringLiteral("桑拿")})),
                 Money());
        QVERIFY(roomtypes::saveRoomType(db, QStringLiteral("大厅"),
                                        room(QStringLiteral("大厅"), QStringLiteral("25.5")))
                    .done);
        QCOMPARE(stored::toMoney(
                     db.scalar(QStringLiteral("select 门票价格 from 包厢类型 where 包厢类型 = ?"),
                               {QStringLiteral("大厅")})),
                 *Money::parse(u"25.5"));

        // A rename takes its tags along, and no others.
        QVERIFY(roomtypes::saveRoomType(db, QStringLiteral("贵宾房"),
                                        room(QStringLiteral("豪华房"), QStringLiteral("50")))
                    .done);
        QCOMPARE(countOf(db, QStringLiteral("select count(*) from 手牌管理 where 所属包厢 = ?"),
                         {QStringLiteral("豪华房")}),
                 10);
        QCOMPARE(countOf(db, QStringLiteral("select count(*) from 手牌管理 where 所属包厢 = ?"),
                         {QStringLiteral("贵宾房")}),
                 0);
        QCOMPARE(countOf(db, QStringLiteral("select count(*) from 手牌管理 where 所属包厢 = ?"),
                         {QStringLiteral("大厅")}),
                 15);

        QCOMPARE(roomtypes::deleteRoomType(db, QStringLiteral("豪华房")).message,
                 QStringLiteral("该包厢类型下还有手牌,不能删除!"));
        QVERIFY(roomtypes::deleteRoomType(db, QStringLiteral("桑拿")).done);
        const QStringList left = roomtypes::names(db);
        QCOMPARE(QSet<QString>(left.begin(), left.end()),
                 (QSet<QString>{QStringLiteral("休息厅"), QStringLiteral("大厅"),
                                QStringLiteral("豪华房")}));
    }
};

QTEST_GUILESS_MAIN(TestTagSetup)
#include "tst_tagsetup.moc"
