#include "billing/CheckOutUt.h"

#include "app/Session.h"
#include "floor/TagBoard.h"

namespace shoupai {

TCheckOutFm::TCheckOutFm(Session& session, TagBoard& board, const QString& tag, QWidget* parent)
    : QDialog(parent), m_session(session), m_board(board), m_tag(tag)
{
    setObjectName(QStringLiteral("TCheckOutFm"));
    setWindowTitle(QStringLiteral("结帐"));
}

} // namespace shoupai
