#include "TestDatabase.h"

#include "platform/PasswordHash.h"
#include "platform/Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QTemporaryDir>
#include <QUuid>

#include <stdexcept>

namespace shoupai::test {

namespace {

QHash<QString, QString> postgresSettings()
{
    QHash<QString, QString> settings;
    const QString text = qEnvironmentVariable("SHOUPAI_TEST_PG");
    for (const QString& part : text.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(u'=');
        if (eq > 0)
            settings.insert(part.left(eq).trimmed().toLower(), part.mid(eq + 1).trimmed());
    }
    return settings;
}

QString postgresDescription(const QString& database)
{
    const QHash<QString, QString> s = postgresSettings();
    if (s.value(QStringLiteral("host")).isEmpty())
        throw std::runtime_error(
            "SHOUPAI_TEST_BACKEND=postgres needs SHOUPAI_TEST_PG=host=..;port=..;user=..");
    return QStringLiteral("Provider=PostgreSQL;Password=%1;User ID=%2;Initial Catalog=%3;"
                          "Data Source=%4,%5;")
        .arg(s.value(QStringLiteral("password")), s.value(QStringLiteral("user")), database,
             s.value(QStringLiteral("host")),
             s.value(QStringLiteral("port"), QStringLiteral("5432")));
}

std::unique_ptr<Database> openDescription(const QString& text, const QString& folder)
{
    auto database = std::make_unique<Database>();
    if (!database->open(ConnectionDescription::parse(text), folder))
        throw std::runtime_error(
            ("cannot open test database: " + database->lastError()).toStdString());
    return database;
}

QString scratchFolder()
{
    static QTemporaryDir root(QDir::tempPath() + QStringLiteral("/shoupai-test-XXXXXX"));
    const QString folder =
        root.filePath(QUuid::createUuid().toString(QUuid::WithoutBraces).left(12));
    QDir().mkpath(folder);
    return folder;
}

} // namespace

Backend testBackend()
{
    return qEnvironmentVariable("SHOUPAI_TEST_BACKEND") == u"postgres" ? Backend::Postgres
                                                                       : Backend::Sqlite;
}

QString testBackendName()
{
    return testBackend() == Backend::Postgres ? QStringLiteral("postgres")
                                              : QStringLiteral("sqlite");
}

TestDatabase::TestDatabase(const QString& label) : m_folder(scratchFolder())
{
    // Tests hash at the cheapest cost; the cost is kept in each hash.
    passwordhash::useMinimumCostForTests();
    if (testBackend() == Backend::Sqlite) {
        m_connectionText = QStringLiteral("Provider=SQLite;Data Source=data.db");
    } else {
        m_postgresName =
            QStringLiteral("%1_%2_%3")
                .arg(label.toLower(), QString::number(QCoreApplication::applicationPid()),
                     QUuid::createUuid().toString(QUuid::Id128).left(8));
        auto admin = openDescription(postgresDescription(QStringLiteral("postgres")), m_folder);
        admin->exec(QStringLiteral("CREATE DATABASE %1 ENCODING 'UTF8' TEMPLATE template0")
                        .arg(admin->dialect().quote(m_postgresName)));
        m_connectionText = postgresDescription(m_postgresName);
    }
    m_database = openDescription(m_connectionText, m_folder);
}

TestDatabase::~TestDatabase()
{
    m_database.reset();
    if (!m_postgresName.isEmpty()) {
        try {
            auto admin = openDescription(postgresDescription(QStringLiteral("postgres")), m_folder);
            admin->exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)")
                            .arg(admin->dialect().quote(m_postgresName)));
        } catch (const std::exception&) {
            // A database left behind goes with the private cluster.
        }
    }
}

std::unique_ptr<Database> TestDatabase::openAnother() const
{
    return openDescription(m_connectionText, m_folder);
}

SeededDatabase::SeededDatabase(const QString& label) : TestDatabase(label)
{
    Schema::create(database());
    Schema::seed(database());
}

} // namespace shoupai::test
