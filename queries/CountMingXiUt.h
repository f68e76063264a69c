#pragma once

#include "common/ReportLayout.h"
#include "queries/LineSearch.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QTimeEdit;

namespace shoupai {

class DataGrid;
class Session;

// "历史账单消费明细": the stored bill lines, searched by column, time and status.
class TCountMingXiFm : public QDialog
{
    Q_OBJECT
public:
    explicit TCountMingXiFm(Session& session, QWidget* parent = nullptr);

    // The opening view: today's paid lines, today's revenue and their number.
    void FreshDate();
    // "检索": the lines the chosen conditions select; none lists every line.
    void Search();
    // The search the controls describe, as "检索" runs it.
    LineSearch criteria() const;
    void PrintReport();
    void ExportToExcel();

    static ReportLayout linesReport();

    DataGrid* grid() const { return m_grid; }
    QCheckBox* timedBox() const { return m_timed; }
    QDateEdit* fromDate() const { return m_fromDate; }
    QTimeEdit* fromTime() const { return m_fromTime; }
    QDateEdit* toDate() const { return m_toDate; }
    QTimeEdit* toTime() const { return m_toTime; }
    QComboBox* columnField() const { return m_column; }
    QLineEdit* valueField() const { return m_value; }
    QComboBox* stateField() const { return m_state; }
    QLabel* revenueValue() const { return m_revenue; }
    QLabel* countValue() const { return m_count; }

private:
    void enableTimes(bool enabled);

    Session& m_session;
    DataGrid* m_grid = nullptr;
    QCheckBox* m_timed = nullptr;
    QDateEdit* m_fromDate = nullptr;
    QTimeEdit* m_fromTime = nullptr;
    QDateEdit* m_toDate = nullptr;
    QTimeEdit* m_toTime = nullptr;
    QComboBox* m_column = nullptr;
    QLineEdit* m_value = nullptr;
    QComboBox* m_state = nullptr;
    QLabel* m_revenue = nullptr;
    QLabel* m_count = nullptr;
};

} // namespace shoupai
