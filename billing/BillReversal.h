#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

namespace shoupai {

class Database;

// Turns a stored bill back into an open bill on its tag ("撤销结帐"): the tag
// occupied again, the bill's lines open again on it, the member's card and
// points as before the checkout, the stored bill deleted. All of it happens in
// one transaction or not at all; the bill-number counter is left alone.
class BillReversal
{
public:
    enum class Status
    {
        Reversed,
        BillGone,        // another workstation reversed it meanwhile
        TagMissing,      // the tag is no longer in 手牌管理
        TagNotAvailable, // the tag is occupied, reserved or disabled
        CommissionPaid,  // a line's commission has been paid out
    };

    struct Outcome
    {
        Status status = Status::Reversed;
        QString message; // what the operator is told when refused; empty on success
        QString tag;
    };

    explicit BillReversal(Database& database) : m_database(database) {}

    // Reverses the 结帐管理 row with this id; the open bill gets `now` as its
    // entry time (the current time when invalid). Throws DatabaseError, having
    // changed nothing.
    Outcome reverse(qint64 headerId, const QDateTime& now = {});

private:
    Database& m_database;
};

} // namespace shoupai
