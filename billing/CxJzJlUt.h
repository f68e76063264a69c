#pragma once

#include "common/ReportLayout.h"

#include <QDate>
#include <QDialog>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QMenu;
class QPushButton;

namespace shoupai {

class DataGrid;
class Session;
class TagBoard;

// "历史账单查询": stored bills, reprint and reversal. board may be null (tests).
class TCxJzJlFm : public QDialog
{
    Q_OBJECT
public:
    TCxJzJlFm(Session& session, TagBoard* board, QWidget* parent = nullptr);

    // Every stored bill by checkout time, as on showing.
    void ShowAll();
    // "查询": the bills whose chosen column holds the text: text columns contain
    // it, amounts equal it, date-times lie on that day. A typed name that is no
    // column of 结帐管理, or a value the column cannot hold, is refused and runs nothing.
    void Search();
    // "日期统计": bills checked out on the days from "从" to "到", of the
    // chosen state unless "全部". "从" after "到" is refused.
    void DateRange();
    // "打印当前账单": the reprint receipt of the current bill to the POS printer.
    void BuDaHs();
    // "打印全部记录": the listed bills in the records report.
    void PrintAll();
    // "Excel": every column of the listed bills into a workbook.
    void ExportToExcel();
    // "撤销结帐": reopens the current bill on its tag after asking.
    void CheXiaoHs();

    // The A4 report of "打印全部记录".
    static ReportLayout recordsReport();

    DataGrid* grid() const { return m_grid; }
    QComboBox* columnField() const { return m_column; }
    QLineEdit* textField() const { return m_text; }
    QDateEdit* fromDate() const { return m_from; }
    QDateEdit* toDate() const { return m_to; }
    QComboBox* stateField() const { return m_state; }
    QMenu* gridMenu() const { return m_menu; }

private:
    void buildControls();
    void list(const QString& statement, const QVariantList& parameters);
    QPushButton* button(const QString& caption, const QString& name);

    Session& m_session;
    TagBoard* m_board;
    DataGrid* m_grid = nullptr;
    QComboBox* m_column = nullptr;
    QLineEdit* m_text = nullptr;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QComboBox* m_state = nullptr;
    QMenu* m_menu = nullptr;
};

} // namespace shoupai
