// Two workstations at once on the shared server for twenty seconds: every
// refusal is an answer, never an error, and the books add up afterwards.
#include "SoakRun.h"
#include "TestDatabase.h"

#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

class TestSoak : public QObject
{
    Q_OBJECT
private slots:
    void twoWorkstationsKeepTheBooks();
};

void TestSoak::twoWorkstationsKeepTheBooks()
{
    if (testBackend() != Backend::Postgres)
        QSKIP("several workstations share one database on the server; a SQLite file is one "
              "desktop's (two sessions on one file: tst_twodesktops)");
    SoakSettings settings;
    settings.workerProgram = QStringLiteral(SHOUPAI_SOAK_WORKER);
    settings.workstations = 2;
    settings.seconds = 20;
    const SoakFigures figures = runSoak(settings);
    const SoakCounts& c = figures.counts;
    QVERIFY2(figures.problems.isEmpty(), qPrintable(figures.problems.join(u'\n')));
    QCOMPARE(c.errors, 0);
    QVERIFY2(figures.violations.isEmpty(), qPrintable(figures.violations.join(u'\n')));

    // The mix reached every kind of write and met the other workstation: a run
    // where every command was refused would prove nothing.
    for (const char* kind : {"open", "line", "join", "leave", "cash", "card", "reverse", "recharge",
                             "purchase", "commission"})
        QVERIFY2(c.done.value(QString::fromLatin1(kind)) > 0, kind);
    QVERIFY(c.refusals > 0);
    QCOMPARE(c.postings,
             c.done.value(QStringLiteral("cash")) + c.done.value(QStringLiteral("card")));
    qInfo("ops %lld, refusals %lld, postings %lld in %lld ms", c.ops, c.refusals, c.postings,
          c.millis);
}

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
