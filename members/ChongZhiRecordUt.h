#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace shoupai {

class DataGrid;
class Session;

// "充值记录查询": the recharge records, searched by one column.
class TChongZhiRecordFm : public QDialog
{
    Q_OBJECT
public:
    explicit TChongZhiRecordFm(Session& session, QWidget* parent = nullptr);

    // "查询"
    void Query();

    DataGrid* grid() const { return m_grid; }
    QComboBox* columnBox() const { return m_column; }
    QLineEdit* searchBox() const { return m_search; }

private:
    Session& m_session;
    DataGrid* m_grid = nullptr;
    QComboBox* m_column = nullptr;
    QLineEdit* m_search = nullptr;
};

} // namespace shoupai
