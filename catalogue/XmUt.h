#pragma once

#include "catalogue/GoodsItems.h"
#include "common/ReportLayout.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;

namespace shoupai {

class DataGrid;
class Session;

// "商品项目管理": the catalogue list, with the add, change and purchase screens.
class TXmFm : public QDialog
{
    Q_OBJECT
public:
    explicit TXmFm(Session& session, QWidget* parent = nullptr);

    // How the sub-screens are run; tests drive them without an event loop.
    void setModalRunner(std::function<int(QDialog&)> runner) { m_runModal = std::move(runner); }

    void Add();
    void Purchase();
    void Change();
    void Delete();
    void Refresh();
    void ShowAll();
    void Search();
    void PrintReport();
    void ExportExcel();
    static ReportLayout catalogueReport();

    DataGrid* grid() const { return m_grid; }
    QLineEdit* searchBox() const { return m_search; }

private:
    void run(const GoodsStatement& statement, const QVariant& key);
    void reselect(const QVariant& key);
    QVariant currentKey() const;

    Session& m_session;
    DataGrid* m_grid = nullptr;
    QLineEdit* m_search = nullptr;
    QPushButton* m_find = nullptr;
    std::function<int(QDialog&)> m_runModal = [](QDialog& dialog) { return dialog.exec(); };
};

} // namespace shoupai
