#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace shoupai {

class Session;

// "包厢设置": adds a room type, or changes the one with the given name.
class TBaoXiangFm : public QDialog
{
    Q_OBJECT
public:
    TBaoXiangFm(Session& session, const QString& name = {}, QWidget* parent = nullptr);

    // "保存": stores and closes, or says why not and stays open.
    void Save();
    // The name the room type has after saving.
    QString savedName() const { return m_saved; }

    QLineEdit* nameBox() const { return m_name; }
    QLineEdit* natureBox() const { return m_nature; }
    QComboBox* billingBox() const { return m_billing; }
    QLineEdit* priceBox() const { return m_price; }
    QLineEdit* capacityBox() const { return m_capacity; }

private:
    void load();

    Session& m_session;
    QString m_original;
    QString m_saved;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_nature = nullptr;
    QComboBox* m_billing = nullptr;
    QLineEdit* m_price = nullptr;
    QLineEdit* m_capacity = nullptr;
};

} // namespace shoupai
