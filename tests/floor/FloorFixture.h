#pragma once

#include "TestDatabase.h"
#include "TestHome.h"
#include "app/Session.h"
#include "floor/MainUt.h"
#include "platform/Money.h"

#include <QDateTime>
#include <QDialog>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <memory>

namespace shoupai::test {

// A seeded venue, a session logged in on it, and the permission flags to use.
class Venue
{
public:
    explicit Venue(const Permissions& permissions = Permissions::all())
    {
        m_session.start(writeSystemIni(m_db));
        m_session.permissions = permissions;
        m_session.operatorName = QStringLiteral("测试员");
    }
    Database& db() { return m_db.database(); }
    Session& session() { return m_session; }
    SeededDatabase& storage() { return m_db; }

private:
    SeededDatabase m_db;
    Session m_session;
};

inline Permissions allBut(std::initializer_list<Permission> withheld)
{
    Permissions permissions = Permissions::all();
    for (Permission permission : withheld)
        permissions.set(permission, false);
    return permissions;
}

inline void setTagState(Database& db, const QString& tag, const QString& state)
{
    db.exec(QStringLiteral("update 手牌管理 set 手牌状态 = ? where 手牌号码 = ?"), {state, tag});
}

// An open bill row for a tag in a group under mainTag; the tag becomes 占用.
inline void openBill(Database& db, const QString& tag, const QString& mainTag,
                     const QDateTime& entered = QDateTime::currentDateTime(),
                     Money deposit = Money())
{
    db.exec(
        QStringLiteral("insert into 手牌开单 (手牌号码, 包厢类型, 顾客姓名, 押金金额, 合计金额, "
                       "进店时间, 主手牌号) values (?, ?, ?, ?, ?, ?, ?)"),
        {tag, QStringLiteral("大厅"), QStringLiteral("散客"), QVariant::fromValue(deposit),
         QVariant::fromValue(Money()), entered, mainTag});
    setTagState(db, tag, QStringLiteral("占用"));
}

inline void addLine(Database& db, const QString& tag, const QString& mainTag, const QString& goods,
                    qint64 quantity, Money price)
{
    db.exec(
        QStringLiteral("insert into 手牌消费 (手牌号码, 商品名, 单价, 实际单价, 数量, 折扣, 合计, "
                       "消费时间, 员工编号, 员工姓名, 营业员, 主手牌号) "
                       "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {tag, goods, QVariant::fromValue(price), QVariant::fromValue(price),
         QVariant::fromValue<qlonglong>(quantity), 1.0, QVariant::fromValue(price.times(quantity)),
         QDateTime::currentDateTime(), QStringLiteral("n"), QStringLiteral("n"),
         QStringLiteral("测试员"), mainTag});
}

inline qint64 countRows(Database& db, const QString& sql, const QVariantList& parameters = {})
{
    return db.scalar(sql, parameters).toLongLong();
}

// Shows no screen: records which ones the main window would show modally,
// and lets a test play what the operator does on them.
class ScreenRecorder
{
public:
    explicit ScreenRecorder(TMainFm& main)
    {
        main.setModalRunner([this](QDialog& dialog) {
            QString name = QString::fromLatin1(dialog.metaObject()->className());
            name.remove(QStringLiteral("shoupai::"));
            m_opened << name;
            return m_onShow ? m_onShow(dialog) : int(QDialog::Rejected);
        });
    }
    void onShow(std::function<int(QDialog&)> play) { m_onShow = std::move(play); }
    const QStringList& opened() const { return m_opened; }
    void clear() { m_opened.clear(); }

private:
    QStringList m_opened;
    std::function<int(QDialog&)> m_onShow;
};

} // namespace shoupai::test
