#pragma once

#include "common/ReportLayout.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;

namespace shoupai {

class DataGrid;
class Session;

// "消费查询": the tags in use and the lines of their open bills.
class TXfCxFm : public QDialog
{
    Q_OBJECT
public:
    explicit TXfCxFm(Session& session, QWidget* parent = nullptr);

    // Lists the occupied tags as the board orders them and shows the first.
    void LoadTags();
    // The bill whose main tag is `tag`: every line of the group, and its total.
    // A tag without lines shows an empty grid and "0".
    void ShowBill(const QString& tag);
    // Enter in "查找手牌".
    void FindTag();
    void PrintReport();
    void ExportToExcel();

    static ReportLayout consumptionReport();

    DataGrid* grid() const { return m_grid; }
    QListWidget* tagList() const { return m_tags; }
    QLineEdit* findField() const { return m_find; }
    QLabel* tagValue() const { return m_tag; }
    QLabel* totalValue() const { return m_total; }

private:
    Session& m_session;
    DataGrid* m_grid = nullptr;
    QListWidget* m_tags = nullptr;
    QLineEdit* m_find = nullptr;
    QLabel* m_tag = nullptr;
    QLabel* m_total = nullptr;
};

} // namespace shoupai
