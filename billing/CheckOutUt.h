#pragma once

#include "billing/Receipt.h"
#include "platform/Money.h"

#include <QDialog>
#include <QString>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace shoupai {

class DataGrid;
class Session;
class TagBoard;
class TCheckOutInfoFm;

// "顾客结帐": the checkout screen for the group of one tag.
class TCheckOutFm : public QDialog
{
    Q_OBJECT
public:
    TCheckOutFm(Session& session, TagBoard& board, const QString& tag, QWidget* parent = nullptr);

    // Reads the open bill and the group, resets the line totals and totals them.
    // False when the tag has no open bill.
    bool load();
    // Totals of the group at list price.
    void JiSuan();
    // Applies the rate field's rate; false when the rate is refused.
    bool DaZheHs();
    // Enter in the card number field: finds the member, prefills the default password.
    bool ChaHuiYuan();
    // Enter in the password field: identifies the member and applies the type's rate.
    bool ChaHuiYuanMiMa();
    // Splits the receivable for the chosen payment mode.
    void ZhiFuHs();
    // "添加": asks for a tag and brings its open bill into the group.
    bool TianJiaHs();
    // "删除": takes the group list's selected tag out of the group.
    bool ShanChuHs();
    // "读卡"
    void DuKaHs();
    // "结帐[F2]" and "免单[F3]"; true when the bill was stored (the screen then closes).
    bool JieZhang();
    bool MianDan();
    // Stores the bill with the state "已结" or "免单"; true when stored.
    bool JieZhangHs(const QString& state);
    // "打印[F1]"
    void DaYinHs();
    // The receipt as the screen's values make it.
    CheckoutReceipt receiptValues() const;

    // Tests answer the confirmation screen here instead of an operator.
    void setConfirmHook(std::function<bool(TCheckOutInfoFm&)> hook)
    {
        m_confirmHook = std::move(hook);
    }

    QString tag() const { return m_tag; }
    QString mainTag() const { return m_mainTag; }
    QString billNumber() const;
    QString consumptionText() const;
    QString receivableText() const;
    QString cardDeductionText() const;
    QString memberCard() const;
    QString memberName() const;
    QString cardBalanceText() const;
    QString pointsText() const;
    QString guestName() const;
    QStringList groupTags() const;

    QLineEdit* cardEdit() const { return m_cardEdit; }
    QLineEdit* passwordEdit() const { return m_passwordEdit; }
    QLineEdit* rateEdit() const { return m_rateEdit; }
    QLineEdit* receivedEdit() const { return m_receivedEdit; }
    QComboBox* paymentModeBox() const { return m_paymentMode; }
    QListWidget* groupList() const { return m_groupList; }
    QPlainTextEdit* remarkEdit() const { return m_remark; }
    QPushButton* readCardButton() const { return m_readCard; }
    QRadioButton* previewButton() const { return m_preview; }
    DataGrid* linesGrid() const { return m_lines; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void resetMember();
    void reloadLines();
    void showReceivable(Money receivable);
    void afterReceivableChanged();
    bool identified() const;
    bool post(const QString& state);

    Session& m_session;
    TagBoard& m_board;
    QString m_tag;
    QString m_mainTag;
    QString m_entryTime;
    QString m_provisionalNumber;
    Money m_consumption;
    Money m_receivable;
    Money m_cardDeduction;
    int m_lineCount = 0; // what the shown totals were computed from
    Money m_linesTotal;
    Money m_balance;
    Money m_points;
    bool m_loaded = false;
    std::function<bool(TCheckOutInfoFm&)> m_confirmHook;

    QLabel* m_billNumber;
    QLabel* m_tagLabel;
    QLabel* m_guestName;
    QLabel* m_deposit;
    QLabel* m_entryTimeLabel;
    QLineEdit* m_cardEdit;
    QLineEdit* m_passwordEdit;
    QPushButton* m_readCard;
    QLabel* m_memberCard;
    QLabel* m_memberName;
    QLabel* m_memberType;
    QLabel* m_balanceLabel;
    QLabel* m_pointsLabel;
    QListWidget* m_groupList;
    DataGrid* m_lines;
    QLineEdit* m_rateEdit;
    QLabel* m_consumptionLabel;
    QLabel* m_receivableLabel;
    QComboBox* m_paymentMode;
    QLabel* m_cardDeductionLabel;
    QLineEdit* m_receivedEdit;
    QPlainTextEdit* m_remark;
    QRadioButton* m_preview;
    QRadioButton* m_direct;
};

} // namespace shoupai
