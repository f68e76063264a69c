#pragma once

#include "common/GridColumn.h"
#include "common/QueryTableModel.h"

#include <QHash>
#include <QWidget>

class QTableView;

namespace shoupai {

class Database;
class GridFooter;

// The read-only list of every screen: the rows of one statement under column
// titles, a footer of counts and sums under chosen columns, sorting by a click
// on a title, optional grouping by one column with per-group sums. Whole rows
// are selected; the current row's values are read by column name.
//
// Rows are numbered as shown: in a grouped grid the group header rows count
// too (isGroupRow() tells them apart; they have no values).
class DataGrid : public QWidget
{
    Q_OBJECT
public:
    explicit DataGrid(Database& database, QWidget* parent = nullptr);
    ~DataGrid() override;

    void setColumns(const QList<GridColumn>& columns);
    // The table whose schema gives the kind of columns the specs leave open.
    void setKindTable(const QString& table);
    // The result columns that identify a row; every order ends with them.
    void setKeyColumns(const QStringList& keys);

    // Shows a statement; throws DatabaseError and keeps the rows shown when it
    // fails. The first row becomes the current row.
    void setQuery(const QString& statement, const QVariantList& parameters = {});
    void refresh();
    // No rows; the titles stay.
    void clear();

    // The statement and its values, for handing the same rows to the
    // spreadsheet export or a report; orderedStatement() is in the shown order.
    QString statement() const;
    QVariantList parameters() const;
    QString orderedStatement() const;

    int rowCount() const;
    qint64 recordCount() const;
    bool isGroupRow(int row) const;
    int currentRow() const;
    void setCurrentRow(int row);
    bool hasCurrentRecord() const;
    QVariant value(int row, const QString& column) const;
    QVariant currentValue(const QString& column) const;
    QVariantMap currentValues() const;

    // False for a name that is not a column of the result; throws DatabaseError.
    bool sortBy(const QString& column, Qt::SortOrder order = Qt::AscendingOrder);
    bool groupBy(const QString& column);
    void ungroup();

    QString footerText(const QString& column) const;

    QTableView* view() const { return m_view; }
    QueryTableModel* model() const { return m_model; }

signals:
    void currentRowChanged(int row);
    void doubleClicked(int row);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void headerClicked(int section);
    void headerMenu(const QPoint& position);
    void applyColumns();
    int naturalWidth(int column) const;
    void selectFirstRecord();
    void showFailure(const QString& text);

    QueryTableModel* m_model;
    QTableView* m_view;
    GridFooter* m_footer;
    QHash<QString, int> m_widths; // widths the operator dragged, by column
    bool m_applying = false;
};

} // namespace shoupai
