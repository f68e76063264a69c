#pragma once

#include "common/BrowseEditDialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace shoupai {

class Session;

// "商品类型": the goods types, whether they keep stock, need service and take discounts.
class TXmKindFm : public BrowseEditDialog
{
    Q_OBJECT
public:
    explicit TXmKindFm(Session& session, QWidget* parent = nullptr);

    void Add() override;
    void Change() override;
    void Delete() override;
    void Save() override;
    void Cancel() override;

    QLineEdit* nameBox() const { return m_name; }
    QCheckBox* stockBox() const { return m_stock; }
    QCheckBox* serviceBox() const { return m_service; }
    QComboBox* discountBox() const { return m_discount; }

private:
    void reload(const QVariant& key = {});
    void showCurrent() override;

    Session& m_session;
    QLineEdit* m_name = nullptr;
    QCheckBox* m_stock = nullptr;
    QCheckBox* m_service = nullptr;
    QComboBox* m_discount = nullptr;
    QString m_editing; // the name being changed; empty while adding
};

} // namespace shoupai
