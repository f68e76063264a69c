#pragma once

#include <QDate>
#include <QDialog>

#include <functional>

class QLineEdit;
class QPlainTextEdit;

namespace shoupai {

class Session;

// "进货---": records a purchase of one catalogue item, found by its key.
class TXmAddRdFm : public QDialog
{
    Q_OBJECT
public:
    TXmAddRdFm(Session& session, qint64 goodsKey, QWidget* parent = nullptr);

    void Confirm(); // "确定"
    void setToday(std::function<QDate()> today) { m_today = std::move(today); }

    QLineEdit* nameBox() const { return m_name; }
    QLineEdit* initialsBox() const { return m_initials; }
    QLineEdit* unitPriceBox() const { return m_unitPrice; }
    QLineEdit* quantityBox() const { return m_quantity; }
    QLineEdit* totalBox() const { return m_total; }
    QLineEdit* stockBox() const { return m_stock; }
    QPlainTextEdit* remarkBox() const { return m_remark; }

private:
    void recompute();

    Session& m_session;
    qint64 m_goodsKey;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_initials = nullptr;
    QLineEdit* m_unitPrice = nullptr;
    QLineEdit* m_quantity = nullptr;
    QLineEdit* m_total = nullptr;
    QLineEdit* m_stock = nullptr;
    QPlainTextEdit* m_remark = nullptr;
    std::function<QDate()> m_today = [] { return QDate::currentDate(); };
};

} // namespace shoupai
