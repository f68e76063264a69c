#include "app/Delimiters.h"

#include <QTest>

using namespace shoupai;

class TestDelimiters : public QObject
{
    Q_OBJECT
private slots:
    void delimitersFollowTheBackendCodeExactly();
    void literalsKeepDelimitersInsideValues();
};

void TestDelimiters::delimitersFollowTheBackendCodeExactly()
{
    QCOMPARE(StringDelimiter(QStringLiteral("s")), QStringLiteral("'"));
    QCOMPARE(DateDelimiter(QStringLiteral("s")), QStringLiteral("'"));
    QCOMPARE(StringDelimiter(QStringLiteral("a")), QStringLiteral("\""));
    QCOMPARE(DateDelimiter(QStringLiteral("a")), QStringLiteral("#"));
    // Compared with case; anything else has no delimiters.
    for (const QString& code : {QStringLiteral("S"), QStringLiteral("A"), QStringLiteral("0"),
                                QString(), QStringLiteral("x"), QStringLiteral("s ")}) {
        QCOMPARE(StringDelimiter(code), QString());
        QCOMPARE(DateDelimiter(code), QString());
    }
}

void TestDelimiters::literalsKeepDelimitersInsideValues()
{
    const QDate date(2024, 1, 31);
    QCOMPARE(StringLiteral(QStringLiteral("a"), QStringLiteral("A01")), QStringLiteral("\"A01\""));
    QCOMPARE(DateLiteral(QStringLiteral("a"), date), QStringLiteral("#2024-01-31#"));
    QCOMPARE(StringLiteral(QStringLiteral("s"), QStringLiteral("A01")), QStringLiteral("'A01'"));
    QCOMPARE(DateLiteral(QStringLiteral("s"), date), QStringLiteral("'2024-01-31'"));
    QCOMPARE(StringLiteral(QStringLiteral("s"), QStringLiteral("O'Brien")),
             QStringLiteral("'O''Brien'"));
    QCOMPARE(StringLiteral(QStringLiteral("a"), QStringLiteral("say \"hi\"")),
             QStringLiteral("\"say \"\"hi\"\"\""));
    QCOMPARE(StringLiteral(QStringLiteral("0"), QStringLiteral("A01")), QStringLiteral("A01"));
}

QTEST_APPLESS_MAIN(TestDelimiters)
#include "tst_delimiters.moc"
