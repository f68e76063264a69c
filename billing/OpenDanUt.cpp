#include "billing/OpenDanUt.h"

#include "app/Session.h"
#include "floor/TagBoard.h"

namespace shoupai {

TOpenDanFm::TOpenDanFm(Session& session, TagBoard& board, QWidget* parent)
    : QDialog(parent), m_session(session), m_board(board)
{
    setObjectName(QStringLiteral("TOpenDanFm"));
    setWindowTitle(QStringLiteral("顾客开单"));
}

} // namespace shoupai
