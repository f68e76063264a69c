#pragma once

#include <QDialog>

namespace shoupai {

class Session;
class TagBoard;

// "历史账单查询": stored bills, reprint and reversal. board may be null (tests).
class TCxJzJlFm : public QDialog
{
    Q_OBJECT
public:
    TCxJzJlFm(Session& session, TagBoard* board, QWidget* parent = nullptr);

private:
    Session& m_session;
    TagBoard* m_board;
};

} // namespace shoupai
