#pragma once

#include <QDate>
#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;

namespace shoupai {

class Session;

// "增加消费项目": a new catalogue item and, for a stock type, its opening stock.
class TXmAddFm : public QDialog
{
    Q_OBJECT
public:
    explicit TXmAddFm(Session& session, QWidget* parent = nullptr);

    // Shows the quantity and purchase price only for a type that keeps stock.
    void ShowNumItem();
    void Save();

    bool stockShown() const { return m_stockShown; }
    qint64 savedKey() const { return m_savedKey; }
    void setToday(std::function<QDate()> today) { m_today = std::move(today); }

    QLineEdit* nameBox() const { return m_name; }
    QComboBox* typeBox() const { return m_type; }
    QLineEdit* priceBox() const { return m_price; }
    QComboBox* serviceBox() const { return m_service; }
    QLineEdit* codeBox() const { return m_code; }
    QLineEdit* commissionBox() const { return m_commission; }
    QLineEdit* quantityBox() const { return m_quantity; }
    QLineEdit* purchasePriceBox() const { return m_purchasePrice; }
    QLineEdit* initialsBox() const { return m_initials; }

private:
    Session& m_session;
    QLineEdit* m_name = nullptr;
    QComboBox* m_type = nullptr;
    QLineEdit* m_price = nullptr;
    QComboBox* m_service = nullptr;
    QLineEdit* m_code = nullptr;
    QLineEdit* m_commission = nullptr;
    QLineEdit* m_quantity = nullptr;
    QLineEdit* m_purchasePrice = nullptr;
    QLineEdit* m_initials = nullptr;
    QLabel* m_quantityLabel = nullptr;
    QLabel* m_purchasePriceLabel = nullptr;
    bool m_stockShown = false;
    qint64 m_savedKey = 0;
    std::function<QDate()> m_today = [] { return QDate::currentDate(); };
};

} // namespace shoupai
