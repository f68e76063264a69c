#include "common/TextPadding.h"

#include <QTest>

using shoupai::PadRight;

class TestPadding : public QObject
{
    Q_OBJECT
private slots:
    void padsToByteWidth();
};

void TestPadding::padsToByteWidth()
{
    QCOMPARE(PadRight(QStringLiteral("数量"), 6), QStringLiteral("数量  "));
    QCOMPARE(PadRight(QStringLiteral("数量"), 4), QStringLiteral("数量"));
    QCOMPARE(PadRight(QStringLiteral("数量"), 3), QStringLiteral("数量"));
    // Mixed text: 2 + 1 + 1 bytes.
    QCOMPARE(PadRight(QStringLiteral("洗A1"), 7), QStringLiteral("洗A1   "));
    QCOMPARE(PadRight(QString(), 3), QStringLiteral("   "));
    QCOMPARE(PadRight(QStringLiteral("abc"), 0), QStringLiteral("abc"));
    QCOMPARE(PadRight(QStringLiteral("abc"), -5), QStringLiteral("abc"));
    // Nothing is cut from a long text.
    QCOMPARE(PadRight(QStringLiteral("洗发水洗发水"), 5), QStringLiteral("洗发水洗发水"));
}

QTEST_APPLESS_MAIN(TestPadding)
#include "tst_padding.moc"
