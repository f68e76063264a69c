#pragma once

#include <QDialog>

class QLineEdit;

namespace shoupai {

class Session;

// "更改密码": the logged-in operator changes the own password.
class TAdminChangePassFm : public QDialog
{
    Q_OBJECT
public:
    explicit TAdminChangePassFm(Session& session, QWidget* parent = nullptr);

    // "保存"
    void save();

    QLineEdit* oldField() const { return m_old; }
    QLineEdit* newField() const { return m_new; }
    QLineEdit* confirmField() const { return m_confirm; }

private:
    Session& m_session;
    QLineEdit* m_old = nullptr;
    QLineEdit* m_new = nullptr;
    QLineEdit* m_confirm = nullptr;
};

} // namespace shoupai
