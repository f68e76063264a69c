#include "TestDatabase.h"
#include "TestHome.h"
#include "app/LgUt.h"
#include "common/Prompter.h"
#include "floor/MainUt.h"
#include "platform/PasswordHash.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

namespace {

// An administrator row with every flag set to `granted`, except those listed.
void addAdministrator(Database& db, const QString& user, const QString& storedPassword,
                      bool granted, const QList<Permission>& exceptions = {},
                      const QStringList& columnsPresent = {})
{
    QStringList columns{QStringLiteral("用户名"), QStringLiteral("密码")};
    QVariantList values{user, storedPassword};
    for (int i = 0; i < PermissionCount; ++i) {
        const auto permission = static_cast<Permission>(i);
        const QString column = permissionColumn(permission);
        if (!columnsPresent.isEmpty() && !columnsPresent.contains(column))
            continue;
        columns << column;
        values << (exceptions.contains(permission) ? !granted : granted);
    }
    QStringList marks;
    for (int i = 0; i < values.size(); ++i)
        marks << QStringLiteral("?");
    db.exec(QStringLiteral("insert into 管理员 (%1) values (%2)")
                .arg(columns.join(u','), marks.join(u',')),
            values);
}

// A 管理员 table made by hand, as an older database has it.
void createLegacyAdminTable(Database& db, const QStringList& permissionColumns)
{
    QStringList columns{QStringLiteral("用户名 %1").arg(db.dialect().textType()),
                        QStringLiteral("密码 %1").arg(db.dialect().textType())};
    for (const QString& column : permissionColumns)
        columns << QStringLiteral("%1 %2").arg(column, db.dialect().booleanType());
    db.exec(QStringLiteral("create table 管理员 (%1)").arg(columns.join(u',')));
    db.exec(QStringLiteral("create table sysinfo (name %1, tel %1, %2 %1)")
                .arg(db.dialect().textType(), db.dialect().quote(QStringLiteral("add"))));
    db.exec(QStringLiteral("insert into sysinfo (name, tel, %1) values (?, ?, ?)")
                .arg(db.dialect().quote(QStringLiteral("add"))),
            {QStringLiteral("老店"), QStringLiteral("1"), QStringLiteral("2")});
}

QStringList allPermissionColumnsExcept(const QStringList& missing)
{
    QStringList columns;
    for (int i = 0; i < PermissionCount; ++i) {
        const QString column = permissionColumn(static_cast<Permission>(i));
        if (!missing.contains(column))
            columns << column;
    }
    return columns;
}

} // namespace

class TestLogin : public QObject
{
    Q_OBJECT
private slots:
    void freshDatabasePrefillsAndLogsIn();
    void enterBeforeThePrefillArrives();
    void wrongPasswordsAndRetries();
    void userNameWithoutCaseAndQuotes();
    void olderDatabaseWithoutOptionalColumnsAndPlainPasswords();
    void missingRequiredColumnOrNoAdministrator();
    void unreachableDatabase();
    void mainWindowAppliesPermissionGates();
};

void TestLogin::freshDatabasePrefillsAndLogsIn()
{
    SeededDatabase db;
    ScriptedPrompter prompter;
    TLgFm login(writeSystemIni(db));
    login.setShowsMainWindow(false);
    login.prepareLogin();
    login.waitForPrefill();
    QCOMPARE(login.windowTitle(), QStringLiteral("测试浴场"));
    QCOMPARE(login.userBox()->currentText(), QStringLiteral("超级管理员"));
    QCOMPARE(login.passwordBox()->text(), TLgFm::defaultPassword());
    QCOMPARE(login.passwordBox()->echoMode(), QLineEdit::Password);
    QVERIFY(login.icReaderBox()->isHidden());
    QVERIFY(!login.icReaderBox()->isChecked());
    QSignalSpy loggedIn(&login, &TLgFm::loggedIn);
    QVERIFY(login.login());
    QCOMPARE(loggedIn.count(), 1);
    QCOMPARE(login.session().operatorName, QStringLiteral("超级管理员"));
    for (int i = 0; i < PermissionCount; ++i)
        QVERIFY(login.session().permissions.has(static_cast<Permission>(i)));
    QCOMPARE(prompter.shown().size(), 0);

    // An administrator whose password is no longer the default gets no prefill.
    db.database().exec(QStringLiteral("update 管理员 set 密码 = ?"),
                       {passwordhash::hash(QStringLiteral("9x"))});
    TLgFm second(db.folder());
    second.prepareLogin();
    second.waitForPrefill();
    QCOMPARE(second.userBox()->currentText(), QStringLiteral("超级管理员"));
    QCOMPARE(second.passwordBox()->text(), QString());

    // The default check runs beside the window; what the operator types first is kept.
    db.database().exec(QStringLiteral("update 管理员 set 密码 = ?"),
                       {passwordhash::hash(TLgFm::defaultPassword())});
    TLgFm third(db.folder());
    third.setShowsMainWindow(false);
    third.prepareLogin();
    third.passwordBox()->setText(QStringLiteral("typed"));
    third.waitForPrefill();
    QCOMPARE(third.passwordBox()->text(), QStringLiteral("typed"));
    QVERIFY(!third.login());
    QCOMPARE(prompter.lastText(), QStringLiteral("用户名或者密码错误请重新输入！"));
}

void TestLogin::enterBeforeThePrefillArrives()
{
    SeededDatabase db;
    // A hashed default is checked beside the window; Enter comes before its answer.
    db.database().exec(QStringLiteral("update 管理员 set 密码 = ?"),
                       {passwordhash::hash(TLgFm::defaultPassword())});
    ScriptedPrompter prompter;

    // Enter with the box still empty waits for the check and logs in with its answer.
    TLgFm fast(writeSystemIni(db));
    fast.setShowsMainWindow(false);
    fast.prepareLogin();
    QVERIFY(fast.passwordBox()->text().isEmpty());
    QVERIFY(fast.login());
    QCOMPARE(fast.passwordBox()->text(), TLgFm::defaultPassword());
    QCOMPARE(fast.session().operatorName, QStringLiteral("超级管理员"));
    QVERIFY(prompter.shown().isEmpty());

    // Typed input wins over a prefill that comes later, and the late prefill is
    // not lost: once the operator empties the box, Enter logs in with it.
    TLgFm typed(db.folder());
    typed.setShowsMainWindow(false);
    typed.prepareLogin();
    typed.passwordBox()->setText(QStringLiteral("wrong"));
    QVERIFY(!typed.login());
    QCOMPARE(prompter.lastText(), QStringLiteral("用户名或者密码错误请重新输入！"));
    typed.waitForPrefill();
    QCOMPARE(typed.passwordBox()->text(), QStringLiteral("wrong"));
    typed.passwordBox()->clear();
    QVERIFY(typed.login());
    QCOMPARE(prompter.shown().size(), 1);

    // The default found for one user is no password of another.
    addAdministrator(db.database(), QStringLiteral("收银"), passwordhash::hash(QStringLiteral("x")),
                     true);
    TLgFm other(db.folder());
    other.setShowsMainWindow(false);
    other.prepareLogin();
    other.userBox()->setEditText(QStringLiteral("收银"));
    QVERIFY(!other.login());
    QVERIFY(other.passwordBox()->text().isEmpty());
    QCOMPARE(prompter.shown().size(), 2);
}

void TestLogin::wrongPasswordsAndRetries()
{
    SeededDatabase db;
    ScriptedPrompter prompter;
    TLgFm login(writeSystemIni(db));
    login.setShowsMainWindow(false);
    login.show();
    QVERIFY(QTest::qWaitForWindowExposed(&login));
    // The default password is in the box; each wrong text below replaces it.
    login.waitForPrefill();
    QCOMPARE(login.passwordBox()->text(), TLgFm::defaultPassword());
    // Escape does not take the login screen away.
    QTest::keyClick(&login, Qt::Key_Escape);
    QVERIFY(login.isVisible());
    for (const QString& wrong : {QStringLiteral("2"), QStringLiteral(""), QStringLiteral("1 ")}) {
        login.passwordBox()->setText(wrong);
        QVERIFY(!login.login());
        QCOMPARE(prompter.lastText(), QStringLiteral("用户名或者密码错误请重新输入！"));
        QCOMPARE(login.passwordBox()->selectedText(), wrong);
        QTRY_VERIFY(login.passwordBox()->hasFocus());
    }
    QVERIFY(login.session().operatorName.isEmpty());
    QCOMPARE(prompter.shown().size(), 3);

    // Typing in the user box moves on to the password; Enter there logs in.
    login.userBox()->setEditText(QStringLiteral("超级管理员"));
    QTRY_VERIFY(login.passwordBox()->hasFocus());
    QVERIFY(login.okButton()->isDefault());
    login.passwordBox()->setText(QStringLiteral("1"));
    QSignalSpy loggedIn(&login, &TLgFm::loggedIn);
    QTest::keyClick(login.passwordBox(), Qt::Key_Return);
    QCOMPARE(loggedIn.count(), 1);
}

void TestLogin::userNameWithoutCaseAndQuotes()
{
    SeededDatabase db;
    const QString quoted = QStringLiteral("O'Brien \"大\"; --");
    addAdministrator(db.database(), QStringLiteral("Manager"),
                     passwordhash::hash(QStringLiteral("2863")), true,
                     {Permission::Members, Permission::FreeBill});
    addAdministrator(db.database(), quoted, passwordhash::hash(QStringLiteral("p'w\"d")), false);
    ScriptedPrompter prompter;
    TLgFm login(writeSystemIni(db));
    login.setShowsMainWindow(false);
    login.prepareLogin();
    login.waitForPrefill();
    QCOMPARE(login.userBox()->count(), 3);

    login.userBox()->setEditText(QStringLiteral("mANAGER"));
    login.passwordBox()->setText(QStringLiteral("2863"));
    QVERIFY(login.login());
    QCOMPARE(login.session().operatorName, QStringLiteral("mANAGER"));
    QVERIFY(!login.session().permissions.has(Permission::Members));
    QVERIFY(!login.session().permissions.has(Permission::FreeBill));
    QVERIFY(login.session().permissions.has(Permission::CashierCheckout));
    QVERIFY(login.session().permissions.has(Permission::Goods));

    TLgFm second(db.folder());
    second.setShowsMainWindow(false);
    second.userBox()->setEditText(quoted);
    second.passwordBox()->setText(QStringLiteral("p'w\"d"));
    QVERIFY(second.login());
    QCOMPARE(second.session().operatorName, quoted);
    QVERIFY(!second.session().permissions.has(Permission::CashierCheckout));

    // Text that would end a literal is only a wrong name.
    second.userBox()->setEditText(QStringLiteral("' or '1'='1"));
    second.passwordBox()->setText(QStringLiteral("' or '1'='1"));
    QVERIFY(!second.login());
    QCOMPARE(prompter.lastText(), QStringLiteral("用户名或者密码错误请重新输入！"));
    QCOMPARE(db.database().scalar(QStringLiteral("select count(*) from 管理员")).toInt(), 3);
}

void TestLogin::olderDatabaseWithoutOptionalColumnsAndPlainPasswords()
{
    TestDatabase db;
    const QStringList present =
        allPermissionColumnsExcept({QStringLiteral("商品管理"), QStringLiteral("商品类型")});
    createLegacyAdminTable(db.database(), present);
    addAdministrator(db.database(), QStringLiteral("老板"), QStringLiteral("abc"), false, {},
                     present);
    ScriptedPrompter prompter;
    TLgFm login(writeSystemIni(db));
    login.setShowsMainWindow(false);
    login.prepareLogin();
    login.waitForPrefill();
    QCOMPARE(login.userBox()->currentText(), QStringLiteral("老板"));
    QCOMPARE(login.passwordBox()->text(), QString());
    QCOMPARE(login.session().shopName, QStringLiteral("老店"));
    // The database was used as it is.
    QVERIFY(!db.database().columns(QStringLiteral("管理员")).contains(QStringLiteral("商品管理")));

    login.passwordBox()->setText(QStringLiteral("ABC"));
    QVERIFY(!login.login());
    login.passwordBox()->setText(QStringLiteral("abc"));
    QVERIFY(login.login());
    QVERIFY(login.session().permissions.has(Permission::Goods));
    QVERIFY(login.session().permissions.has(Permission::GoodsTypes));
    QVERIFY(!login.session().permissions.has(Permission::Tags));
    QVERIFY(!login.session().permissions.has(Permission::CashierCheckout));

    // The plain password was replaced by its hash, and still logs in.
    const QString stored =
        db.database().scalar(QStringLiteral("select 密码 from 管理员")).toString();
    QVERIFY(passwordhash::isHash(stored));
    QVERIFY(passwordhash::verify(stored, QStringLiteral("abc")));
    QVERIFY(login.login());
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("用户名或者密码错误请重新输入！")});

    // A row whose password was never set lets nobody in, not even with an empty one.
    addAdministrator(db.database(), QStringLiteral("无密码"), QString(), true, {}, present);
    db.database().exec(QStringLiteral("update 管理员 set 密码 = NULL where 用户名 = ?"),
                       {QStringLiteral("无密码")});
    TLgFm other(db.folder());
    other.setShowsMainWindow(false);
    other.userBox()->setEditText(QStringLiteral("无密码"));
    other.passwordBox()->clear();
    QVERIFY(!other.login());
    QCOMPARE(prompter.lastText(), QStringLiteral("用户名或者密码错误请重新输入！"));
    QVERIFY(other.session().operatorName.isEmpty());
}

void TestLogin::missingRequiredColumnOrNoAdministrator()
{
    {
        TestDatabase db;
        const QStringList present = allPermissionColumnsExcept({QStringLiteral("免单")});
        createLegacyAdminTable(db.database(), present);
        addAdministrator(db.database(), QStringLiteral("a"), QStringLiteral("1"), true, {},
                         present);
        ScriptedPrompter prompter;
        TLgFm login(writeSystemIni(db));
        login.setShowsMainWindow(false);
        QSignalSpy loggedIn(&login, &TLgFm::loggedIn);
        login.prepareLogin();
        login.waitForPrefill();
        QCOMPARE(login.passwordBox()->text(), QStringLiteral("1"));
        QVERIFY(!login.login());
        QCOMPARE(loggedIn.count(), 0);
        QCOMPARE(prompter.shown().size(), 1);
        QCOMPARE(prompter.shown().first().kind, Prompter::Kind::Error);
        QVERIFY(prompter.lastText().contains(QStringLiteral("免单")));
    }
    {
        TestDatabase db;
        createLegacyAdminTable(db.database(), allPermissionColumnsExcept({}));
        ScriptedPrompter prompter;
        TLgFm login(writeSystemIni(db));
        login.setShowsMainWindow(false);
        login.prepareLogin();
        login.waitForPrefill();
        QCOMPARE(login.userBox()->count(), 0);
        QCOMPARE(prompter.shown().size(), 1);
        QCOMPARE(prompter.shown().first().kind, Prompter::Kind::Error);
        QVERIFY(!login.login());
        QCOMPARE(prompter.lastText(), QStringLiteral("用户名或者密码错误请重新输入！"));
    }
}

void TestLogin::unreachableDatabase()
{
    TestDatabase db;
    ScriptedPrompter prompter;
    // A server that answers nobody.
    QFile ini(QDir(db.folder()).filePath(QStringLiteral("system.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(
        "[part1]\nabc=s\ncs=Provider=SQLOLEDB.1;Password=x;Persist Security Info=True;User ID=x;"
        "Initial Catalog=x;Data Source=127.0.0.1,1;\n");
    ini.close();
    TLgFm login(db.folder());
    login.setShowsMainWindow(false);
    QVERIFY(prompter.texts().contains(QStringLiteral("数据库连接失败,请选择数据库.")));
    prompter.clear();
    login.prepareLogin();
    login.waitForPrefill();
    QCOMPARE(prompter.shown().size(), 1);
    QVERIFY(prompter.lastText().contains(QStringLiteral("数据库没有连接")));
    QVERIFY(!login.login());
    QCOMPARE(prompter.shown().last().kind, Prompter::Kind::Error);
}

void TestLogin::mainWindowAppliesPermissionGates()
{
    SeededDatabase db;
    addAdministrator(db.database(), QStringLiteral("收银员"),
                     passwordhash::hash(QStringLiteral("8")), true,
                     {Permission::Members, Permission::BusinessQueries, Permission::Goods});
    ScriptedPrompter prompter;
    TLgFm login(writeSystemIni(db));
    login.show();
    login.userBox()->setEditText(QStringLiteral("收银员"));
    login.passwordBox()->setText(QStringLiteral("8"));
    QVERIFY(login.login());
    TMainFm* main = login.mainWindow();
    QVERIFY(main);
    QVERIFY(main->isVisible());
    QVERIFY(!login.isVisible());
    QCOMPARE(main->windowTitle(), QStringLiteral("测试浴场"));
    QVERIFY(!main->action(QStringLiteral("会员管理"))->isEnabled()); // the toolbar button
    QVERIFY(!main->action(QStringLiteral("会员信息管理"))->isEnabled());
    QVERIFY(!main->action(QStringLiteral("会员类型管理"))->isEnabled());
    // Not gated by 会员管理 (disabled only while its screen is still to come).
    QVERIFY(main->action(QStringLiteral("会员消费查询"))->isEnabled() ||
            main->pendingEntries().contains(QStringLiteral("会员消费查询")));
    QVERIFY(!main->action(QStringLiteral("查询统计"))->isEnabled());
    QVERIFY(!main->action(QStringLiteral("商品项目"))->isEnabled());
    QVERIFY(!main->action(QStringLiteral("商品项目管理"))->isEnabled());
    QVERIFY(main->action(QStringLiteral("开单"))->isEnabled());
    QVERIFY(!main->action(QStringLiteral("xxx"))->isVisible());
    QVERIFY(main->roomTabs()->count() > 0);
    // The frame cannot close it.
    main->close();
    QVERIFY(main->isVisible());
    QCOMPARE(prompter.shown().size(), 0);
}

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
