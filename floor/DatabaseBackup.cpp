#include "floor/DatabaseBackup.h"

#include "platform/Database.h"
#include "platform/Schema.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QUuid>

#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace shoupai::DatabaseBackup {

namespace {

Result failed(const QString& problem)
{
    Result result;
    result.problem = problem;
    return result;
}

// A name beside target that nothing else uses, for a copy still being written.
QString scratchBeside(const QString& target)
{
    const QFileInfo info(target);
    return info.absoluteDir().filePath(
        QStringLiteral(".%1.%2.tmp")
            .arg(info.fileName(), QUuid::createUuid().toString(QUuid::Id128).left(12)));
}

bool flushToDisk(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    return ::fsync(file.handle()) == 0;
}

// Moves a finished copy over target in one step, replacing what was there.
QString replaceAtomically(const QString& finished, const QString& target)
{
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(finished).toStdString(),
                            QFile::encodeName(target).toStdString(), error);
    if (error)
        return QString::fromLocal8Bit(error.message().c_str());
    return {};
}

Result backUpFile(Database& database, const QString& target)
{
    if (database.inTransaction())
        return failed(QStringLiteral("数据库正在写入,请稍后再备份."));
    const QString scratch = scratchBeside(target);
    try {
        // The engine writes a consistent image of the committed data even
        // while other connections are writing.
        database.exec(QStringLiteral("VACUUM INTO ?"), {scratch});
    } catch (const DatabaseError& error) {
        QFile::remove(scratch);
        return failed(error.text());
    }
    if (!flushToDisk(scratch)) {
        QFile::remove(scratch);
        return failed(QStringLiteral("无法写入%1").arg(target));
    }
    const QString problem = replaceAtomically(scratch, target);
    if (!problem.isEmpty()) {
        QFile::remove(scratch);
        return failed(problem);
    }
    Result result;
    result.outcome = Result::Outcome::Done;
    result.path = target;
    return result;
}

Result dumpServer(const Database& database, const QString& target)
{
    const QString pgDump = QStandardPaths::findExecutable(QStringLiteral("pg_dump"));
    if (pgDump.isEmpty()) {
        Result result;
        result.outcome = Result::Outcome::NotAvailable;
        result.problem =
            QStringLiteral("本机没有安装pg_dump,服务器上的数据库请在数据库服务器上备份.");
        return result;
    }
    const QSqlDatabase connection = database.connection();
    const QString scratch = scratchBeside(target);
    QProcess dump;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The password goes through the environment, never the command line.
    environment.insert(QStringLiteral("PGPASSWORD"), connection.password());
    dump.setProcessEnvironment(environment);
    QStringList arguments{QStringLiteral("--format=custom"), QStringLiteral("--no-password"),
                          QStringLiteral("--file"), scratch};
    if (!connection.hostName().isEmpty())
        arguments << QStringLiteral("--host") << connection.hostName();
    if (connection.port() > 0)
        arguments << QStringLiteral("--port") << QString::number(connection.port());
    if (!connection.userName().isEmpty())
        arguments << QStringLiteral("--username") << connection.userName();
    arguments << QStringLiteral("--dbname") << connection.databaseName();
    dump.start(pgDump, arguments);
    const bool finished = dump.waitForStarted() && dump.waitForFinished(30 * 60 * 1000);
    if (!finished || dump.exitStatus() != QProcess::NormalExit || dump.exitCode() != 0) {
        QString problem = QString::fromLocal8Bit(dump.readAllStandardError()).trimmed();
        if (problem.isEmpty())
            problem = dump.errorString();
        QFile::remove(scratch);
        return failed(problem);
    }
    const QString problem = replaceAtomically(scratch, target);
    if (!problem.isEmpty()) {
        QFile::remove(scratch);
        return failed(problem);
    }
    Result result;
    result.outcome = Result::Outcome::Done;
    result.path = target;
    return result;
}

} // namespace

QString databaseFile(const Database& database)
{
    if (database.backend() != Backend::Sqlite)
        return {};
    return QFileInfo(database.connection().databaseName()).absoluteFilePath();
}

Result backUp(Database& database, const QString& target)
{
    if (target.isEmpty())
        return failed(QStringLiteral("没有备份文件名."));
    if (database.backend() == Backend::Sqlite)
        return backUpFile(database, target);
    return dumpServer(database, target);
}

QString checkRestorable(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return QStringLiteral("文件%1不存在.").arg(path);
    // Opening would create an empty database where there is none; and an
    // empty file is no backup.
    if (info.size() == 0)
        return QStringLiteral("%1不是本系统的数据库文件.").arg(path);
    ConnectionDescription description;
    description.kind = ConnectionDescription::Kind::Sqlite;
    description.filePath = info.absoluteFilePath();
    Database candidate;
    if (!candidate.open(description, info.absolutePath()))
        return QStringLiteral("%1不是本系统的数据库文件:%2").arg(path, candidate.lastError());
    try {
        const QString integrity =
            candidate.scalar(QStringLiteral("PRAGMA integrity_check")).toString();
        if (integrity != u"ok")
            return QStringLiteral("%1已经损坏:%2").arg(path, integrity);
        for (const TableDefinition& table : Schema::tables()) {
            if (!candidate.tableExists(table.name))
                return QStringLiteral("%1不是本系统的数据库文件:没有表%2").arg(path, table.name);
        }
    } catch (const DatabaseError& error) {
        return QStringLiteral("%1不是本系统的数据库文件:%2").arg(path, error.text());
    }
    return {};
}

Result restore(Database& database, const QString& chosen)
{
    if (database.backend() != Backend::Sqlite) {
        Result result;
        result.outcome = Result::Outcome::NotAvailable;
        result.problem = QStringLiteral("服务器上的数据库不能在这里恢复,请在数据库服务器上恢复.");
        return result;
    }
    const QString live = databaseFile(database);
    if (QFileInfo(chosen).absoluteFilePath() == live)
        return failed(QStringLiteral("不能用正在使用的数据库文件恢复."));

    // The copy that will be put in place is the one checked, so the chosen
    // file itself is never opened for writing.
    const QString incoming = scratchBeside(live);
    if (!QFile::copy(chosen, incoming)) {
        QFile::remove(incoming);
        return failed(QStringLiteral("无法读取%1.").arg(chosen));
    }
    const QString problem = checkRestorable(incoming);
    if (!problem.isEmpty()) {
        QFile::remove(incoming);
        return failed(QString(problem).replace(incoming, chosen));
    }
    if (!flushToDisk(incoming)) {
        QFile::remove(incoming);
        return failed(QStringLiteral("无法写入%1.").arg(incoming));
    }

    const QString safety =
        live + QDateTime::currentDateTime().toString(QStringLiteral(".yyyyMMdd-HHmmss")) +
        QStringLiteral(".恢复前");
    Result kept = backUpFile(database, safety);
    if (!kept.done()) {
        QFile::remove(incoming);
        return failed(QStringLiteral("无法保存当前数据库的安全副本:%1").arg(kept.problem));
    }

    database.close();
    // A journal of the old file must never be applied to the new one.
    for (const char* suffix : {"-wal", "-shm", "-journal"})
        QFile::remove(live + QLatin1String(suffix));
    const QString renameProblem = replaceAtomically(incoming, live);
    if (!renameProblem.isEmpty()) {
        QFile::remove(incoming);
        Result result = failed(renameProblem);
        result.path = safety;
        return result;
    }
    Result result;
    result.outcome = Result::Outcome::Done;
    result.path = safety;
    return result;
}

} // namespace shoupai::DatabaseBackup
