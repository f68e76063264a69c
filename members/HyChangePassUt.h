#pragma once

#include <QDialog>

class QLineEdit;

namespace shoupai {

class Session;

// "会员更改密码": a member changes the password checkout asks for, or an
// operator resets it to the initial one.
class THYChangePassFm : public QDialog
{
    Q_OBJECT
public:
    explicit THYChangePassFm(Session& session, QWidget* parent = nullptr);

    // "保存"
    void Save();
    // "密码重置"
    void Reset();

    QLineEdit* cardBox() const { return m_card; }
    QLineEdit* oldBox() const { return m_old; }
    QLineEdit* newBox() const { return m_new; }
    QLineEdit* confirmBox() const { return m_confirm; }

private:
    Session& m_session;
    QLineEdit* m_card = nullptr;
    QLineEdit* m_old = nullptr;
    QLineEdit* m_new = nullptr;
    QLineEdit* m_confirm = nullptr;
};

} // namespace shoupai
