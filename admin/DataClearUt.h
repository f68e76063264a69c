#pragma once

#include <QDialog>

class QCheckBox;

namespace shoupai {

class Session;

// "数据初始化": empties chosen record tables after the clearing password and a question.
class TDataClearFm : public QDialog
{
    Q_OBJECT
public:
    explicit TDataClearFm(Session& session, QWidget* parent = nullptr);

    // "清理"
    void clear();

    QCheckBox* wagesBox() const { return m_wages; }
    QCheckBox* businessBox() const { return m_business; }
    QCheckBox* rechargesBox() const { return m_recharges; }
    QCheckBox* goodsBox() const { return m_goods; }
    QCheckBox* purchasesBox() const { return m_purchases; }

private:
    Session& m_session;
    QCheckBox* m_wages = nullptr;
    QCheckBox* m_business = nullptr;
    QCheckBox* m_recharges = nullptr;
    QCheckBox* m_goods = nullptr;
    QCheckBox* m_purchases = nullptr;
};

} // namespace shoupai
