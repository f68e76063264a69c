#pragma once

#include <QDialog>

class QLabel;

namespace shoupai {

class Session;
class TagBoard;

// "手牌状态": frees, reserves or retires the tag selected on the board.
class TSpStatusFm : public QDialog
{
    Q_OBJECT
public:
    TSpStatusFm(Session& session, TagBoard& board, QWidget* parent = nullptr);

    // "变为可用", "变为预定", "变为停用".
    void MakeFree();
    void MakeReserved();
    void MakeOutOfUse();

    QString tag() const { return m_tag; }
    // The state as read on opening, or re-read after a refusal.
    QString shownState() const { return m_state; }

private:
    void change(const QString& newState);
    void readState();

    Session& m_session;
    TagBoard& m_board;
    QString m_tag;
    QString m_state;
    QLabel* m_tagValue = nullptr;
    QLabel* m_stateValue = nullptr;
};

} // namespace shoupai
