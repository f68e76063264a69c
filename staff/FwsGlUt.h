#pragma once

#include "common/ReportLayout.h"

#include <QDialog>

#include <functional>

namespace shoupai {

class DataGrid;
class Session;

// "员工管理": the employee list, with the employee screen, the pay screen and the staff report.
class TFwsGlFm : public QDialog
{
    Q_OBJECT
public:
    explicit TFwsGlFm(Session& session, QWidget* parent = nullptr);

    // How the employee and pay screens are run; tests drive them without an event loop.
    void setModalRunner(std::function<int(QDialog&)> runner) { m_runModal = std::move(runner); }

    void Add();
    void Change();
    void Delete();
    void Refresh();
    void ShowAll();
    void PayWage();
    void PrintReport();
    static ReportLayout staffReport();

    DataGrid* grid() const { return m_grid; }

private:
    void run(const QString& sql, const QVariant& key);
    void reselect(const QVariant& key);

    Session& m_session;
    DataGrid* m_grid = nullptr;
    std::function<int(QDialog&)> m_runModal = [](QDialog& dialog) { return dialog.exec(); };
};

} // namespace shoupai
