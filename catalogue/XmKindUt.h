#pragma once

#include "common/EditModes.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace shoupai {

class DataGrid;
class Session;

// "商品类型": the goods types, whether they keep stock, need service and take discounts.
class TXmKindFm : public QDialog
{
    Q_OBJECT
public:
    explicit TXmKindFm(Session& session, QWidget* parent = nullptr);

    void Add();
    void Change();
    void Delete();
    void Save();
    void Cancel();

    EditModes::Mode mode() const { return m_modes.mode(); }
    DataGrid* grid() const { return m_grid; }
    QLineEdit* nameBox() const { return m_name; }
    QCheckBox* stockBox() const { return m_stock; }
    QCheckBox* serviceBox() const { return m_service; }
    QComboBox* discountBox() const { return m_discount; }

    void reject() override; // Escape closes only while browsing

private:
    void reload(const QVariant& key = {});
    void showCurrent();

    Session& m_session;
    DataGrid* m_grid = nullptr;
    QLineEdit* m_name = nullptr;
    QCheckBox* m_stock = nullptr;
    QCheckBox* m_service = nullptr;
    QComboBox* m_discount = nullptr;
    EditModes m_modes;
    QString m_editing; // the name being changed; empty while adding
};

} // namespace shoupai
