#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <random>

namespace shoupai {
class Database;
}

namespace shoupai::test {

// What one workstation did in a soak. A refusal is an answer the program gives
// an operator (tag taken, group changed, balance too low, ...); an error is an
// exception or a database failure nobody asked for.
struct SoakCounts
{
    qint64 ops = 0;
    qint64 refusals = 0;
    qint64 errors = 0;
    qint64 postings = 0;
    qint64 millis = 0;             // how long the mix ran; the longest when counts are added up
    QMap<QString, qint64> done;    // per kind of command
    QMap<QString, qint64> refused; // per kind of command
    QStringList errorTexts;        // the first few, for the report

    // The "WORKER <name> <n>" lines a worker process prints, and back.
    QStringList toLines() const;
    void addLine(const QString& line);
};

// One workstation's cashier: a seeded random mix of the venue's daily commands
// through the units the screens call, each reading the database afresh as a
// screen does when it opens.
class SoakWorker
{
public:
    SoakWorker(Database& database, const QString& operatorName, quint32 seed);

    // Runs until `seconds` have passed or `maxOps` commands were made, pausing
    // 0 to 2 x thinkMs between commands as an operator does.
    SoakCounts run(int seconds, qint64 maxOps, int thinkMs);

private:
    enum class Answer
    {
        Done,
        Refused
    };
    struct OpenTag
    {
        QString tag;
        QString mainTag;
    };

    Answer openGroup();
    Answer addLine();
    Answer joinGroups();
    Answer leaveGroup();
    Answer checkOut(bool byCard);
    Answer reverse();
    Answer recharge();
    Answer purchase();
    Answer payCommission();

    QList<OpenTag> openTags() const;
    QString someMember();
    int below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(m_random); }
    bool chance(int percent) { return below(100) < percent; }

    Database& m_database;
    QString m_operator;
    std::mt19937 m_random;
    QStringList m_tags;
    QStringList m_members;
    QList<qint64> m_goods;
    QList<qint64> m_stockGoods;
    QStringList m_staff;
};

} // namespace shoupai::test
