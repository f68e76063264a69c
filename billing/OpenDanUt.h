#pragma once

#include <QDialog>

namespace shoupai {

class Session;
class TagBoard;

// "顾客开单": the open-bill screen; takes the main tag and room type from the board when shown.
class TOpenDanFm : public QDialog
{
    Q_OBJECT
public:
    TOpenDanFm(Session& session, TagBoard& board, QWidget* parent = nullptr);

private:
    Session& m_session;
    TagBoard& m_board;
};

} // namespace shoupai
