#pragma once

#include <QDialog>

namespace shoupai {

class Session;
class TagBoard;

// "消费": the add-consumption screen; takes its tag from the board's shown tag.
class TAddConsumeFm : public QDialog
{
    Q_OBJECT
public:
    TAddConsumeFm(Session& session, TagBoard& board, QWidget* parent = nullptr);

private:
    Session& m_session;
    TagBoard& m_board;
};

} // namespace shoupai
