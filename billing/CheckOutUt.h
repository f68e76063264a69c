#pragma once

#include <QDialog>
#include <QString>

namespace shoupai {

class Session;
class TagBoard;

// "结帐": the checkout screen for the group of one tag.
class TCheckOutFm : public QDialog
{
    Q_OBJECT
public:
    TCheckOutFm(Session& session, TagBoard& board, const QString& tag, QWidget* parent = nullptr);

private:
    Session& m_session;
    TagBoard& m_board;
    QString m_tag;
};

} // namespace shoupai
