#include "admin/DatabaseSettings.h"

#include "app/IniFile.h"
#include "platform/ConnectionDescription.h"
#include "platform/Database.h"

#include <QDir>

namespace shoupai::databasesettings {

namespace {

const QString Section = QStringLiteral("part1");

bool acceptable(const QString& text)
{
    for (const QChar c : text) {
        if (c == u';' || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

QString compose(const ServerFields& fields, const QString& password)
{
    return QStringLiteral(
               "Provider=PostgreSQL;Password=%1;User ID=%2;Initial Catalog=%3;Data Source=%4;")
        .arg(password, fields.user, fields.database, fields.server);
}

} // namespace

ServerFields ServerFields::trimmed() const
{
    return {server.trimmed(), database.trimmed(), user.trimmed(), password.trimmed()};
}

bool ServerFields::isAcceptable() const
{
    return acceptable(server) && acceptable(database) && acceptable(user) && acceptable(password);
}

QString describe(const ServerFields& fields)
{
    return compose(fields, fields.password);
}

QString describeMasked(const ServerFields& fields)
{
    return compose(fields, QStringLiteral("******"));
}

std::optional<QString> testConnection(const QString& description)
{
    const ConnectionDescription parsed = ConnectionDescription::parse(description);
    if (parsed.kind != ConnectionDescription::Kind::Postgres)
        return parsed.problem.isEmpty() ? QStringLiteral("连接描述不是PostgreSQL服务器")
                                        : parsed.problem;
    Database probe;
    const bool opened = probe.open(parsed, QDir::currentPath());
    const QString reason = probe.lastError();
    probe.close();
    if (!opened)
        return reason;
    return std::nullopt;
}

bool save(IniFile& config, Backend backend, const ServerFields& fields,
          const std::optional<QString>& testedDescription)
{
    QList<IniValue> values = {
        {Section, QStringLiteral("abc"),
         backend == Backend::Server ? QStringLiteral("s") : QStringLiteral("a")},
        {Section, QStringLiteral("ServerName"), fields.server},
        {Section, QStringLiteral("DataBaseName"), fields.database},
        {Section, QStringLiteral("UserName"), fields.user},
        {Section, QStringLiteral("PassWord"), fields.password},
    };
    if (testedDescription)
        values.append({Section, QStringLiteral("cs"), *testedDescription});
    if (backend == Backend::File &&
        !ConnectionDescription::parse(config.read(Section, QStringLiteral("csaccess"))).isUsable())
        values.append({Section, QStringLiteral("csaccess"), DefaultFileDescription});
    return config.write(values, IniFile::Content::Password);
}

} // namespace shoupai::databasesettings
