#pragma once

#include "common/EditModes.h"

#include <QDialog>

#include <optional>

class QLineEdit;

namespace shoupai {

class DataGrid;
class Session;

// "会员类型": the member types; typing in the fields changes the current one.
class TMemBerTypeFm : public QDialog
{
    Q_OBJECT
public:
    explicit TMemBerTypeFm(Session& session, QWidget* parent = nullptr);

    void Add();
    void Save();
    void Cancel();
    void Delete();

    DataGrid* grid() const { return m_grid; }
    QLineEdit* nameBox() const { return m_name; }
    QLineEdit* pointsBox() const { return m_points; }
    QLineEdit* rateBox() const { return m_rate; }
    EditModes::Mode mode() const { return m_modes.mode(); }

public slots:
    // Leaving goes through "退出" only, and not while a change is pending.
    void reject() override;

private:
    void reload(const QVariant& key = {});
    void showCurrent();
    void startChange();

    Session& m_session;
    DataGrid* m_grid = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_points = nullptr;
    QLineEdit* m_rate = nullptr;
    EditModes m_modes;
    std::optional<qint64> m_editing;
};

} // namespace shoupai
