#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace shoupai {

class Session;

// "会员充值": tops up the balance of the member the list shows.
class TChongZhiFm : public QDialog
{
    Q_OBJECT
public:
    TChongZhiFm(Session& session, const QString& card, QWidget* parent = nullptr);

    // "充值"
    void Recharge();
    bool recharged() const { return m_recharged; }

    QLineEdit* cardBox() const { return m_card; }
    QLineEdit* balanceBox() const { return m_balance; }
    QLineEdit* nameBox() const { return m_name; }
    QLineEdit* typeBox() const { return m_type; }
    QLineEdit* amountBox() const { return m_amount; }
    QCheckBox* negativeBox() const { return m_negative; }
    QPlainTextEdit* remarkBox() const { return m_remark; }
    QLabel* operatorLabel() const { return m_operator; }

private:
    Session& m_session;
    bool m_recharged = false;
    QLineEdit* m_card = nullptr;
    QLineEdit* m_balance = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_type = nullptr;
    QLineEdit* m_amount = nullptr;
    QCheckBox* m_negative = nullptr;
    QPlainTextEdit* m_remark = nullptr;
    QLabel* m_operator = nullptr;
};

} // namespace shoupai
