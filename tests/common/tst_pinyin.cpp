#include "common/Pinyin.h"
#include "platform/GbkCodec.h"

#include <QTest>

using shoupai::PinyinInitial;
using shoupai::PinyinInitials;

class TestPinyin : public QObject
{
    Q_OBJECT
private slots:
    void initialOfFirstCharacter();
    void rangeBoundaries();
    void onlyFirstLevelCodesHaveLetters();
    void initialsStepByCharacter();
};

void TestPinyin::initialOfFirstCharacter()
{
    QCOMPARE(PinyinInitial(QStringLiteral("啊")), QChar(u'A'));
    QCOMPARE(PinyinInitial(QStringLiteral("座")), QChar(u'Z'));
    QCOMPARE(PinyinInitial(QStringLiteral("八")), QChar(u'B'));
    QCOMPARE(PinyinInitial(QStringLiteral("AB")), QChar());
    QCOMPARE(PinyinInitial(QStringLiteral("A")), QChar());
    QCOMPARE(PinyinInitial(QString()), QChar());
    // Only the first character counts.
    QCOMPARE(PinyinInitial(QStringLiteral("洗发水")), QChar(u'X'));
    QCOMPARE(PinyinInitial(QStringLiteral("A洗")), QChar());
    // The byte form reads the first two bytes; one byte alone has no key.
    QCOMPARE(PinyinInitial(QByteArray("\xB0\xCB")), QChar(u'B'));
    QCOMPARE(PinyinInitial(QByteArray("\xB0\xCB\xC8\xF6")), QChar(u'B'));
    QCOMPARE(PinyinInitial(QByteArray("\xB0")), QChar());
    QCOMPARE(PinyinInitial(QByteArray()), QChar());
}

void TestPinyin::rangeBoundaries()
{
    // The last character of one letter and the first of the next, as the
    // first-level table orders them.
    const struct
    {
        const char16_t* text;
        char letter;
    } cases[] = {
        {u"澳", 'A'},
        {u"芭", 'B'},
        {u"簿", 'B'},
        {u"擦", 'C'},
        {u"错", 'C'},
        {u"搭", 'D'},
        {u"剁", 'D'},
        {u"蛾", 'E'},
        {u"贰", 'E'},
        {u"发", 'F'},
        {u"咐", 'F'},
        {u"噶", 'G'},
        {u"过", 'G'},
        {u"哈", 'H'},
        {u"骏", 'J'},
        {u"喀", 'K'},
        {u"廓", 'K'},
        {u"垃", 'L'},
        {u"妈", 'M'},
        {u"拿", 'N'},
        {u"哦", 'O'},
        {u"沤", 'O'},
        {u"啪", 'P'},
        {u"期", 'Q'},
        {u"然", 'R'},
        {u"撒", 'S'},
        {u"塌", 'T'},
        {u"挖", 'W'},
        {u"昔", 'X'},
        {u"压", 'Y'},
        {u"匝", 'Z'},
        // X continues past 0xD188 up to 0xD1B8.
        {u"选", 'X'},
        {u"学", 'X'},
        {u"雪", 'X'},
        {u"寻", 'X'},
        {u"迅", 'X'},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        QVERIFY2(PinyinInitial(text) == QChar(QLatin1Char(c.letter)), qPrintable(text));
    }
    QCOMPARE(shoupai::gbk::encode(QStringLiteral("学")), QByteArray("\xD1\xA7"));
    QCOMPARE(PinyinInitial(QByteArray("\xD1\xB8")), QChar(u'X'));
    QCOMPARE(PinyinInitial(QByteArray("\xD1\xB9")), QChar(u'Y'));
    QCOMPARE(PinyinInitial(QByteArray("\xB0\xA0")), QChar());
    QCOMPARE(PinyinInitial(QByteArray("\xB0\xA1")), QChar(u'A'));
    QCOMPARE(PinyinInitial(QByteArray("\xD7\xF9")), QChar(u'Z'));
    QCOMPARE(PinyinInitial(QByteArray("\xD7\xFA")), QChar());
}

void TestPinyin::onlyFirstLevelCodesHaveLetters()
{
    // Second level (sorted by radical), symbols, full-width letters.
    QCOMPARE(PinyinInitial(QStringLiteral("亍")), QChar()); // D8A1
    QCOMPARE(PinyinInitial(QStringLiteral("，")), QChar());
    QCOMPARE(PinyinInitial(QStringLiteral("Ａ")), QChar());
    // A GBK extension character whose lead byte falls among the first level
    // but whose trail byte is no GB2312 code: the reading order does not hold.
    const QString extension = shoupai::gbk::decode(QByteArray("\xB1\x40"));
    QCOMPARE(shoupai::gbk::encode(extension), QByteArray("\xB1\x40"));
    QCOMPARE(PinyinInitial(extension), QChar());
    QCOMPARE(PinyinInitial(QByteArray("\xB1\x40")), QChar());
    // Outside GBK altogether (four bytes in GB18030).
    QCOMPARE(PinyinInitial(QStringLiteral("😀")), QChar());

    // Every first-level character has a letter, and the letters run A to Z in order.
    char previous = 'A';
    for (int lead = 0xB0; lead <= 0xD7; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            if (lead == 0xD7 && trail > 0xF9)
                break;
            QByteArray key;
            key.append(char(lead)).append(char(trail));
            const QChar letter = PinyinInitial(key);
            QVERIFY2(!letter.isNull(), key.toHex().constData());
            QVERIFY2(letter.toLatin1() >= previous, key.toHex().constData());
            QVERIFY(letter != u'I' && letter != u'U' && letter != u'V');
            previous = letter.toLatin1();
        }
    }
    QCOMPARE(previous, 'Z');
}

void TestPinyin::initialsStepByCharacter()
{
    QCOMPARE(PinyinInitials(QStringLiteral("洗发水")), QStringLiteral("XFS"));
    // A one-byte character does not shift the pairing of what follows.
    QCOMPARE(PinyinInitials(QStringLiteral("A洗发水")), QStringLiteral("AXFS"));
    QCOMPARE(PinyinInitials(QStringLiteral("vip洗头")), QStringLiteral("VIPXT"));
    // Digits, blanks, symbols, second-level and non-GBK characters give nothing.
    QCOMPARE(PinyinInitials(QStringLiteral("1号 包厢（大）")), QStringLiteral("HBXD"));
    QCOMPARE(PinyinInitials(QStringLiteral("亍学")), QStringLiteral("X"));
    QCOMPARE(PinyinInitials(QStringLiteral("😀学生")), QStringLiteral("XS"));
    QCOMPARE(PinyinInitials(QString()), QString());
    QCOMPARE(PinyinInitials(QStringLiteral("ａ学")), QStringLiteral("X"));
}

QTEST_APPLESS_MAIN(TestPinyin)
#include "tst_pinyin.moc"
