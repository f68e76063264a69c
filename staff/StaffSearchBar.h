#pragma once

#include <QStringList>
#include <QWidget>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace shoupai {

// The column selector (free text accepted), the value box and the buttons of
// the commission detail and the wage records.
class StaffSearchBar : public QWidget
{
    Q_OBJECT
public:
    StaffSearchBar(const QString& leadText, const QStringList& columns, const QString& between,
                   QWidget* parent);

    QString column() const;
    QString value() const;

    QComboBox* selector() const { return m_selector; }
    QLineEdit* valueBox() const { return m_value; }

signals:
    void queryRequested();
    void printRequested();
    void closeRequested();

private:
    QComboBox* m_selector = nullptr;
    QLineEdit* m_value = nullptr;
};

} // namespace shoupai
