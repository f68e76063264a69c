#include "billing/CxJzJlUt.h"

#include "app/Session.h"
#include "floor/TagBoard.h"

namespace shoupai {

TCxJzJlFm::TCxJzJlFm(Session& session, TagBoard* board, QWidget* parent)
    : QDialog(parent), m_session(session), m_board(board)
{
    setObjectName(QStringLiteral("TCxJzJlFm"));
    setWindowTitle(QStringLiteral("历史账单查询"));
}

} // namespace shoupai
