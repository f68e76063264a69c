// Runs one business write on a database, for the crash test:
//   reliability_crashchild <write> <connection description> <home folder>
// SHOUPAI_CRASH_AFTER=<n> kills the process right after the gateway's n-th
// statement of the write; SHOUPAI_PAUSE_AFTER=<n> stops there until a line
// arrives on stdin; SHOUPAI_CHILD_UID=<uid> runs the write as that user.
// Prints "BACKEND <pid>" (PostgreSQL), "KILLING <n>", "PAUSED <n>",
// "STATEMENTS <count>" and "RESULT done" or "RESULT refused <text>".

#include "BusinessWrites.h"
#include "platform/PasswordHash.h"
#include "platform/StatementHook.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace shoupai;
using namespace shoupai::test;

namespace {

int statements = 0;
int crashAfter = 0;
int pauseAfter = 0;

void say(const QString& line)
{
    std::fputs((line + u'\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
}

void onStatement()
{
    ++statements;
    if (statements == pauseAfter) {
        say(QStringLiteral("PAUSED %1").arg(statements));
        char answer[16];
        if (!std::fgets(answer, sizeof answer, stdin))
            say(QStringLiteral("NO ANSWER"));
    }
    if (statements == crashAfter) {
        say(QStringLiteral("KILLING %1").arg(statements));
        std::raise(SIGKILL);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        say(QStringLiteral("usage: reliability_crashchild <write> <connection> <folder>"));
        return 2;
    }
    const BusinessWrite* write = findWrite(args.at(1));
    if (!write) {
        say(QStringLiteral("unknown write ") + args.at(1));
        return 2;
    }
    if (qEnvironmentVariableIsSet("SHOUPAI_CHILD_UID")) {
        const uid_t uid = uid_t(qEnvironmentVariableIntValue("SHOUPAI_CHILD_UID"));
        if (setgid(gid_t(uid)) != 0 || setuid(uid) != 0) {
            say(QStringLiteral("cannot become user %1").arg(uid));
            return 2;
        }
    }
    passwordhash::useMinimumCostForTests();
    crashAfter = qEnvironmentVariableIntValue("SHOUPAI_CRASH_AFTER");
    pauseAfter = qEnvironmentVariableIntValue("SHOUPAI_PAUSE_AFTER");

    Database database;
    if (!database.open(ConnectionDescription::parse(args.at(2)), args.at(3))) {
        say(QStringLiteral("cannot open: ") + database.lastError());
        return 2;
    }
    WriteResult result;
    try {
        const std::function<WriteResult()> run = write->plan(database);
        if (database.backend() == Backend::Postgres)
            say(QStringLiteral("BACKEND ") +
                database.scalar(QStringLiteral("select pg_backend_pid()")).toString());
        statementhook::install(onStatement);
        result = run();
    } catch (const DatabaseError& error) {
        result = {false, error.text()};
    }
    statementhook::install(nullptr);
    say(QStringLiteral("STATEMENTS %1").arg(statements));
    say(result.done ? QStringLiteral("RESULT done")
                    : QStringLiteral("RESULT refused ") + result.message.simplified());
    return 0;
}
