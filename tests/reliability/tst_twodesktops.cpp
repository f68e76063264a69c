// Two desktop sessions on one SQLite file: the second program's write waits for
// the first one's and, when it waits too long, is refused whole with a message an
// operator understands.
#include "billing/BillingTestKit.h"
#include "billing/CheckOutUt.h"
#include "platform/ConnectionDescription.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

namespace {

constexpr int ShortBusyTimeout = 400;

// The other desktop's program, holding the file until told to let go.
class OtherDesktop
{
public:
    OtherDesktop(const QString& home, const QString& hold)
    {
        m_process.start(QStringLiteral(SHOUPAI_SOAK_WORKER), {QStringLiteral("hold"), home, hold});
    }
    ~OtherDesktop()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    bool holding() { return waitFor("holding"); }
    bool release()
    {
        m_process.write("\n");
        m_process.closeWriteChannel();
        return waitFor("released") && m_process.waitForFinished(10000) && m_process.exitCode() == 0;
    }

private:
    bool waitFor(const QByteArray& word)
    {
        QElapsedTimer clock;
        clock.start();
        while (!m_said.contains(word) && clock.elapsed() < 20000) {
            m_process.waitForReadyRead(200);
            m_said += m_process.readAllStandardOutput();
            if (m_process.state() == QProcess::NotRunning && !m_said.contains(word)) {
                m_said += m_process.readAllStandardOutput();
                break;
            }
        }
        if (!m_said.contains(word))
            qWarning("other desktop: %s %s", m_said.constData(),
                     m_process.readAllStandardError().constData());
        return m_said.contains(word);
    }

    QProcess m_process;
    QByteArray m_said;
};

} // namespace

class TestTwoDesktops : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        ConnectionDescription::setSqliteBusyTimeout(
            ConnectionDescription::DefaultSqliteBusyTimeout);
    }
    void checkoutWaitsForTheOtherSessionThenIsRefusedWhole_data();
    void checkoutWaitsForTheOtherSessionThenIsRefusedWhole();
};

void TestTwoDesktops::checkoutWaitsForTheOtherSessionThenIsRefusedWhole_data()
{
    QTest::addColumn<QString>("hold");
    // A write keeps the posting from starting; a long read keeps it from committing.
    QTest::newRow("other session writes") << QStringLiteral("write");
    QTest::newRow("other session reads") << QStringLiteral("read");
}

void TestTwoDesktops::checkoutWaitsForTheOtherSessionThenIsRefusedWhole()
{
    if (testBackend() != Backend::Sqlite)
        QSKIP("only a database file is locked as a whole; the server locks rows and waits");
    QFETCH(QString, hold);
    // The program waits ten seconds for the other session; this test less.
    QCOMPARE(ConnectionDescription::parse(QStringLiteral("Provider=SQLite;Data Source=x.db"))
                 .connectOptions(),
             QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    ConnectionDescription::setSqliteBusyTimeout(ShortBusyTimeout);

    Venue v;
    Database& db = v.database();
    QCOMPARE(openGroup(db, {QStringLiteral("A01"), QStringLiteral("A02")}, Money::fromUnits(20)),
             QString());
    QVERIFY(addLine(db, QStringLiteral("A02"), goodsNamed(db, QStringLiteral("可乐")), 2).stored);
    const qint64 stockBefore = stock(db, QStringLiteral("可乐"));

    TCheckOutFm screen(v.session, v.board, QStringLiteral("A01"));
    QVERIFY(screen.load());
    QCOMPARE(screen.receivableText(), QStringLiteral("52"));
    QCOMPARE(v.prompter.shown().size(), 0);

    OtherDesktop other(v.db.folder(), hold);
    QVERIFY(other.holding());

    QElapsedTimer waited;
    waited.start();
    QVERIFY(!screen.JieZhangHs(SettledState));
    // It waited for the other session before giving up.
    QVERIFY2(waited.elapsed() >= ShortBusyTimeout * 3 / 4,
             qPrintable(QString::number(waited.elapsed())));
    QCOMPARE(v.prompter.shown().size(), 1);
    QCOMPARE(v.prompter.shown().last().kind, Prompter::Kind::Error);
    const QString said = v.prompter.lastText();
    QVERIFY2(
        said.startsWith(QStringLiteral("数据库正被另一台电脑使用,这次操作没有完成,请稍后再试.")),
        qPrintable(said));
    // The engine's own words stay for whoever looks into it.
    QVERIFY2(said.contains(QStringLiteral("locked")), qPrintable(said));

    // Nothing of the bill was written: the group is open as it was.
    QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐管理")), 0);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐明细")), 0);
    QCOMPARE(counter(db), QStringLiteral("0"));
    QCOMPARE(count(db, QStringLiteral("select count(*) from 手牌开单 where 主手牌号 = ?"),
                   {QStringLiteral("A01")}),
             2);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 手牌消费 where 主手牌号 = ?"),
                   {QStringLiteral("A01")}),
             3);
    QCOMPARE(tagState(db, QStringLiteral("A01")), QStringLiteral("占用"));
    QCOMPARE(tagState(db, QStringLiteral("A02")), QStringLiteral("占用"));
    QCOMPARE(stock(db, QStringLiteral("可乐")), stockBefore);
    QVERIFY(!db.inTransaction());

    // Once the other session is done, the same command posts the bill.
    QVERIFY(other.release());
    v.prompter.clear();
    QVERIFY(screen.JieZhangHs(SettledState));
    QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐管理")), 1);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 结帐明细")), 3);
    QCOMPARE(money(db, QStringLiteral("select 消费金额 from 结帐管理")), Money::fromUnits(52));
    QCOMPARE(counter(db), QStringLiteral("1"));
    QCOMPARE(count(db, QStringLiteral("select count(*) from 手牌开单")), 0);
    QCOMPARE(tagState(db, QStringLiteral("A01")), QStringLiteral("可用"));
    // And the other session's own write is there too.
    QCOMPARE(count(db, QStringLiteral("select count(*) from 日志 where 管理员 = ?"),
                   {QStringLiteral("另一个会话")}),
             hold == u"write" ? 1 : 0);
}

QTEST_MAIN(TestTwoDesktops)
#include "tst_twodesktops.moc"
