#pragma once

#include <QDialog>

#include <optional>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace shoupai {

class Session;

// "修改": changes one catalogue item, found by its key.
class TXmEditFm : public QDialog
{
    Q_OBJECT
public:
    TXmEditFm(Session& session, qint64 key, QWidget* parent = nullptr);

    void Save();
    void CancelChanges(); // "取消修改": back to the values read on opening

    bool isReadOnly() const;
    QLineEdit* nameBox() const { return m_name; }
    QComboBox* typeBox() const { return m_type; }
    QLineEdit* priceBox() const { return m_price; }
    QComboBox* serviceBox() const { return m_service; }
    QLineEdit* codeBox() const { return m_code; }
    QLineEdit* commissionBox() const { return m_commission; }
    QLineEdit* stockBox() const { return m_stock; }
    QLineEdit* initialsBox() const { return m_initials; }
    QPushButton* saveButton() const { return m_save; }

private:
    bool load();

    Session& m_session;
    qint64 m_key;
    std::optional<qint64> m_loadedStock;
    QGroupBox* m_fields = nullptr;
    QLineEdit* m_name = nullptr;
    QComboBox* m_type = nullptr;
    QLineEdit* m_price = nullptr;
    QComboBox* m_service = nullptr;
    QLineEdit* m_code = nullptr;
    QLineEdit* m_commission = nullptr;
    QLineEdit* m_stock = nullptr;
    QLineEdit* m_initials = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace shoupai
