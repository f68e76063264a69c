#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace shoupai {

class Session;

// "手牌信息": changes one tag, named by its number.
class TSpEditFm : public QDialog
{
    Q_OBJECT
public:
    TSpEditFm(Session& session, const QString& tag, QWidget* parent = nullptr);

    // "保存": stores and closes, or says why not and stays open.
    void Save();
    // The tag's number after saving.
    QString savedNumber() const { return m_saved; }

    QLineEdit* numberBox() const { return m_number; }
    QComboBox* roomBox() const { return m_room; }
    QComboBox* stateBox() const { return m_state; }
    QLineEdit* sortKeyBox() const { return m_sortKey; }

private:
    void load();

    Session& m_session;
    QString m_original;
    QString m_saved;
    QLineEdit* m_number = nullptr;
    QComboBox* m_room = nullptr;
    QComboBox* m_state = nullptr;
    QLineEdit* m_sortKey = nullptr;
};

} // namespace shoupai
