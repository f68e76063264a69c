#pragma once

#include <QDialog>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;

namespace shoupai {

class Session;

// "添加会员": a new member with the initial password.
class TMemberAddFm : public QDialog
{
    Q_OBJECT
public:
    explicit TMemberAddFm(Session& session, QWidget* parent = nullptr);

    // "保存": stores, says so and closes, or says why not and stays open.
    void Save();
    // "清空": ready for the next member; type and birth date stay.
    void Clear();
    // "写卡": puts the typed card number on the card, unless another member has it.
    void WriteCard();

    // The card number of the member saved last, or empty.
    QString savedCard() const { return m_saved; }

    QLineEdit* cardBox() const { return m_card; }
    QLineEdit* nameBox() const { return m_name; }
    QComboBox* typeBox() const { return m_type; }
    QComboBox* sexBox() const { return m_sex; }
    QDateEdit* birthBox() const { return m_birth; }
    QLineEdit* phoneBox() const { return m_phone; }
    QPlainTextEdit* remarkBox() const { return m_remark; }

private:
    Session& m_session;
    QString m_saved;
    QLineEdit* m_card = nullptr;
    QLineEdit* m_name = nullptr;
    QComboBox* m_type = nullptr;
    QComboBox* m_sex = nullptr;
    QDateEdit* m_birth = nullptr;
    QLineEdit* m_phone = nullptr;
    QPlainTextEdit* m_remark = nullptr;
};

} // namespace shoupai
