#pragma once

#include "common/ReportLayout.h"
#include "queries/SalesFigures.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QLineEdit;

namespace shoupai {

class DataGrid;
class Dialect;
class Session;

// "会员消费查询": the stored bills, searched by card, member, operator or status.
class THYConsumeCXFm : public QDialog
{
    Q_OBJECT
public:
    explicit THYConsumeCXFm(Session& session, QWidget* parent = nullptr);

    // Every stored bill, as at opening.
    void ShowAll();
    // "查询": the bills whose chosen column contains the text. Nothing happens
    // without a column or a text; a typed name that is no column is refused.
    void Search();
    void PrintReport();

    // The statement of a search: "会员姓名" looks in the guest name of member
    // bills, where checkout writes the member's name. Nothing when the column is
    // refused; `refusal` then says why.
    static std::optional<BoundStatement> searchStatement(const Dialect& dialect,
                                                         const QString& column, const QString& text,
                                                         QString* refusal);
    static ReportLayout memberReport();

    DataGrid* grid() const { return m_grid; }
    QComboBox* columnField() const { return m_column; }
    QLineEdit* textField() const { return m_text; }

private:
    void list(const QString& statement, const QVariantList& parameters);

    Session& m_session;
    DataGrid* m_grid = nullptr;
    QComboBox* m_column = nullptr;
    QLineEdit* m_text = nullptr;
};

} // namespace shoupai
