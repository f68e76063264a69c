#include "support/ScratchServer.h"

#include <QHash>
#include <QUuid>

#include <cstdio>

namespace shoupai::bench {

namespace {

QHash<QString, QString> serverSettings()
{
    QHash<QString, QString> settings;
    for (const QString& part :
         qEnvironmentVariable("SHOUPAI_TEST_PG").split(u';', Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(u'=');
        if (eq > 0)
            settings.insert(part.left(eq).trimmed().toLower(), part.mid(eq + 1).trimmed());
    }
    return settings;
}

QString serverConnection(const QHash<QString, QString>& s, const QString& database)
{
    return QStringLiteral("Provider=PostgreSQL;Password=%1;User ID=%2;Initial Catalog=%3;"
                          "Data Source=%4,%5;")
        .arg(s.value(QStringLiteral("password")), s.value(QStringLiteral("user")), database,
             s.value(QStringLiteral("host")),
             s.value(QStringLiteral("port"), QStringLiteral("5432")));
}

} // namespace

ScratchServer::ScratchServer(const QString& prefix, const QString& folder)
{
    const QHash<QString, QString> settings = serverSettings();
    if (settings.value(QStringLiteral("host")).isEmpty()) {
        m_skipped = QStringLiteral("SHOUPAI_TEST_PG names no server");
        return;
    }
    if (!m_admin.open(
            ConnectionDescription::parse(serverConnection(settings, QStringLiteral("postgres"))),
            folder)) {
        m_skipped = m_admin.lastError();
        return;
    }
    m_name =
        QStringLiteral("%1_%2").arg(prefix, QUuid::createUuid().toString(QUuid::Id128).left(8));
    m_admin.exec(QStringLiteral("CREATE DATABASE %1 ENCODING 'UTF8' TEMPLATE template0")
                     .arg(m_admin.dialect().quote(m_name)));
    m_connection = serverConnection(settings, m_name);
}

ScratchServer::~ScratchServer()
{
    if (m_connection.isEmpty())
        return;
    try {
        m_admin.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)")
                         .arg(m_admin.dialect().quote(m_name)));
    } catch (const DatabaseError& error) {
        std::fprintf(stderr, "%s not dropped: %s\n", qPrintable(m_name), qPrintable(error.text()));
    }
}

} // namespace shoupai::bench
