#include "billing/PosPrtSetUt.h"

#include "app/Session.h"

namespace shoupai {

TPosPrtSetFm::TPosPrtSetFm(Session& session, QWidget* parent) : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TPosPrtSetFm"));
    setWindowTitle(QStringLiteral("Pos打印机设置"));
}

} // namespace shoupai
