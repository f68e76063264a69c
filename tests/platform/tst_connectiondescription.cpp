#include "platform/ConnectionDescription.h"

#include <QTest>

using shoupai::ConnectionDescription;
using Kind = ConnectionDescription::Kind;

class TestConnectionDescription : public QObject
{
    Q_OBJECT
private slots:
    void embeddedFile();
    void serverForms();
    void legacyAccessAndNonsense();
};

void TestConnectionDescription::embeddedFile()
{
    const auto d =
        ConnectionDescription::parse(QStringLiteral("Provider=SQLite;Data Source=data.db"));
    QCOMPARE(d.kind, Kind::Sqlite);
    QCOMPARE(d.filePath, QStringLiteral("data.db"));
    QVERIFY(d.isUsable());
    const auto spaced = ConnectionDescription::parse(
        QStringLiteral(" provider = sqlite ; data source = /srv/浴场.db ;"));
    QCOMPARE(spaced.kind, Kind::Sqlite);
    QCOMPARE(spaced.filePath, QStringLiteral("/srv/浴场.db"));
    QCOMPARE(ConnectionDescription::parse(QStringLiteral("Provider=SQLite;")).kind, Kind::Invalid);
}

void TestConnectionDescription::serverForms()
{
    // As the database settings screen writes it.
    const auto written = ConnectionDescription::parse(QStringLiteral(
        "Provider=SQLOLEDB.1;Password=pa=ss;Persist Security Info=True;User ID=venue;"
        "Initial Catalog=shoupai;Data Source=192.168.1.10;"));
    QCOMPARE(written.kind, Kind::Postgres);
    QCOMPARE(written.host, QStringLiteral("192.168.1.10"));
    QCOMPARE(written.port, 5432);
    QCOMPARE(written.database, QStringLiteral("shoupai"));
    QCOMPARE(written.user, QStringLiteral("venue"));
    QCOMPARE(written.password, QStringLiteral("pa=ss"));

    const auto comma = ConnectionDescription::parse(
        QStringLiteral("Provider=PostgreSQL;Password=;User ID=postgres;Initial Catalog=db1;Data "
                       "Source=server,5433"));
    QCOMPARE(comma.kind, Kind::Postgres);
    QCOMPARE(comma.host, QStringLiteral("server"));
    QCOMPARE(comma.port, 5433);
    QCOMPARE(comma.password, QString());

    const auto colon = ConnectionDescription::parse(
        QStringLiteral("Provider=postgresql;Initial Catalog=db1;Data Source=localhost:6543"));
    QCOMPARE(colon.kind, Kind::Postgres);
    QCOMPARE(colon.host, QStringLiteral("localhost"));
    QCOMPARE(colon.port, 6543);

    QCOMPARE(ConnectionDescription::parse(
                 QStringLiteral("Provider=PostgreSQL;Initial Catalog=db1;Data Source=h,notaport"))
                 .kind,
             Kind::Invalid);
    QCOMPARE(ConnectionDescription::parse(QStringLiteral("Provider=PostgreSQL;Data Source=h")).kind,
             Kind::Invalid);
}

void TestConnectionDescription::legacyAccessAndNonsense()
{
    const auto jet = ConnectionDescription::parse(QStringLiteral(
        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb;Persist Security Info=False;"
        "Jet OLEDB:Database Password=qv582"));
    QCOMPARE(jet.kind, Kind::LegacyAccess);
    QVERIFY(!jet.isUsable());
    QVERIFY(jet.problem.contains(QStringLiteral("Access")));
    QVERIFY(jet.problem.contains(QStringLiteral("data.mdb")));
    QVERIFY(!jet.problem.contains(QStringLiteral("qv582")));

    // The "0" of a missing key, and unknown providers.
    for (const QString& text :
         {QStringLiteral("0"), QString(), QStringLiteral("Provider=MSDASQL;DSN=x")}) {
        const auto d = ConnectionDescription::parse(text);
        QCOMPARE(d.kind, Kind::Invalid);
        QVERIFY(!d.problem.isEmpty());
    }
}

QTEST_APPLESS_MAIN(TestConnectionDescription)
#include "tst_connectiondescription.moc"
