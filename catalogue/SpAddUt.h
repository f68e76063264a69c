#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace shoupai {

class Session;

// "批量添加手牌": a run of numbered tags in one room type.
class TSpAddFm : public QDialog
{
    Q_OBJECT
public:
    // roomType: the room type the list starts on (the setup screen's current one).
    TSpAddFm(Session& session, const QString& roomType = {}, QWidget* parent = nullptr);

    // "保存": adds the whole run and closes, or says why not and stays open.
    void Save();
    // The first tag of the stored run.
    QString firstTag() const { return m_first; }

    QLineEdit* markerBox() const { return m_marker; }
    QRadioButton* beforeButton() const { return m_before; }
    QRadioButton* afterButton() const { return m_after; }
    QLineEdit* startBox() const { return m_start; }
    QLineEdit* endBox() const { return m_end; }
    QComboBox* roomBox() const { return m_room; }

private:
    Session& m_session;
    QString m_first;
    QLineEdit* m_marker = nullptr;
    QRadioButton* m_before = nullptr;
    QRadioButton* m_after = nullptr;
    QLineEdit* m_start = nullptr;
    QLineEdit* m_end = nullptr;
    QComboBox* m_room = nullptr;
};

} // namespace shoupai
