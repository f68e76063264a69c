#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace shoupai {

// "请再次确认!": the amounts once more before a checkout is posted. One
// instance serves the whole run.
class TCheckOutInfoFm : public QDialog
{
    Q_OBJECT
public:
    explicit TCheckOutInfoFm(QWidget* parent = nullptr);

    // The run's instance, created on first use.
    static TCheckOutInfoFm& instance();

    void fill(const QString& receivable, const QString& received, const QString& cardDeduction);
    // Shows the texts modally; true for "确定".
    bool confirm(const QString& receivable, const QString& received, const QString& cardDeduction);

    QLabel* receivableLabel() const { return m_receivable; }
    QLabel* receivedLabel() const { return m_received; }
    QLabel* cardDeductionLabel() const { return m_cardDeduction; }
    QPushButton* confirmButton() const { return m_confirm; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    QLabel* m_receivable;
    QLabel* m_received;
    QLabel* m_cardDeduction;
    QPushButton* m_confirm;
    QPushButton* m_cancel;
};

} // namespace shoupai
