#include "TestDatabase.h"
#include "TestHome.h"
#include "admin/AdminChangePassUt.h"
#include "admin/AdminUt.h"
#include "admin/DataClearUt.h"
#include "admin/SetDataUt.h"
#include "app/LgUt.h"
#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "floor/MainUt.h"
#include "platform/PasswordHash.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

namespace {

// Logs in on a fresh login form; the session lives as long as the form.
std::unique_ptr<TLgFm> loggedIn(const QString& home, const QString& user, const QString& password)
{
    auto login = std::make_unique<TLgFm>(home);
    login->setShowsMainWindow(false);
    login->prepareLogin();
    login->waitForPrefill();
    login->userBox()->setCurrentText(user);
    login->passwordBox()->setText(password);
    if (!login->login())
        return nullptr;
    return login;
}

} // namespace

class TestAdminEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { passwordhash::useMinimumCostForTests(); }

    void cashierThroughTheMenus()
    {
        SeededDatabase seeded;
        Database& db = seeded.database();
        db.exec(QStringLiteral("insert into 结帐管理 (单据号) values (?)"), {QStringLiteral("7")});
        const QString home = writeSystemIni(seeded);
        ScriptedPrompter prompter;

        {
            auto super = loggedIn(home, QStringLiteral("超级管理员"), QStringLiteral("1"));
            QVERIFY(super);
            TMainFm main(super->session());
            main.setModalRunner([](QDialog& dialog) {
                if (auto* admin = qobject_cast<TAdminFm*>(&dialog)) {
                    admin->add();
                    admin->nameField()->setText(QStringLiteral("收银员"));
                    admin->box(QStringLiteral("收银结算"))->setChecked(true);
                    admin->box(QStringLiteral("消费管理"))->setChecked(true);
                    admin->save();
                    // The operator takes the own backup right away.
                    admin->grid()->selectByKey(QStringLiteral("用户名"),
                                               QStringLiteral("超级管理员"));
                    admin->modify();
                    admin->box(QStringLiteral("数据备份"))->setChecked(false);
                    admin->save();
                    admin->quit();
                }
                return int(QDialog::Accepted);
            });
            QVERIFY(main.action(QStringLiteral("管理员设置"))->isEnabled());
            main.action(QStringLiteral("管理员设置"))->trigger();
            // The flags read at login hold until the next login.
            QCOMPARE(db.scalar(QStringLiteral("select 数据备份 from 管理员 where 用户名 = ?"),
                               {QStringLiteral("超级管理员")})
                         .toBool(),
                     false);
            QVERIFY(super->session().permissions.has(Permission::Backup));
            QVERIFY(main.action(QStringLiteral("数据备份"))->isEnabled());
        }
        QVERIFY(!loggedIn(home, QStringLiteral("收银员"), QStringLiteral("1")));

        auto cashier = loggedIn(home, QStringLiteral("收银员"), QStringLiteral("2863"));
        QVERIFY(cashier);
        {
            TMainFm main(cashier->session());
            for (const char* caption :
                 {"管理员设置", "数据库设置", "数据初始化", "会员信息管理", "数据备份"})
                QVERIFY2(!main.action(QString::fromUtf8(caption))->isEnabled(), caption);
            QVERIFY(main.action(QStringLiteral("管理密码修改"))->isEnabled());
            main.setModalRunner([](QDialog& dialog) {
                if (auto* password = qobject_cast<TAdminChangePassFm*>(&dialog)) {
                    password->oldField()->setText(QStringLiteral("2863"));
                    password->newField()->setText(QStringLiteral("cash"));
                    password->confirmField()->setText(QStringLiteral("cash"));
                    password->save();
                }
                return int(QDialog::Accepted);
            });
            main.action(QStringLiteral("管理密码修改"))->trigger();
            QCOMPARE(prompter.lastText(), QStringLiteral("修改成功！"));
        }
        QVERIFY(!loggedIn(home, QStringLiteral("收银员"), QStringLiteral("2863")));
        QVERIFY(loggedIn(home, QStringLiteral("收银员"), QStringLiteral("cash")));

        auto super = loggedIn(home, QStringLiteral("超级管理员"), QStringLiteral("1"));
        QVERIFY(super);
        TMainFm main(super->session());
        QVERIFY(!main.action(QStringLiteral("数据备份"))->isEnabled());

        // The database settings open on the engine in use; leaving them writes nothing.
        const auto iniText = [&home] {
            QFile ini(QDir(home).filePath(QStringLiteral("system.ini")));
            return ini.open(QIODevice::ReadOnly) ? ini.readAll() : QByteArray();
        };
        const QByteArray iniBefore = iniText();
        QVERIFY(!iniBefore.isEmpty());
        QStringList settingsShown;
        main.setModalRunner([&settingsShown](QDialog& dialog) {
            if (auto* settings = qobject_cast<TSetDataFm*>(&dialog)) {
                settingsShown << (settings->fileButton()->isChecked()
                                      ? QStringLiteral("SQLite")
                                      : QStringLiteral("PostgreSQL"));
                settings->quit();
            }
            return int(QDialog::Rejected);
        });
        QVERIFY(main.action(QStringLiteral("数据库设置"))->isEnabled());
        main.action(QStringLiteral("数据库设置"))->trigger();
        QCOMPARE(settingsShown,
                 QStringList{testBackend() == Backend::Postgres ? QStringLiteral("PostgreSQL")
                                                                : QStringLiteral("SQLite")});
        QCOMPARE(prompter.lastText(), QStringLiteral("软件重启后生效!"));
        QCOMPARE(iniText(), iniBefore);

        main.setModalRunner([&prompter](QDialog& dialog) {
            if (auto* clearing = qobject_cast<TDataClearFm*>(&dialog)) {
                clearing->businessBox()->setChecked(true);
                prompter.queueInput(QStringLiteral("pmw804617392"));
                prompter.queueAnswer(true);
                clearing->clear();
            }
            return int(QDialog::Accepted);
        });
        main.action(QStringLiteral("数据初始化"))->trigger();
        QCOMPARE(prompter.lastText(), QStringLiteral("清理完毕！"));
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from 结帐管理")).toLongLong(), 0);
    }
};

QTEST_MAIN(TestAdminEndToEnd)
#include "tst_admin_e2e.moc"
