#pragma once

#include "common/ReportLayout.h"

#include <QDialog>

class QDateEdit;
class QListWidget;
class QMenu;

namespace shoupai {

class DataGrid;
class Session;
class TSalesChartFm;

// "营业项目统计": quantity and amount per goods name over a period.
class TItemCountFm : public QDialog
{
    Q_OBJECT
public:
    explicit TItemCountFm(Session& session, QWidget* parent = nullptr);

    // "统计" and a click on a type: the paid lines of the period per goods
    // name, of the chosen type unless "全部" or none is chosen. "从" after
    // "到" is refused and runs nothing.
    void FreshDate();
    QString chosenType() const;
    void PrintReport();
    void ExportToExcel();
    // Popup "图表": the chart screen on this period and type.
    TSalesChartFm* ShowChart();

    static ReportLayout itemReport();

    DataGrid* grid() const { return m_grid; }
    QDateEdit* fromDate() const { return m_from; }
    QDateEdit* toDate() const { return m_to; }
    QListWidget* typeList() const { return m_types; }
    QMenu* gridMenu() const { return m_menu; }

private:
    Session& m_session;
    DataGrid* m_grid = nullptr;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QListWidget* m_types = nullptr;
    QMenu* m_menu = nullptr;
};

} // namespace shoupai
