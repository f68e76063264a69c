#include "platform/ConnectionDescription.h"

#include <QHash>
#include <QStringList>

namespace shoupai {

namespace {

int busyTimeout = ConnectionDescription::DefaultSqliteBusyTimeout;

QHash<QString, QString> splitPairs(const QString& text)
{
    QHash<QString, QString> pairs;
    const QStringList parts = text.split(u';', Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        const qsizetype eq = part.indexOf(u'=');
        if (eq <= 0)
            continue;
        pairs.insert(part.left(eq).trimmed().toLower(), part.mid(eq + 1).trimmed());
    }
    return pairs;
}

} // namespace

ConnectionDescription ConnectionDescription::parse(const QString& text)
{
    ConnectionDescription result;
    const QHash<QString, QString> pairs = splitPairs(text);
    const QString provider = pairs.value(QStringLiteral("provider")).toLower();
    const QString source = pairs.value(QStringLiteral("data source"));

    if (provider == u"sqlite") {
        if (source.isEmpty()) {
            result.problem = QStringLiteral("连接描述缺少数据库文件(Data Source)");
            return result;
        }
        result.kind = Kind::Sqlite;
        result.filePath = source;
        return result;
    }
    if (provider.startsWith(u"microsoft.jet.oledb") ||
        provider.startsWith(u"microsoft.ace.oledb")) {
        result.kind = Kind::LegacyAccess;
        result.filePath = source;
        result.problem =
            QStringLiteral("连接描述指向Access数据库文件%1,本程序不能直接打开Access文件,"
                           "请改用SQLite数据库文件或PostgreSQL服务器.")
                .arg(source.isEmpty() ? QString() : QStringLiteral(" ") + source);
        return result;
    }
    if (provider.startsWith(u"sqloledb") || provider == u"postgresql" || provider == u"postgres") {
        QString host = source;
        // "host,port" as SQL Server writes it, or "host:port".
        qsizetype sep = host.lastIndexOf(u',');
        if (sep < 0 && host.count(u':') == 1)
            sep = host.indexOf(u':');
        if (sep >= 0) {
            bool ok = false;
            const int port = host.mid(sep + 1).trimmed().toInt(&ok);
            if (!ok || port <= 0 || port > 65535) {
                result.problem = QStringLiteral("连接描述的端口号无效: %1").arg(source);
                return result;
            }
            result.port = port;
            host = host.left(sep).trimmed();
        }
        if (host.isEmpty()) {
            result.problem = QStringLiteral("连接描述缺少服务器名(Data Source)");
            return result;
        }
        result.host = host;
        result.database = pairs.value(QStringLiteral("initial catalog"));
        result.user = pairs.value(QStringLiteral("user id"));
        result.password = pairs.value(QStringLiteral("password"));
        if (result.database.isEmpty()) {
            result.problem = QStringLiteral("连接描述缺少数据库名(Initial Catalog)");
            return result;
        }
        result.kind = Kind::Postgres;
        return result;
    }
    result.problem = text.trimmed().isEmpty() || text.trimmed() == u"0"
                         ? QStringLiteral("没有设置数据库连接")
                         : QStringLiteral("不认识的数据库连接描述: %1").arg(text);
    return result;
}

QString ConnectionDescription::connectOptions() const
{
    if (kind == Kind::Sqlite)
        return QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeout);
    if (kind != Kind::Postgres)
        return {};
    // A server or a network that goes away must not hang the till: TCP
    // keepalives find a dead idle link in about 11 s, unacknowledged data
    // gives up after 15 s. The statement timeout stops only what no screen
    // needs: the longest report over a whole history takes well under it.
    return QStringLiteral("connect_timeout=10;keepalives=1;keepalives_idle=5;"
                          "keepalives_interval=2;keepalives_count=3;tcp_user_timeout=15000;"
                          "options='-c statement_timeout=300000'");
}

int ConnectionDescription::sqliteBusyTimeout()
{
    return busyTimeout;
}

void ConnectionDescription::setSqliteBusyTimeout(int milliseconds)
{
    busyTimeout = milliseconds;
}

} // namespace shoupai
