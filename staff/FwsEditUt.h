#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace shoupai {

class Session;

// "员工": adds an employee, or changes the one with the given code.
class TFwsEditFm : public QDialog
{
    Q_OBJECT
public:
    TFwsEditFm(Session& session, const QString& code = {}, QWidget* parent = nullptr);

    // "保存": stores and closes, or says why not and stays open.
    void Save();
    // The code the employee has after saving.
    QString savedCode() const { return m_saved; }

    QLineEdit* codeBox() const { return m_code; }
    QLineEdit* nameBox() const { return m_name; }
    QComboBox* sexBox() const { return m_sex; }
    QComboBox* gradeBox() const { return m_grade; }
    QLineEdit* phoneBox() const { return m_phone; }
    QLineEdit* idBox() const { return m_id; }
    QPlainTextEdit* remarkBox() const { return m_remark; }

private:
    void loadEmployee();

    Session& m_session;
    QString m_original;
    QString m_saved;
    QLineEdit* m_code = nullptr;
    QLineEdit* m_name = nullptr;
    QComboBox* m_sex = nullptr;
    QComboBox* m_grade = nullptr;
    QLineEdit* m_phone = nullptr;
    QLineEdit* m_id = nullptr;
    QPlainTextEdit* m_remark = nullptr;
};

} // namespace shoupai
