#pragma once

#include <QDialog>

class QLineEdit;

namespace shoupai {

class Session;

// "系统信息设置": the shop's name, telephone and address printed on receipts.
class TSysInfoFm : public QDialog
{
    Q_OBJECT
public:
    explicit TSysInfoFm(Session& session, QWidget* parent = nullptr);

    // Reads the stored row into the fields (empty fields for an empty table).
    void load();
    // "保存": refuses an empty field, else stores the row and closes. Returns success.
    bool save();

    QLineEdit* nameBox() const { return m_name; }
    QLineEdit* telBox() const { return m_tel; }
    QLineEdit* addressBox() const { return m_address; }

private:
    QLineEdit* field(const QString& name, const QString& label);

    Session& m_session;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_tel = nullptr;
    QLineEdit* m_address = nullptr;
};

} // namespace shoupai
