#pragma once

#include <QDateTime>
#include <QDialog>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;

namespace shoupai {

class Session;

// "会员资料修改": changes the typed columns of one member.
class TMemberEditFm : public QDialog
{
    Q_OBJECT
public:
    TMemberEditFm(Session& session, const QString& card, QWidget* parent = nullptr);

    // "保存": stores and closes, or says why not and stays open.
    void Save();
    void WriteCard();

    // The card number the member has after saving.
    QString savedCard() const { return m_saved; }

    QLineEdit* cardBox() const { return m_card; }
    QLineEdit* nameBox() const { return m_name; }
    QComboBox* sexBox() const { return m_sex; }
    QComboBox* typeBox() const { return m_type; }
    QLineEdit* balanceBox() const { return m_balance; }
    QLineEdit* pointsBox() const { return m_points; }
    QLineEdit* stateBox() const { return m_state; }
    QDateEdit* birthBox() const { return m_birth; }
    QDateEdit* registeredBox() const { return m_registered; }
    QLineEdit* phoneBox() const { return m_phone; }
    QPlainTextEdit* remarkBox() const { return m_remark; }

private:
    void load();
    // The moment to store: the one read while the picker still shows its day.
    static QDateTime picked(const QDateEdit* picker, const QDateTime& loaded, const QDate& shown);

    Session& m_session;
    QString m_original;
    QString m_saved;
    QDateTime m_birthLoaded, m_registeredLoaded;
    QDate m_birthShown, m_registeredShown;
    QLineEdit* m_card = nullptr;
    QLineEdit* m_name = nullptr;
    QComboBox* m_sex = nullptr;
    QComboBox* m_type = nullptr;
    QLineEdit* m_balance = nullptr;
    QLineEdit* m_points = nullptr;
    QLineEdit* m_state = nullptr;
    QDateEdit* m_birth = nullptr;
    QDateEdit* m_registered = nullptr;
    QLineEdit* m_phone = nullptr;
    QPlainTextEdit* m_remark = nullptr;
};

} // namespace shoupai
