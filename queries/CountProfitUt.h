#pragma once

#include "common/ReportLayout.h"

#include <QDialog>

class QDateEdit;
class QLabel;
class QMenu;

namespace shoupai {

class DataGrid;
class Session;
class TSalesChartFm;

// "统计利润": the paid bills of a period, their number and the revenue.
class TCountProfitFm : public QDialog
{
    Q_OBJECT
public:
    explicit TCountProfitFm(Session& session, QWidget* parent = nullptr);

    // "统计": lists the period's paid bills and shows their number and the
    // revenue. "从" after "到" is refused and runs nothing.
    void FreshDate();
    void PrintReport();
    void ExportToExcel();
    // Popup "图表": the chart screen on this period.
    TSalesChartFm* ShowChart();

    static ReportLayout profitReport();

    DataGrid* grid() const { return m_grid; }
    QDateEdit* fromDate() const { return m_from; }
    QDateEdit* toDate() const { return m_to; }
    QLabel* countValue() const { return m_count; }
    QLabel* revenueValue() const { return m_revenue; }
    QMenu* gridMenu() const { return m_menu; }

private:
    Session& m_session;
    DataGrid* m_grid = nullptr;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QLabel* m_count = nullptr;
    QLabel* m_revenue = nullptr;
    QMenu* m_menu = nullptr;
};

} // namespace shoupai
