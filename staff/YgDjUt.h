#pragma once

#include "common/EditModes.h"

#include <QDialog>

#include <optional>

class QLineEdit;
class QPushButton;

namespace shoupai {

class DataGrid;
class Session;

// "员工等级": the grades and their base wages.
class TYgDjFm : public QDialog
{
    Q_OBJECT
public:
    explicit TYgDjFm(Session& session, QWidget* parent = nullptr);

    void Add();
    void Change();
    void Delete();
    void Save();
    void Cancel();

    EditModes::Mode mode() const { return m_modes.mode(); }
    DataGrid* grid() const { return m_grid; }
    QLineEdit* nameBox() const { return m_name; }
    QLineEdit* wageBox() const { return m_wage; }

    void reject() override; // Escape closes only while browsing

private:
    void reload(const QVariant& key = {});
    void showCurrent();

    Session& m_session;
    DataGrid* m_grid = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_wage = nullptr;
    EditModes m_modes;
    std::optional<qint64> m_editing;
};

} // namespace shoupai
