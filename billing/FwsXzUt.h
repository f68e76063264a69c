#pragma once

#include <QDialog>
#include <QString>

class QKeyEvent;
class QLineEdit;
class QPushButton;

namespace shoupai {

class Database;
class DataGrid;

// "选择服务生": picks the employee who served a line.
class TFwsXzFm : public QDialog
{
    Q_OBJECT
public:
    enum class Outcome
    {
        Closed,
        Chosen,
        Cancelled
    };

    explicit TFwsXzFm(Database& database, QWidget* parent = nullptr);

    Outcome outcome() const { return m_outcome; }
    QString employeeNumber() const { return m_number; }
    QString employeeName() const { return m_name; }

    void showAll();
    void searchByName(const QString& text);
    void searchByNumber(const QString& text);
    // "选择": takes the list's current row; nothing without one.
    void choose();
    // "取消"
    void cancelChoice();

    DataGrid* grid() const { return m_grid; }
    QLineEdit* nameEdit() const { return m_nameEdit; }
    QLineEdit* numberEdit() const { return m_numberEdit; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showRows(const QString& where, const QVariantList& values);

    Database& m_database;
    DataGrid* m_grid;
    QLineEdit* m_nameEdit;
    QLineEdit* m_numberEdit;
    Outcome m_outcome = Outcome::Closed;
    QString m_number;
    QString m_name;
};

} // namespace shoupai
