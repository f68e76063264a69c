#pragma once

#include "common/GridColumn.h"
#include "platform/Database.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace shoupai {

// The rows of one statement for a read-only grid, fetched a page at a time.
//
// Opening runs two short statements: the first page, and one aggregate over
// the whole statement for the row count and the footer sums. Further pages are
// read when a view asks for their rows and kept in a small cache, so a query of
// a million rows opens at once and memory stays bounded wherever it scrolls.
// Sorting and grouping re-query with an order by result column positions, so
// no name typed by an operator ever reaches the SQL text.
//
// Held mode is for small aggregated results (sales per item, commission per
// employee): the statement runs once, its rows are kept, and the count, the
// footers, the sorting and the grouping are all taken from them.
class QueryTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The stored value of a cell, unformatted.
    static constexpr int RawValueRole = Qt::UserRole + 1;
    // True on the header row of a group.
    static constexpr int GroupRowRole = Qt::UserRole + 2;

    // Grouping is refused beyond this many groups: each group is held.
    static constexpr int MaxGroups = 10000;

    explicit QueryTableModel(Database& database, QObject* parent = nullptr);

    // The result columns that identify a row (ID, card number, tag...), which
    // end every order the model reads pages in. Names as the screen writes them.
    void setKeyColumns(const QStringList& keys);
    QStringList keyColumns() const { return m_keys; }
    // The screen's own order before the key, used while the operator has not
    // sorted; "name" or "name desc".
    void setDefaultOrder(const QStringList& columns);
    // Held mode (see above); takes effect with the next statement.
    void setHeld(bool held);
    bool isHeld() const { return m_held; }

    // What the screen says about its columns; re-reads the footers when a
    // statement is loaded.
    void setColumns(const QList<GridColumn>& columns);
    const QList<GridColumn>& columnSpecs() const { return m_specs; }
    // The table whose schema gives the kinds of columns whose GridColumn gives none.
    void setKindTable(const QString& table) { m_kindTable = table; }

    // Loads a statement; values are bound to its `?` in order. Throws
    // DatabaseError and keeps what was shown when the statement fails. An
    // operator's sort and grouping stay when their column is still there.
    void setQuery(const QString& statement, const QVariantList& parameters = {});
    // Runs the current statement again.
    void refresh();
    // No statement: the listed columns with no rows.
    void clear();
    bool hasQuery() const { return !m_statement.isEmpty(); }
    QString statement() const { return m_statement; }
    QVariantList parameters() const { return m_parameters; }
    // The statement in the order the grid shows it (with the operator's sort
    // and grouping), with the same parameters.
    QString orderedStatement() const;

    // Sorts by a result column, re-querying. False, and nothing changes, for a
    // name that is not a column of the result. Throws DatabaseError.
    bool sortBy(const QString& column, Qt::SortOrder order = Qt::AscendingOrder);
    void clearSort();
    QString sortColumn() const;
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    void sort(int column, Qt::SortOrder order) override;

    // Groups the rows by one result column: each group is led by a header row
    // with the value and the group summaries of the columns that ask for them.
    // The groups and their sums come from one `group by`; more than MaxGroups
    // throws GroupingRefused and keeps what was shown.
    bool groupBy(const QString& column);
    void ungroup();
    QString groupColumn() const;
    bool isGrouped() const { return m_groupField >= 0; }
    bool isGroupRow(int row) const;
    int groupCount() const { return int(m_groups.size()); }
    // The view row of a group's header row.
    int groupRow(int group) const { return int(m_groups.at(group).viewStart); }
    // The model columns a group header's label covers, starting at labelColumn().
    int groupLabelColumn() const;
    int groupLabelSpan() const;

    QStringList fieldNames() const { return m_fields; }
    QString columnName(int column) const;
    int columnOf(const QString& name) const;
    const GridColumn& columnSpec(int column) const;
    GridFormat columnFormat(int column) const;
    // Listed by the screen (or no GridColumn given at all) and not hidden.
    bool isShown(int column) const;

    // Rows of the statement (group header rows not counted).
    qint64 detailCount() const { return m_detailCount; }
    // A stored value by column name; invalid on group rows and unknown names.
    QVariant value(int row, const QString& column) const;
    QVariantMap rowValues(int row) const;
    // The footer of a column as the screen's form shows it; empty without one.
    // Sums not read yet are read first.
    QString footerText(const QString& column) const;
    QString footerText(int column) const;
    // Footer sums read over the whole statement after the first rows: whether
    // they are still to be read, and reading them (footersChanged follows).
    bool footersPending() const { return m_sumsPending; }
    void computeFooters();

    void setPageSize(int rows);
    int pageSize() const { return m_pageSize; }
    void setMaxCachedPages(int pages);
    int cachedRowCount() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void footersChanged();
    // A page could not be read while scrolling; the text is the database's.
    void fetchFailed(const QString& text);

private:
    struct Column
    {
        int field = -1; // position in the result, -1 when the result lacks it
        GridColumn spec;
        GridFormat format = GridFormat::Auto;
        bool listed = false;
    };
    struct Group
    {
        QVariant key;
        qint64 count = 0;
        qint64 detailStart = 0;
        qint64 viewStart = 0;
        QList<QVariant> sums; // per model column; invalid where none is asked
    };
    struct Page
    {
        QList<QVariantList> rows;
        quint64 lastUse = 0;
    };
    void loadHeld(const QString& statement, const QVariantList& parameters, const QString& sortName,
                  Qt::SortOrder sortOrder, const QString& groupName);
    QVariantList heldSums(const QList<Column>& columns, const QList<QVariantList>& rows,
                          qint64 from, qint64 to, bool footer) const;
    void load(const QString& statement, const QVariantList& parameters, const QString& sortName,
              Qt::SortOrder sortOrder, const QString& groupName);
    QList<Column> buildColumns(const QStringList& fields) const;
    QString wrapped(const QString& statement) const;
    QString orderClause(const QStringList& fields, int sortField, Qt::SortOrder sortOrder,
                        int groupField) const;
    struct OrderKey
    {
        int field = -1;
        bool descending = false;
    };
    QList<OrderKey> orderKeys(const QStringList& fields, int sortField, Qt::SortOrder sortOrder,
                              int groupField) const;
    QString quotedField(const QStringList& fields, int field) const;
    int findField(const QStringList& fields, const QString& name) const;

    // Where a view row points: a group header (detail < 0) or a detail row.
    struct Locator
    {
        int group = -1;
        qint64 detail = -1;
    };
    Locator locate(int row) const;
    const QVariantList* detailRow(qint64 detail) const;
    QString groupCellText(const Group& group, int column) const;
    bool readFooterSums() const;
    QString summaryText(GridSummary kind, const QString& form, qint64 count, const QVariant& sum,
                        const Column& column) const;

    Database& m_database;
    QStringList m_keys;
    QStringList m_defaultOrder;
    bool m_held = false;
    // Held mode: every row of the statement in the shown order.
    QList<QVariantList> m_heldRows;
    QList<GridColumn> m_specs;
    QString m_kindTable;

    QString m_statement;
    QVariantList m_parameters;
    QStringList m_fields;
    QList<Column> m_columns;
    qint64 m_detailCount = 0;
    mutable QHash<int, QVariant> m_footerSums;
    mutable bool m_sumsPending = false;
    std::vector<Group> m_groups;

    int m_sortField = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    int m_groupField = -1;
    // The operator's choices by name, so that they outlive a new statement.
    QString m_sortName;
    QString m_groupName;

    int m_pageSize = 256;
    int m_maxPages = 16;
    mutable QHash<qint64, Page> m_pages;
    mutable quint64 m_useClock = 0;
};

// A grouping with more groups than a grid holds; the text says so to the operator.
class GroupingRefused : public DatabaseError
{
public:
    using DatabaseError::DatabaseError;
};

} // namespace shoupai
