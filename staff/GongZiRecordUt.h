#pragma once

#include "common/ReportLayout.h"

#include <QDialog>

namespace shoupai {

class DataGrid;
class Session;
class StaffSearchBar;

// "员工工资表": the wage payments, searched by one column.
class TGongZiRecordFm : public QDialog
{
    Q_OBJECT
public:
    explicit TGongZiRecordFm(Session& session, QWidget* parent = nullptr);

    void Query();
    void PrintReport();
    static ReportLayout recordReport();

    DataGrid* grid() const { return m_grid; }
    StaffSearchBar* searchBar() const { return m_search; }

private:
    Session& m_session;
    DataGrid* m_grid = nullptr;
    StaffSearchBar* m_search = nullptr;
};

} // namespace shoupai
