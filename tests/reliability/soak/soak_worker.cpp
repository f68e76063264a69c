// One workstation in a separate process, as a second cashier's computer is.
//   soak_worker work HOME OPERATOR SEED SECONDS MAX_OPS THINK_MS
//     logs in on the login screen as OPERATOR (a new administrator's password) with the database
//     HOME/system.ini names, runs the soak mix and prints its "WORKER" counts.
//   soak_worker hold HOME write|read
//     opens the same database as a second desktop session, starts a write (or
//     a read) and keeps it open until a line arrives on standard input; then
//     commits.
#include "SoakWorker.h"

#include "app/LgUt.h"
#include "app/Session.h"
#include "common/Prompter.h"
#include "platform/Database.h"
#include "platform/PasswordHash.h"
#include "platform/StoredPassword.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QLineEdit>

#include <cstdio>
#include <iostream>
#include <string>

using namespace shoupai;
using namespace shoupai::test;

namespace {

void say(const QString& line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

int work(const QStringList& args)
{
    if (args.size() != 8) {
        std::fputs("usage: soak_worker work HOME OPERATOR SEED SECONDS MAX_OPS THINK_MS\n", stderr);
        return 2;
    }
    TLgFm login(args.at(2));
    login.setShowsMainWindow(false);
    login.prepareLogin();
    login.userBox()->setCurrentText(args.at(3));
    login.passwordBox()->setText(DefaultPassword);
    if (!login.login()) {
        std::fputs("soak_worker: login refused\n", stderr);
        return 3;
    }
    Session& session = login.session();
    SoakWorker worker(session.database(), session.operatorName, args.at(4).toUInt());
    const SoakCounts counts =
        worker.run(args.at(5).toInt(), args.at(6).toLongLong(), args.at(7).toInt());
    for (const QString& text : counts.errorTexts)
        std::fputs(
            qPrintable(
                QStringLiteral("soak_worker %1 error: %2\n").arg(session.operatorName, text)),
            stderr);
    for (const QString& line : counts.toLines())
        say(line);
    return 0;
}

int hold(const QStringList& args)
{
    if (args.size() != 4 || (args.at(3) != u"write" && args.at(3) != u"read")) {
        std::fputs("usage: soak_worker hold HOME write|read\n", stderr);
        return 2;
    }
    Session session;
    session.start(args.at(2));
    Database& db = session.database();
    if (!db.isOpen())
        return 3;
    if (args.at(3) == u"write") {
        db.begin();
        db.exec(QStringLiteral("insert into 日志 (事件, 日期, 管理员, 说明) values (?, ?, ?, ?)"),
                {QStringLiteral("盘点"), QDateTime::currentDateTime(), QStringLiteral("另一个会话"),
                 QStringLiteral("长时间写入")});
    } else {
        // A long report: its read keeps the file from being written until it ends.
        db.exec(QStringLiteral("BEGIN"));
        db.scalar(QStringLiteral("select count(*) from 结帐明细"));
    }
    say(QStringLiteral("holding"));
    std::string line;
    std::getline(std::cin, line);
    db.exec(QStringLiteral("COMMIT"));
    say(QStringLiteral("released"));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Every copy hashes at the cheapest cost, as the set-up that stored the passwords did.
    passwordhash::useMinimumCostForTests();
    ConsolePrompter prompter;
    const QStringList args = QCoreApplication::arguments();
    try {
        if (args.value(1) == u"work")
            return work(args);
        if (args.value(1) == u"hold")
            return hold(args);
    } catch (const DatabaseError& error) {
        std::fputs(qPrintable(QStringLiteral("soak_worker: %1\n").arg(error.text())), stderr);
        return 4;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "soak_worker: %s\n", error.what());
        return 4;
    }
    std::fputs("usage: soak_worker work|hold ...\n", stderr);
    return 2;
}
