#include "TestDatabase.h"
#include "TestHome.h"
#include "admin/AdminChangePassUt.h"
#include "admin/AdminUt.h"
#include "admin/DataClearUt.h"
#include "app/Session.h"
#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "platform/PasswordHash.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

namespace {

qint64 count(Database& db, const QString& sql, const QVariantList& parameters = {})
{
    return db.scalar(sql, parameters).toLongLong();
}

bool flagOf(Database& db, const QString& name, const QString& column)
{
    Rows rows = db.query(QStringLiteral("select * from 管理员 where 用户名 = ?"), {name});
    return rows.next() && rows.flag(column);
}

} // namespace

class TestAdminScreens : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { passwordhash::useMinimumCostForTests(); }

    void administratorScreenBrowsesEditsAndSaves()
    {
        SeededDatabase seeded;
        ScriptedPrompter prompter;
        Session session;
        session.start(writeSystemIni(seeded));
        session.operatorName = QStringLiteral("超级管理员");
        TAdminFm screen(session);
        auto enabled = [&](const char* caption) {
            return screen.button(QString::fromUtf8(caption))->isEnabled();
        };

        QVERIFY(!screen.isEditing());
        QVERIFY(enabled("添加") && enabled("修改") && enabled("删除") && enabled("退出"));
        QVERIFY(!enabled("保存") && !enabled("取消"));
        QVERIFY(!screen.nameField()->isEnabled());
        QCOMPARE(screen.nameField()->text(), QStringLiteral("超级管理员"));
        QVERIFY(screen.box(QStringLiteral("管理员设置"))->isChecked());
        QVERIFY(screen.box(QStringLiteral("退回库存"))->isHidden());

        screen.add();
        QVERIFY(screen.isEditing());
        QVERIFY(!enabled("添加") && !enabled("修改") && !enabled("删除"));
        QVERIFY(enabled("保存") && enabled("取消"));
        QVERIFY(!screen.box(QStringLiteral("管理员设置"))->isChecked());
        screen.save(); // no name
        QCOMPARE(prompter.lastText(), QStringLiteral("用户名必须填写！"));
        QVERIFY(screen.isEditing());
        screen.nameField()->setText(QStringLiteral("收银员"));
        screen.box(QStringLiteral("收银结算"))->setChecked(true);
        screen.save();
        QVERIFY(!screen.isEditing());
        QCOMPARE(screen.grid()->currentValue(QStringLiteral("用户名")).toString(),
                 QStringLiteral("收银员"));
        Database& db = seeded.database();
        QVERIFY(flagOf(db, QStringLiteral("收银员"), QStringLiteral("收银结算")));
        QVERIFY(!flagOf(db, QStringLiteral("收银员"), QStringLiteral("消费管理")));

        // Modify, then cancel: nothing written, the row shown again.
        screen.modify();
        screen.box(QStringLiteral("消费管理"))->setChecked(true);
        screen.cancel();
        QVERIFY(!flagOf(db, QStringLiteral("收银员"), QStringLiteral("消费管理")));
        QVERIFY(!screen.box(QStringLiteral("消费管理"))->isChecked());

        // Delete asks with the exact text; No keeps the row.
        prompter.clear();
        screen.remove();
        QCOMPARE(prompter.lastText(), QStringLiteral("您是否要删除\" 收银员\""));
        QCOMPARE(count(db, QStringLiteral("select count(*) from 管理员")), 2);
        prompter.queueAnswer(true);
        screen.remove();
        QCOMPARE(count(db, QStringLiteral("select count(*) from 管理员")), 1);

        screen.quit();
        QCOMPARE(prompter.lastText(), QStringLiteral("重启软件后,新的设置才能生效!"));
    }

    void ownPasswordScreen()
    {
        SeededDatabase seeded;
        ScriptedPrompter prompter;
        Session session;
        session.start(writeSystemIni(seeded));
        session.operatorName = QStringLiteral("超级管理员");
        {
            TAdminChangePassFm screen(session);
            QCOMPARE(screen.oldField()->echoMode(), QLineEdit::Password);
            QVERIFY(screen.oldField()->text().isEmpty());
            screen.oldField()->setText(QStringLiteral("bad"));
            screen.save();
            QCOMPARE(prompter.lastText(), QStringLiteral("旧密码输入错误！"));
            screen.oldField()->setText(QStringLiteral("1"));
            screen.newField()->setText(QStringLiteral("abc"));
            screen.confirmField()->setText(QStringLiteral("abd"));
            screen.save();
            QCOMPARE(prompter.lastText(), QStringLiteral("两次输入的新密码不一致！"));
            screen.confirmField()->setText(QStringLiteral("abc"));
            screen.save();
            QCOMPARE(prompter.lastText(), QStringLiteral("修改成功！"));
            QCOMPARE(screen.result(), int(QDialog::Accepted));
        }
        const QString stored =
            seeded.database()
                .scalar(QStringLiteral("select 密码 from 管理员 where 用户名 = ?"),
                        {QStringLiteral("超级管理员")})
                .toString();
        QVERIFY(passwordhash::verify(stored, QStringLiteral("abc")));
    }

    void dataClearingScreen()
    {
        SeededDatabase seeded;
        Database& db = seeded.database();
        db.exec(QStringLiteral("insert into 结帐管理 (单据号) values (?)"), {QStringLiteral("9")});
        db.exec(QStringLiteral("insert into 会员充值 (会员卡号) values (?)"),
                {QStringLiteral("9")});
        ScriptedPrompter prompter;
        Session session;
        session.start(writeSystemIni(seeded));
        TDataClearFm screen(session);
        screen.businessBox()->setChecked(true);

        for (const std::optional<QString>& typed :
             {std::optional<QString>(), std::optional<QString>(QStringLiteral("pmw804617392 ")),
              std::optional<QString>(QStringLiteral("PMW804617392"))}) {
            prompter.queueInput(typed);
            screen.clear();
            QCOMPARE(prompter.lastText(), QStringLiteral("密码错误!"));
        }
        QCOMPARE(prompter.shown().first().kind, Prompter::Kind::Input);
        prompter.clear();
        prompter.queueInput(QStringLiteral("pmw804617392"));
        screen.clear(); // answered No
        QCOMPARE(prompter.lastText(), QStringLiteral("您是否真的要删除?"));
        QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐管理")), 1);

        prompter.queueInput(QStringLiteral("pmw804617392"));
        prompter.queueAnswer(true);
        screen.clear();
        QCOMPARE(prompter.lastText(), QStringLiteral("清理完毕！"));
        QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐管理")), 0);
        QCOMPARE(count(db, QStringLiteral("select count(*) from 会员充值")), 1);
    }
};

QTEST_MAIN(TestAdminScreens)
#include "tst_adminscreens.moc"
