#pragma once

#include "common/ReportLayout.h"

#include <QDialog>

namespace shoupai {

class DataGrid;
class Session;
class StaffSearchBar;

// "服务生提成明细": the posted lines with their commission, searched by one column.
class TFwsTcMxFm : public QDialog
{
    Q_OBJECT
public:
    explicit TFwsTcMxFm(Session& session, QWidget* parent = nullptr);

    void Query();
    void PrintReport();
    static ReportLayout detailReport();

    DataGrid* grid() const { return m_grid; }
    StaffSearchBar* searchBar() const { return m_search; }

private:
    Session& m_session;
    DataGrid* m_grid = nullptr;
    StaffSearchBar* m_search = nullptr;
};

} // namespace shoupai
