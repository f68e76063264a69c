#pragma once

#include "common/BrowseEditDialog.h"

#include <optional>

class QLineEdit;

namespace shoupai {

class Session;

// "员工等级": the grades and their base wages.
class TYgDjFm : public BrowseEditDialog
{
    Q_OBJECT
public:
    explicit TYgDjFm(Session& session, QWidget* parent = nullptr);

    void Add() override;
    void Change() override;
    void Delete() override;
    void Save() override;
    void Cancel() override;

    QLineEdit* nameBox() const { return m_name; }
    QLineEdit* wageBox() const { return m_wage; }

private:
    void reload(const QVariant& key = {});
    void showCurrent() override;

    Session& m_session;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_wage = nullptr;
    std::optional<qint64> m_editing;
};

} // namespace shoupai
