#pragma once

#include "common/ReportLayout.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLineEdit;

namespace shoupai {

class DataGrid;
class Session;

// "会员管理": the member list, with the add, edit and recharge screens and the member report.
class TMemberFm : public QDialog
{
    Q_OBJECT
public:
    explicit TMemberFm(Session& session, QWidget* parent = nullptr);

    // How the add, edit and recharge screens are run; tests drive them without an event loop.
    void setModalRunner(std::function<int(QDialog&)> runner) { m_runModal = std::move(runner); }

    void Add();
    void Change();
    void Delete();
    void Search();
    void Refresh();
    void ShowAll();
    void PrintReport();
    void Recharge();
    void ExportToExcel();
    static ReportLayout memberReport();

    DataGrid* grid() const { return m_grid; }
    QComboBox* columnBox() const { return m_column; }
    QLineEdit* searchBox() const { return m_search; }

private:
    void run(const QString& sql, const QVariantList& parameters, const QVariant& key);
    QVariant currentKey() const;
    void reselect(const QVariant& key);

    Session& m_session;
    DataGrid* m_grid = nullptr;
    QComboBox* m_column = nullptr;
    QLineEdit* m_search = nullptr;
    std::function<int(QDialog&)> m_runModal = [](QDialog& dialog) { return dialog.exec(); };
};

} // namespace shoupai
