#include "billing/BillReversal.h"

#include "platform/Database.h"

#include <QHash>

namespace shoupai {

namespace {

const QString NonMember = QStringLiteral("非会员");
const QString CardPayment = QStringLiteral("卡内扣除");
const QString FreeBill = QStringLiteral("免单");

BillReversal::Outcome refused(BillReversal::Status status, const QString& tag,
                              const QString& message)
{
    return {status, message, tag};
}

// The discount flag a line gets when it is added: the goods type's own when
// exactly one type has that name, else "y". The ticket line of an opening
// has no type and takes no discount.
class DiscountFlags
{
public:
    explicit DiscountFlags(const Database& database) : m_database(database) {}

    QString forLine(const QString& goodsName, const QString& goodsType)
    {
        if (goodsType.isEmpty() && goodsName == u"门票")
            return {};
        const auto known = m_flags.constFind(goodsType);
        if (known != m_flags.cend())
            return *known;
        Rows types = m_database.query(
            QStringLiteral("select 参与打折 from 商品类型 where 名称 = ?"), {goodsType});
        QString flag = QStringLiteral("y");
        int found = 0;
        while (types.next()) {
            if (++found == 1)
                flag = types.text(QStringLiteral("参与打折"));
        }
        if (found != 1)
            flag = QStringLiteral("y");
        m_flags.insert(goodsType, flag);
        return flag;
    }

private:
    const Database& m_database;
    QHash<QString, QString> m_flags;
};

} // namespace

BillReversal::Outcome BillReversal::reverse(qint64 headerId, const QDateTime& now)
{
    Database& db = m_database;
    const QString lock = db.dialect().forUpdate();
    const QDateTime openedAt = now.isValid() ? now : QDateTime::currentDateTime();
    const QVariant id = QVariant::fromValue<qlonglong>(headerId);

    Transaction transaction(db);

    QString tag, number, card, mode, state, tagState;
    Money received, cardDeduction;
    bool tagFound = false;
    {
        Rows header = db.query(QStringLiteral("select * from 结帐管理 where id = ?") + lock, {id});
        if (!header.next())
            return refused(Status::BillGone, {}, QStringLiteral("这笔结帐已经不存在,无法撤销!"));
        tag = header.text(QStringLiteral("手牌号码"));
        number = header.text(QStringLiteral("单据号"));
        card = header.text(QStringLiteral("会员卡号"));
        mode = header.text(QStringLiteral("结帐方式")).trimmed();
        state = header.text(QStringLiteral("状态")).trimmed();
        received = header.money(QStringLiteral("实收金额"));
        cardDeduction = header.money(QStringLiteral("卡内扣除"));
    }
    {
        Rows tagRow =
            db.query(QStringLiteral("select 手牌状态 from 手牌管理 where 手牌号码 = ?"), {tag});
        tagFound = tagRow.next();
        if (tagFound)
            tagState = tagRow.text(QStringLiteral("手牌状态"));
    }
    if (!tagFound)
        return refused(Status::TagMissing, tag,
                       QStringLiteral("没有找到 ") + tag +
                           QStringLiteral(" 这个牌号,故无法完成撤销操作!"));
    const QString notAvailable =
        QStringLiteral("牌号 ") + tag + QStringLiteral(" 当前状态不是可用状态,故无法完成撤销操作!");
    if (tagState != u"可用")
        return refused(Status::TagNotAvailable, tag, notAvailable);

    // Paid commission would be paid again once the lines are checked out anew.
    // The lines are locked first, so a payment cannot mark them while they go.
    qint64 paid = 0;
    {
        Rows lines = db.query(QStringLiteral("select tcyf from 结帐明细 where 单据号 = ? and "
                                             "手牌号码 = ?") +
                                  lock,
                              {number, tag});
        while (lines.next()) {
            if (lines.text(QStringLiteral("tcyf")).trimmed() == u"1")
                ++paid;
        }
    }
    if (paid > 0)
        return refused(Status::CommissionPaid, tag,
                       QStringLiteral("这笔结帐的员工提成已经发放,故无法完成撤销操作!"));

    // Occupy the tag only if nobody took it since it was read.
    if (db.exec(QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ? and "
                               "手牌状态 = ?"),
                {QStringLiteral("占用"), tag, QStringLiteral("可用")}) == 0)
        return refused(Status::TagNotAvailable, tag, notAvailable);

    db.exec(QStringLiteral("insert into 手牌开单(手牌号码, 顾客姓名, 押金金额, 合计金额, 进店时间, "
                           "主手牌号) values(?, ?, ?, ?, ?, ?)"),
            {tag, QStringLiteral("散客"), QVariant::fromValue(Money()),
             QVariant::fromValue(Money()), openedAt, tag});

    const QString insertLine = QStringLiteral(
        "insert into 手牌消费(手牌号码, 商品名, 商品类型, 单价, 实际单价, 数量, 合计, 消费时间, "
        "是否计时, 状态, 员工编号, 员工姓名, 提成金额, 营业员, 主手牌号, 参与打折) "
        "values(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    DiscountFlags discountFlags(db);
    QList<QVariantList> lines;
    {
        Rows details = db.query(QStringLiteral("select * from 结帐明细 where 单据号 = ? and "
                                               "手牌号码 = ? order by ID"),
                                {number, tag});
        while (details.next()) {
            const QString goods = details.text(QStringLiteral("商品名"));
            const QString type = details.text(QStringLiteral("商品类型"));
            const QVariant price = QVariant::fromValue(details.money(QStringLiteral("单价")));
            lines.append(
                {details.text(QStringLiteral("手牌号码")), goods, type, price, price,
                 QVariant::fromValue<qlonglong>(details.integer(QStringLiteral("数量"))),
                 QVariant::fromValue(details.money(QStringLiteral("合计"))),
                 details.value(QStringLiteral("消费时间")).isNull()
                     ? QVariant()
                     : QVariant(details.dateTime(QStringLiteral("消费时间"))),
                 QVariant::fromValue<qlonglong>(details.integer(QStringLiteral("是否计时"))),
                 QStringLiteral("消费完毕"), details.text(QStringLiteral("员工编号")),
                 details.text(QStringLiteral("员工姓名")),
                 QVariant::fromValue(details.money(QStringLiteral("提成金额"))),
                 details.text(QStringLiteral("营业员")), tag, QString()});
        }
    }
    for (QVariantList& line : lines) {
        line[15] = discountFlags.forLine(line.at(1).toString(), line.at(2).toString());
        db.exec(insertLine, line);
    }

    // Undo what the checkout did to the member: the points it added (the
    // received amount) and, for a card payment, what it took from the card.
    // A free bill did neither, and a negative deduction took nothing.
    if (!card.isEmpty() && card != NonMember && state != FreeBill) {
        const Money credit =
            mode == CardPayment && cardDeduction > Money() ? cardDeduction : Money();
        // An empty balance or score counts as 0, so that the credit is never lost in a NULL.
        db.exec(QStringLiteral("update 会员管理 set 卡内金额 = coalesce(卡内金额, 0) + ?, "
                               "当前积分 = coalesce(当前积分, 0) - ? where 会员卡号 = ?"),
                {QVariant::fromValue(credit), received.toDouble(), card});
    }

    db.exec(QStringLiteral("delete from 结帐管理 where id = ?"), {id});
    db.exec(QStringLiteral("delete from 结帐明细 where 单据号 = ? and 手牌号码 = ?"),
            {number, tag});

    transaction.commit();
    return {Status::Reversed, {}, tag};
}

} // namespace shoupai
