#pragma once

// Stored bills written straight into the database as a checkout posts them,
// for the tests of receipts, bill records and reversal.

#include "platform/Database.h"
#include "platform/Money.h"

#include <QDateTime>
#include <QList>
#include <QSqlField>
#include <QSqlRecord>
#include <QString>
#include <QStringList>

#include <algorithm>

namespace shoupai::test {

inline Money units(qint64 value)
{
    return Money::fromUnits(value);
}

struct StoredLine
{
    QString goods;
    QString type;
    Money price;
    qint64 quantity = 1;
    Money total;
    QString employeeNumber = QStringLiteral("n");
    QString employeeName = QStringLiteral("n");
    Money commission;
    QString tcyf = QStringLiteral("0");
    QDateTime time = QDateTime(QDate(2026, 12, 1), QTime(10, 5, 0));
    QString tag; // empty: the bill's tag
};

struct StoredBill
{
    QString number = QStringLiteral("1");
    QString tag = QStringLiteral("08");
    QDateTime entry = QDateTime(QDate(2026, 12, 1), QTime(10, 0, 0));
    QDateTime checkout = QDateTime(QDate(2026, 12, 1), QTime(12, 30, 0));
    Money consumption, received, cardDeduction;
    QString mode = QStringLiteral("现金支付");
    QString card = QStringLiteral("非会员");
    QString state = QStringLiteral("已结");
    QString guest = QStringLiteral("散客");
    QString operatorName = QStringLiteral("收银员甲");
    QString remark = QStringLiteral("无");
    QList<StoredLine> lines;
};

inline StoredLine line(const QString& goods, const QString& type, qint64 price, qint64 quantity,
                       qint64 total)
{
    StoredLine l;
    l.goods = goods;
    l.type = type;
    l.price = units(price);
    l.quantity = quantity;
    l.total = units(total);
    return l;
}

// Writes the header and its lines; returns the header's id.
inline qint64 insertStoredBill(Database& db, const StoredBill& bill)
{
    const qint64 id = db.insertReturningKey(
        QStringLiteral("insert into 结帐管理 (单据号, 手牌号码, 进店时间, 离店时间, 消费金额, "
                       "实收金额, 卡内扣除, 结帐方式, 会员卡号, 状态, 结帐时间, 顾客姓名, 备注, "
                       "营业员) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {bill.number, bill.tag, bill.entry, bill.checkout, QVariant::fromValue(bill.consumption),
         QVariant::fromValue(bill.received), QVariant::fromValue(bill.cardDeduction), bill.mode,
         bill.card, bill.state, bill.checkout, bill.guest, bill.remark, bill.operatorName},
        QStringLiteral("id"));
    for (const StoredLine& l : bill.lines) {
        db.exec(
            QStringLiteral("insert into 结帐明细 (单据号, 手牌号码, 会员卡号, 顾客姓名, 商品名, "
                           "商品类型, 单价, 数量, 合计, 消费时间, 是否计时, 员工编号, 员工姓名, "
                           "提成金额, tcyf, 营业员, 状态) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                           "?, ?, ?, ?, ?, ?, ?)"),
            {bill.number, l.tag.isEmpty() ? bill.tag : l.tag, bill.card, bill.guest, l.goods,
             l.type, QVariant::fromValue(l.price), QVariant::fromValue<qlonglong>(l.quantity),
             QVariant::fromValue(l.total), l.time, QVariant::fromValue<qlonglong>(0),
             l.employeeNumber, l.employeeName, QVariant::fromValue(l.commission), l.tcyf,
             bill.operatorName, bill.state});
    }
    return id;
}

inline void addTag(Database& db, const QString& tag, const QString& state = QStringLiteral("可用"))
{
    db.exec(QStringLiteral("insert into 手牌管理 (手牌号码, 所属包厢, 手牌状态, number, 所在位置, "
                           "包厢性质) values (?, ?, ?, ?, ?, ?)"),
            {tag, QStringLiteral("大厅"), state, QVariant::fromValue<qlonglong>(900), QString(),
             QString()});
}

inline void addMember(Database& db, const QString& card, Money balance, double points)
{
    db.exec(QStringLiteral("insert into 会员管理 (会员卡号, 会员姓名, 密码, 当前状态, 卡内金额, "
                           "当前积分, 会员性别, 会员类型) values (?, ?, ?, ?, ?, ?, ?, ?)"),
            {card, QStringLiteral("王芳"), QStringLiteral("2863"), QStringLiteral("可用"),
             QVariant::fromValue(balance), points, QStringLiteral("女"), QStringLiteral("未设置")});
}

inline Money memberBalance(const Database& db, const QString& card)
{
    return stored::toMoney(
        db.scalar(QStringLiteral("select 卡内金额 from 会员管理 where 会员卡号 = ?"), {card}));
}

inline Money memberPoints(const Database& db, const QString& card)
{
    return stored::toNumber(
        db.scalar(QStringLiteral("select 当前积分 from 会员管理 where 会员卡号 = ?"), {card}));
}

inline QString tagState(const Database& db, const QString& tag)
{
    return db.scalar(QStringLiteral("select 手牌状态 from 手牌管理 where 手牌号码 = ?"), {tag})
        .toString();
}

inline qint64 count(const Database& db, const QString& table)
{
    return db.scalar(QStringLiteral("select count(*) from ") + db.dialect().quote(table))
        .toLongLong();
}

// Every row of a table as text, sorted: compares a table before and after.
inline QStringList snapshot(const Database& db, const QString& table)
{
    QStringList rows;
    Rows all = db.query(QStringLiteral("select * from ") + db.dialect().quote(table));
    while (all.next()) {
        const QSqlRecord record = all.record();
        QStringList values;
        for (int i = 0; i < record.count(); ++i)
            values << record.field(i).name() + u'=' + record.value(i).toString();
        rows << values.join(u'|');
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

inline QStringList snapshotBilling(const Database& db)
{
    QStringList all;
    for (const char* table :
         {"手牌管理", "手牌开单", "手牌消费", "结帐管理", "结帐明细", "会员管理", "单据号"}) {
        const QString name = QString::fromUtf8(table);
        all << QStringLiteral("== ") + name;
        all << snapshot(db, name);
    }
    return all;
}

} // namespace shoupai::test
