#include "TestDatabase.h"

#include "platform/PasswordHash.h"
#include "platform/StoredPassword.h"

#include <QTest>

using namespace shoupai;
using shoupai::test::SeededDatabase;

namespace {

QString storedMemberPassword(const Database& db, const QString& card)
{
    return db.scalar(QStringLiteral("select 密码 from 会员管理 where 会员卡号 = ?"), {card})
        .toString();
}

void addMember(Database& db, const QString& card, const QString& stored)
{
    db.exec(QStringLiteral("insert into 会员管理 (会员卡号, 会员姓名, 密码) values (?, ?, ?)"),
            {card, QStringLiteral("会员") + card, stored});
}

bool verifyMember(Database& db, const QString& card, const QString& typed)
{
    return storedpassword::verifyAndUpgrade(db, QStringLiteral("会员管理"),
                                            QStringLiteral("会员卡号"), card,
                                            storedMemberPassword(db, card), typed);
}

} // namespace

class TestStoredPassword : public QObject
{
    Q_OBJECT
private slots:
    void plainAndHashedValuesMatch();
    void legacyMemberRowUpgradedOnce();
    void administratorsUseTheSameCheck();
    void upgradeNeverOverwritesAChangedPassword();
};

void TestStoredPassword::plainAndHashedValuesMatch()
{
    passwordhash::useMinimumCostForTests();
    QCOMPARE(DefaultPassword, QStringLiteral("2863"));
    QVERIFY(storedpassword::matches(QStringLiteral("2863"), QStringLiteral("2863")));
    QVERIFY(!storedpassword::matches(QStringLiteral("2863"), QStringLiteral("2864")));
    QVERIFY(!storedpassword::matches(QStringLiteral("2863"), QString()));
    const QString hashed = passwordhash::hash(QStringLiteral("2863"));
    QVERIFY(storedpassword::matches(hashed, QStringLiteral("2863")));
    QVERIFY(!storedpassword::matches(hashed, QStringLiteral("1")));
    // Typing the stored hash itself is no way in.
    QVERIFY(!storedpassword::matches(hashed, hashed));
}

void TestStoredPassword::legacyMemberRowUpgradedOnce()
{
    SeededDatabase db;
    Database& d = db.database();
    addMember(d, QStringLiteral("M1"), QStringLiteral("2863"));
    addMember(d, QStringLiteral("M2"), QStringLiteral("2863"));

    // A wrong password upgrades nothing.
    QVERIFY(!verifyMember(d, QStringLiteral("M1"), QStringLiteral("9999")));
    QCOMPARE(storedMemberPassword(d, QStringLiteral("M1")), QStringLiteral("2863"));

    // The right one matches and the row now holds its hash; the other row keeps its value.
    QVERIFY(verifyMember(d, QStringLiteral("M1"), QStringLiteral("2863")));
    const QString upgraded = storedMemberPassword(d, QStringLiteral("M1"));
    QVERIFY(passwordhash::isHash(upgraded));
    QVERIFY(passwordhash::verify(upgraded, QStringLiteral("2863")));
    QCOMPARE(storedMemberPassword(d, QStringLiteral("M2")), QStringLiteral("2863"));

    // Once hashed, it is verified and left alone.
    QVERIFY(verifyMember(d, QStringLiteral("M1"), QStringLiteral("2863")));
    QCOMPARE(storedMemberPassword(d, QStringLiteral("M1")), upgraded);
    QVERIFY(!verifyMember(d, QStringLiteral("M1"), QStringLiteral("2864")));
    QCOMPARE(storedMemberPassword(d, QStringLiteral("M1")), upgraded);
}

void TestStoredPassword::administratorsUseTheSameCheck()
{
    SeededDatabase db;
    Database& d = db.database();
    d.exec(QStringLiteral("insert into 管理员 (用户名, 密码) values (?, ?)"),
           {QStringLiteral("前台"), QStringLiteral("p'w")});
    const auto stored = [&] {
        return d
            .scalar(QStringLiteral("select 密码 from 管理员 where 用户名 = ?"),
                    {QStringLiteral("前台")})
            .toString();
    };
    const auto verify = [&](const QString& typed) {
        return storedpassword::verifyAndUpgrade(d, QStringLiteral("管理员"),
                                                QStringLiteral("用户名"), QStringLiteral("前台"),
                                                stored(), typed);
    };
    QVERIFY(!verify(QStringLiteral("P'W")));
    QCOMPARE(stored(), QStringLiteral("p'w"));
    QVERIFY(verify(QStringLiteral("p'w")));
    QVERIFY(passwordhash::verify(stored(), QStringLiteral("p'w")));
    QVERIFY(verify(QStringLiteral("p'w")));
}

void TestStoredPassword::upgradeNeverOverwritesAChangedPassword()
{
    SeededDatabase db;
    Database& d = db.database();
    addMember(d, QStringLiteral("M1"), QStringLiteral("2863"));
    const QString readBefore = storedMemberPassword(d, QStringLiteral("M1"));

    // Another workstation changes the password between our read and our upgrade.
    std::unique_ptr<Database> other = db.openAnother();
    other->exec(QStringLiteral("update 会员管理 set 密码 = ? where 会员卡号 = ?"),
                {QStringLiteral("7777"), QStringLiteral("M1")});

    QVERIFY(storedpassword::verifyAndUpgrade(d, QStringLiteral("会员管理"),
                                             QStringLiteral("会员卡号"), QStringLiteral("M1"),
                                             readBefore, QStringLiteral("2863")));
    QCOMPARE(storedMemberPassword(d, QStringLiteral("M1")), QStringLiteral("7777"));
}

QTEST_GUILESS_MAIN(TestStoredPassword)
#include "tst_storedpassword.moc"
