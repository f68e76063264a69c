#include "billing/AddConsumeUt.h"

#include "app/Session.h"
#include "floor/TagBoard.h"

namespace shoupai {

TAddConsumeFm::TAddConsumeFm(Session& session, TagBoard& board, QWidget* parent)
    : QDialog(parent), m_session(session), m_board(board)
{
    setObjectName(QStringLiteral("TAddConsumeFm"));
    setWindowTitle(QStringLiteral("消费"));
}

} // namespace shoupai
