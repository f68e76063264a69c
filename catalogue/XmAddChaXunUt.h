#pragma once

#include "common/ReportLayout.h"

#include <QDialog>

class QCheckBox;
class QDateEdit;
class QLineEdit;

namespace shoupai {

class DataGrid;
class Session;

// "进货表统计": the purchase records by name and by whole days.
class TXmAddChaXunFm : public QDialog
{
    Q_OBJECT
public:
    explicit TXmAddChaXunFm(Session& session, QWidget* parent = nullptr);

    void Query();
    void PrintReport();
    void ExportExcel();
    static ReportLayout purchaseReport();

    DataGrid* grid() const { return m_grid; }
    QLineEdit* nameBox() const { return m_name; }
    QCheckBox* byDateBox() const { return m_byDate; }
    QDateEdit* fromBox() const { return m_from; }
    QDateEdit* toBox() const { return m_to; }

private:
    Session& m_session;
    DataGrid* m_grid = nullptr;
    QLineEdit* m_name = nullptr;
    QCheckBox* m_byDate = nullptr;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
};

} // namespace shoupai
