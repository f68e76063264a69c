#include "common/QueryTableModel.h"

#include <QColor>
#include <QFont>
#include <QSet>

#include <algorithm>
#include <limits>

namespace shoupai {

namespace {

QString trimmedStatement(const QString& statement)
{
    QString text = statement.trimmed();
    while (text.endsWith(u';'))
        text = text.chopped(1).trimmed();
    return text;
}

QString direction(Qt::SortOrder order)
{
    return order == Qt::DescendingOrder ? QStringLiteral(" desc") : QString();
}

// Reads every row of a result as positional values.
QList<QVariantList> readAll(Rows& rows, QStringList* fields = nullptr)
{
    const QSqlRecord record = rows.record();
    const int count = record.count();
    if (fields) {
        fields->clear();
        for (int i = 0; i < count; ++i)
            fields->append(record.fieldName(i));
    }
    QList<QVariantList> result;
    QSqlQuery& query = rows.query();
    while (rows.next()) {
        QVariantList values;
        values.reserve(count);
        for (int i = 0; i < count; ++i)
            values.append(query.value(i));
        result.append(std::move(values));
    }
    return result;
}

// Orders two stored values the way both engines agree on: NULL first, numbers
// by value, the rest by their own comparison or, failing that, their text.
int compareValues(const QVariant& a, const QVariant& b, GridFormat format = GridFormat::Auto)
{
    const bool aNull = a.isNull() || !a.isValid();
    const bool bNull = b.isNull() || !b.isValid();
    if (aNull || bNull)
        return aNull == bNull ? 0 : (aNull ? -1 : 1);
    // Sums come back from PostgreSQL as decimal text: compared as numbers.
    if (format == GridFormat::Money || format == GridFormat::Number ||
        format == GridFormat::Integer) {
        const Money x = format == GridFormat::Money ? stored::toMoney(a) : stored::toNumber(a);
        const Money y = format == GridFormat::Money ? stored::toMoney(b) : stored::toNumber(b);
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    if (gridformat::isIntegral(a) && gridformat::isIntegral(b)) {
        const qlonglong x = a.toLongLong();
        const qlonglong y = b.toLongLong();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    const QPartialOrdering order = QVariant::compare(a, b);
    if (order == QPartialOrdering::Less)
        return -1;
    if (order == QPartialOrdering::Greater)
        return 1;
    if (order == QPartialOrdering::Equivalent)
        return 0;
    return a.toString().compare(b.toString());
}

QString tooManyGroups()
{
    return QStringLiteral("分组太多(超过%1组),请先缩小查询范围!").arg(QueryTableModel::MaxGroups);
}

// A name the screen wrote: "名称" or "名称 desc".
std::pair<QString, bool> orderEntry(const QString& entry)
{
    const QString text = entry.trimmed();
    if (text.endsWith(QStringLiteral(" desc"), Qt::CaseInsensitive))
        return {text.chopped(5).trimmed(), true};
    return {text, false};
}

} // namespace

QueryTableModel::QueryTableModel(Database& database, QObject* parent)
    : QAbstractTableModel(parent), m_database(database)
{
}

void QueryTableModel::setKeyColumns(const QStringList& keys)
{
    m_keys = keys;
}

void QueryTableModel::setDefaultOrder(const QStringList& columns)
{
    m_defaultOrder = columns;
}

void QueryTableModel::setHeld(bool held)
{
    m_held = held;
}

void QueryTableModel::setColumns(const QList<GridColumn>& columns)
{
    m_specs = columns;
    if (hasQuery()) {
        refresh();
        return;
    }
    beginResetModel();
    m_columns = buildColumns(m_fields);
    endResetModel();
    emit footersChanged();
}

QString QueryTableModel::wrapped(const QString& statement) const
{
    return QStringLiteral("select * from (%1) q").arg(statement);
}

QString QueryTableModel::quotedField(const QStringList& fields, int field) const
{
    return m_database.dialect().quote(fields.at(field));
}

int QueryTableModel::findField(const QStringList& fields, const QString& name) const
{
    const int exact = int(fields.indexOf(name));
    if (exact >= 0)
        return exact;
    // PostgreSQL hands back unquoted names folded to lower case.
    for (int i = 0; i < fields.size(); ++i) {
        if (fields.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// The order rows are read in: the grouping, the operator's sort (else the
// screen's own order), then the key columns. Paging and refreshing are only
// stable when the order is total, so every order the model adds ends with the
// key; without a key every column breaks ties. Nothing at all asked: the
// statement's own order, as written.
QList<QueryTableModel::OrderKey> QueryTableModel::orderKeys(const QStringList& fields,
                                                            int sortField, Qt::SortOrder sortOrder,
                                                            int groupField) const
{
    QList<OrderKey> keys;
    const auto add = [&](int field, bool descending) {
        if (field < 0)
            return;
        for (const OrderKey& key : keys) {
            if (key.field == field)
                return;
        }
        keys.append({field, descending});
    };
    if (groupField >= 0)
        add(groupField, groupField == sortField && sortOrder == Qt::DescendingOrder);
    if (sortField >= 0) {
        add(sortField, sortOrder == Qt::DescendingOrder);
    } else {
        for (const QString& entry : m_defaultOrder) {
            const auto [name, descending] = orderEntry(entry);
            add(findField(fields, name), descending);
        }
    }
    if (keys.isEmpty() && m_keys.isEmpty())
        return keys;
    int found = 0;
    for (const QString& key : m_keys) {
        const int field = findField(fields, key);
        found += field >= 0 ? 1 : 0;
        add(field, false);
    }
    if (found == 0) {
        for (int i = 0; i < fields.size(); ++i)
            add(i, false);
    }
    return keys;
}

QString QueryTableModel::orderClause(const QStringList& fields, int sortField,
                                     Qt::SortOrder sortOrder, int groupField) const
{
    // Result positions rather than names: nothing of an operator's text gets
    // into the statement, and duplicate names in a join cannot be ambiguous.
    const QList<OrderKey> keys = orderKeys(fields, sortField, sortOrder, groupField);
    if (keys.isEmpty())
        return {};
    QStringList terms;
    for (const OrderKey& key : keys)
        terms << QString::number(key.field + 1) +
                     (key.descending ? QStringLiteral(" desc") : QString());
    return QStringLiteral(" order by ") + terms.join(QStringLiteral(", "));
}

QList<QueryTableModel::Column> QueryTableModel::buildColumns(const QStringList& fields) const
{
    QList<Column> columns;
    if (m_specs.isEmpty()) {
        for (int i = 0; i < fields.size(); ++i) {
            Column column;
            column.field = i;
            column.spec = GridColumn::plain(fields.at(i));
            column.format =
                gridformat::resolveDeclared(GridFormat::Auto, m_kindTable, fields.at(i));
            column.listed = true;
            columns.append(column);
        }
        return columns;
    }
    QSet<int> used;
    for (const GridColumn& spec : m_specs) {
        const int field = findField(fields, spec.name);
        if (!fields.isEmpty() && (field < 0 || used.contains(field)))
            continue;
        Column column;
        column.field = field;
        column.spec = spec;
        column.format =
            field >= 0 ? gridformat::resolveDeclared(spec.format, m_kindTable, fields.at(field))
                       : gridformat::resolve(spec.format, m_kindTable, spec.name);
        column.listed = true;
        columns.append(column);
        used.insert(field);
    }
    for (int i = 0; i < fields.size(); ++i) {
        if (used.contains(i))
            continue;
        Column column;
        column.field = i;
        column.spec = GridColumn::plain(fields.at(i));
        column.spec.hidden = true;
        column.format = gridformat::resolveDeclared(GridFormat::Auto, m_kindTable, fields.at(i));
        columns.append(column);
    }
    return columns;
}

void QueryTableModel::setQuery(const QString& statement, const QVariantList& parameters)
{
    const QString text = trimmedStatement(statement);
    if (text.isEmpty()) {
        clear();
        return;
    }
    if (m_held)
        loadHeld(text, parameters, sortColumn(), m_sortOrder, groupColumn());
    else
        load(text, parameters, sortColumn(), m_sortOrder, groupColumn());
}

void QueryTableModel::refresh()
{
    if (!hasQuery())
        return;
    if (m_held)
        loadHeld(m_statement, m_parameters, sortColumn(), m_sortOrder, groupColumn());
    else
        load(m_statement, m_parameters, sortColumn(), m_sortOrder, groupColumn());
}

void QueryTableModel::load(const QString& statement, const QVariantList& parameters,
                           const QString& sortName, Qt::SortOrder sortOrder,
                           const QString& groupName)
{
    // Everything is read first and shown only when all of it succeeded.
    QStringList fields;
    int sortField = -1;
    int groupField = -1;
    if (!sortName.isEmpty() || !groupName.isEmpty() || !m_keys.isEmpty() ||
        !m_defaultOrder.isEmpty()) {
        if (statement == m_statement && parameters == m_parameters && !m_held) {
            fields = m_fields;
        } else {
            Rows probe =
                m_database.query(wrapped(statement) + QStringLiteral(" limit 0"), parameters);
            readAll(probe, &fields);
        }
        sortField = sortName.isEmpty() ? -1 : findField(fields, sortName);
        groupField = groupName.isEmpty() ? -1 : findField(fields, groupName);
    }
    const QString order = orderClause(fields, sortField, sortOrder, groupField);

    QVariantList pageParameters = parameters;
    pageParameters << m_pageSize << 0;
    Rows first = m_database.query(wrapped(statement) + order + QStringLiteral(" limit ? offset ?"),
                                  pageParameters);
    QStringList firstFields;
    Page firstPage;
    firstPage.rows = readAll(first, &firstFields);
    if (!fields.isEmpty() && fields != firstFields)
        throw DatabaseError(QStringLiteral("查询结果的列在读取时发生了变化"));
    fields = firstFields;
    const QList<Column> columns = buildColumns(fields);

    // The count alone is cheap (an index serves it); the footer sums read every
    // row, so they wait until the first rows are on the screen or asked for.
    qint64 detailCount = 0;
    {
        Rows counted = m_database.query(
            QStringLiteral("select count(*) from (%1) q").arg(statement), parameters);
        if (counted.next())
            detailCount = counted.query().value(0).toLongLong();
    }
    bool sumsPending = false;
    for (const Column& column : columns)
        sumsPending = sumsPending || (column.spec.footer == GridSummary::Sum && column.field >= 0);

    std::vector<Group> groups;
    if (groupField >= 0) {
        const QString key = quotedField(fields, groupField);
        QString grouping = QStringLiteral("select %1, count(*)").arg(key);
        QHash<int, int> groupSumPosition;
        for (const Column& column : columns) {
            if (column.spec.groupSummary == GridSummary::Sum && column.field >= 0 &&
                !groupSumPosition.contains(column.field)) {
                groupSumPosition.insert(column.field, int(groupSumPosition.size()) + 2);
                grouping += QStringLiteral(", sum(%1)").arg(quotedField(fields, column.field));
            }
        }
        const Qt::SortOrder groupOrder = groupField == sortField ? sortOrder : Qt::AscendingOrder;
        // One more than allowed is read to tell a grouping too large, so that
        // no more groups than that are ever held.
        grouping += QStringLiteral(" from (%1) q group by %2 order by %2%3 limit %4")
                        .arg(statement, key, direction(groupOrder))
                        .arg(MaxGroups + 1);
        Rows rows = m_database.query(grouping, parameters);
        qint64 detailStart = 0;
        qint64 viewStart = 0;
        while (rows.next()) {
            if (groups.size() >= size_t(MaxGroups))
                throw GroupingRefused(tooManyGroups());
            Group group;
            group.key = rows.query().value(0);
            group.count = rows.query().value(1).toLongLong();
            group.detailStart = detailStart;
            group.viewStart = viewStart;
            for (const Column& column : columns) {
                const bool summed = column.spec.groupSummary == GridSummary::Sum &&
                                    groupSumPosition.contains(column.field);
                group.sums.append(summed ? rows.query().value(groupSumPosition.value(column.field))
                                         : QVariant());
            }
            detailStart += group.count;
            viewStart += group.count + 1;
            groups.push_back(std::move(group));
        }
        // The groups decide where every row is shown, so their total is the count.
        detailCount = detailStart;
    }

    beginResetModel();
    m_statement = statement;
    m_parameters = parameters;
    m_fields = fields;
    m_columns = columns;
    m_detailCount = detailCount;
    m_footerSums.clear();
    m_sumsPending = sumsPending;
    m_groups = std::move(groups);
    m_sortField = sortField;
    m_sortOrder = sortOrder;
    m_groupField = groupField;
    m_sortName = sortField >= 0 ? fields.at(sortField) : QString();
    m_groupName = groupField >= 0 ? fields.at(groupField) : QString();
    m_pages.clear();
    m_heldRows.clear();
    firstPage.lastUse = ++m_useClock;
    m_pages.insert(0, std::move(firstPage));
    endResetModel();
    emit footersChanged();
}

void QueryTableModel::loadHeld(const QString& statement, const QVariantList& parameters,
                               const QString& sortName, Qt::SortOrder sortOrder,
                               const QString& groupName)
{
    // The one statement; everything else is taken from its rows.
    QStringList fields;
    QList<QVariantList> rows;
    {
        Rows result = m_database.query(statement, parameters);
        rows = readAll(result, &fields);
    }
    const QList<Column> columns = buildColumns(fields);
    const int sortField = sortName.isEmpty() ? -1 : findField(fields, sortName);
    const int groupField = groupName.isEmpty() ? -1 : findField(fields, groupName);
    const QList<OrderKey> keys = orderKeys(fields, sortField, sortOrder, groupField);
    QList<GridFormat> formats(fields.size(), GridFormat::Auto);
    for (const Column& column : columns) {
        if (column.field >= 0)
            formats[column.field] = column.format;
    }
    if (!keys.isEmpty()) {
        std::stable_sort(rows.begin(), rows.end(),
                         [&keys, &formats](const QVariantList& a, const QVariantList& b) {
                             for (const OrderKey& key : keys) {
                                 const int c = compareValues(a.at(key.field), b.at(key.field),
                                                             formats.at(key.field));
                                 if (c != 0)
                                     return key.descending ? c > 0 : c < 0;
                             }
                             return false;
                         });
    }

    std::vector<Group> groups;
    if (groupField >= 0) {
        qint64 start = 0;
        while (start < rows.size()) {
            qint64 end = start + 1;
            while (end < rows.size() &&
                   compareValues(rows.at(end).at(groupField), rows.at(start).at(groupField),
                                 formats.at(groupField)) == 0)
                ++end;
            if (groups.size() >= size_t(MaxGroups))
                throw GroupingRefused(tooManyGroups());
            Group group;
            group.key = rows.at(start).at(groupField);
            group.count = end - start;
            group.detailStart = start;
            group.viewStart = start + qint64(groups.size());
            group.sums = heldSums(columns, rows, start, end, false);
            groups.push_back(std::move(group));
            start = end;
        }
    }
    const QVariantList footers = heldSums(columns, rows, 0, rows.size(), true);

    beginResetModel();
    m_statement = statement;
    m_parameters = parameters;
    m_fields = fields;
    m_columns = columns;
    m_detailCount = rows.size();
    m_footerSums.clear();
    for (int i = 0; i < footers.size(); ++i) {
        if (columns.at(i).spec.footer == GridSummary::Sum && columns.at(i).field >= 0)
            m_footerSums.insert(i, footers.at(i));
    }
    m_sumsPending = false;
    m_groups = std::move(groups);
    m_sortField = sortField;
    m_sortOrder = sortOrder;
    m_groupField = groupField;
    m_sortName = sortField >= 0 ? fields.at(sortField) : QString();
    m_groupName = groupField >= 0 ? fields.at(groupField) : QString();
    m_pages.clear();
    m_heldRows = std::move(rows);
    endResetModel();
    emit footersChanged();
}

QVariantList QueryTableModel::heldSums(const QList<Column>& columns,
                                       const QList<QVariantList>& rows, qint64 from, qint64 to,
                                       bool footer) const
{
    QVariantList sums;
    for (const Column& column : columns) {
        const GridSummary kind = footer ? column.spec.footer : column.spec.groupSummary;
        if (kind != GridSummary::Sum || column.field < 0) {
            sums.append(QVariant());
            continue;
        }
        // Amounts add up by their stored ten-thousandths, whole numbers as
        // whole numbers, anything else to four decimals, as the engines do.
        Money total;
        qlonglong whole = 0;
        bool integral = true;
        bool any = false;
        for (qint64 r = from; r < to; ++r) {
            const QVariant& value = rows.at(r).at(column.field);
            if (value.isNull() || !value.isValid())
                continue;
            any = true;
            if (column.format == GridFormat::Money) {
                total += stored::toMoney(value);
            } else {
                integral = integral && gridformat::isIntegral(value);
                whole += integral ? value.toLongLong() : 0;
                total += stored::toNumber(value);
            }
        }
        if (!any)
            sums.append(QVariant());
        else if (column.format == GridFormat::Money)
            sums.append(QVariant::fromValue(total));
        else if (integral)
            sums.append(whole);
        else
            sums.append(total.toString());
    }
    return sums;
}

void QueryTableModel::clear()
{
    beginResetModel();
    m_statement.clear();
    m_parameters.clear();
    m_fields.clear();
    m_columns = buildColumns({});
    m_detailCount = 0;
    m_footerSums.clear();
    m_sumsPending = false;
    m_groups.clear();
    m_sortField = -1;
    m_groupField = -1;
    m_pages.clear();
    m_heldRows.clear();
    endResetModel();
    emit footersChanged();
}

QString QueryTableModel::orderedStatement() const
{
    const QString order = orderClause(m_fields, m_sortField, m_sortOrder, m_groupField);
    if (order.isEmpty())
        return m_statement;
    return wrapped(m_statement) + order;
}

bool QueryTableModel::sortBy(const QString& column, Qt::SortOrder order)
{
    if (!hasQuery())
        return false;
    const int field = findField(m_fields, column);
    if (field < 0)
        return false;
    if (m_held)
        loadHeld(m_statement, m_parameters, m_fields.at(field), order, m_groupName);
    else
        load(m_statement, m_parameters, m_fields.at(field), order, m_groupName);
    return true;
}

void QueryTableModel::clearSort()
{
    m_sortName.clear();
    m_sortOrder = Qt::AscendingOrder;
    if (m_sortField >= 0)
        refresh();
}

QString QueryTableModel::sortColumn() const
{
    return m_sortName;
}

void QueryTableModel::sort(int column, Qt::SortOrder order)
{
    try {
        if (column < 0 || column >= m_columns.size() || m_columns.at(column).field < 0)
            clearSort();
        else
            sortBy(m_fields.at(m_columns.at(column).field), order);
    } catch (const DatabaseError& error) {
        emit fetchFailed(error.text());
    }
}

bool QueryTableModel::groupBy(const QString& column)
{
    if (!hasQuery())
        return false;
    const int field = findField(m_fields, column);
    if (field < 0)
        return false;
    if (m_held)
        loadHeld(m_statement, m_parameters, m_sortName, m_sortOrder, m_fields.at(field));
    else
        load(m_statement, m_parameters, m_sortName, m_sortOrder, m_fields.at(field));
    return true;
}

void QueryTableModel::ungroup()
{
    m_groupName.clear();
    if (m_groupField >= 0 && m_held)
        loadHeld(m_statement, m_parameters, m_sortName, m_sortOrder, QString());
    else if (m_groupField >= 0)
        load(m_statement, m_parameters, m_sortName, m_sortOrder, QString());
}

QString QueryTableModel::groupColumn() const
{
    return m_groupName;
}

QueryTableModel::Locator QueryTableModel::locate(int row) const
{
    Locator where;
    if (row < 0)
        return where;
    if (m_groupField < 0) {
        if (row < m_detailCount)
            where.detail = row;
        return where;
    }
    auto after = std::upper_bound(m_groups.begin(), m_groups.end(), qint64(row),
                                  [](qint64 value, const Group& g) { return value < g.viewStart; });
    if (after == m_groups.begin())
        return where;
    const Group& group = *(after - 1);
    const qint64 offset = row - group.viewStart;
    if (offset > group.count)
        return where;
    where.group = int(after - 1 - m_groups.begin());
    if (offset > 0)
        where.detail = group.detailStart + offset - 1;
    return where;
}

bool QueryTableModel::isGroupRow(int row) const
{
    const Locator where = locate(row);
    return where.group >= 0 && where.detail < 0;
}

const QVariantList* QueryTableModel::detailRow(qint64 detail) const
{
    if (detail < 0 || detail >= m_detailCount || !hasQuery())
        return nullptr;
    if (m_held)
        return detail < m_heldRows.size() ? &m_heldRows.at(detail) : nullptr;
    const qint64 pageNumber = detail / m_pageSize;
    auto found = m_pages.find(pageNumber);
    if (found == m_pages.end()) {
        Page page;
        try {
            QVariantList parameters = m_parameters;
            parameters << m_pageSize << pageNumber * m_pageSize;
            Rows rows =
                m_database.query(wrapped(m_statement) +
                                     orderClause(m_fields, m_sortField, m_sortOrder, m_groupField) +
                                     QStringLiteral(" limit ? offset ?"),
                                 parameters);
            page.rows = readAll(rows);
        } catch (const DatabaseError& error) {
            // The empty page stays cached so that painting does not retry it
            // over and over; a refresh reads it again.
            emit const_cast<QueryTableModel*>(this)->fetchFailed(error.text());
        }
        while (m_pages.size() >= m_maxPages) {
            auto oldest = m_pages.begin();
            for (auto it = m_pages.begin(); it != m_pages.end(); ++it) {
                if (it->lastUse < oldest->lastUse)
                    oldest = it;
            }
            m_pages.erase(oldest);
        }
        found = m_pages.insert(pageNumber, std::move(page));
    }
    found->lastUse = ++m_useClock;
    const qint64 within = detail - pageNumber * m_pageSize;
    if (within >= found->rows.size())
        return nullptr; // rows removed since the count was taken
    return &found->rows.at(within);
}

QString QueryTableModel::columnName(int column) const
{
    if (column < 0 || column >= m_columns.size())
        return {};
    const Column& c = m_columns.at(column);
    return c.field >= 0 ? m_fields.at(c.field) : c.spec.name;
}

int QueryTableModel::columnOf(const QString& name) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (columnName(i) == name)
            return i;
    }
    for (int i = 0; i < m_columns.size(); ++i) {
        if (columnName(i).compare(name, Qt::CaseInsensitive) == 0 ||
            m_columns.at(i).spec.name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

const GridColumn& QueryTableModel::columnSpec(int column) const
{
    return m_columns.at(column).spec;
}

GridFormat QueryTableModel::columnFormat(int column) const
{
    return m_columns.at(column).format;
}

bool QueryTableModel::isShown(int column) const
{
    if (column < 0 || column >= m_columns.size())
        return false;
    return m_columns.at(column).listed && !m_columns.at(column).spec.hidden;
}

QVariant QueryTableModel::value(int row, const QString& column) const
{
    const int index = columnOf(column);
    if (index < 0 || m_columns.at(index).field < 0)
        return {};
    const QVariantList* values = detailRow(locate(row).detail);
    if (!values || m_columns.at(index).field >= values->size())
        return {};
    return values->at(m_columns.at(index).field);
}

QVariantMap QueryTableModel::rowValues(int row) const
{
    QVariantMap result;
    const QVariantList* values = detailRow(locate(row).detail);
    if (!values)
        return result;
    for (int i = 0; i < m_fields.size() && i < values->size(); ++i)
        result.insert(m_fields.at(i), values->at(i));
    return result;
}

QString QueryTableModel::summaryText(GridSummary kind, const QString& form, qint64 count,
                                     const QVariant& sum, const Column& column) const
{
    switch (kind) {
    case GridSummary::None:
        return {};
    case GridSummary::Count:
        return QString(form).replace(QStringLiteral("%1"), QString::number(count));
    case GridSummary::Sum:
        return QString(form).replace(
            QStringLiteral("%1"), gridformat::displaySum(sum, column.format, column.spec.decimals));
    }
    return {};
}

void QueryTableModel::computeFooters()
{
    if (!m_sumsPending)
        return;
    if (readFooterSums())
        emit footersChanged();
}

bool QueryTableModel::readFooterSums() const
{
    m_sumsPending = false;
    // One pass over the statement for every footer sum.
    QString aggregate = QStringLiteral("select count(*)");
    QHash<int, int> sumPosition; // field → position in the aggregate row
    for (const Column& column : m_columns) {
        if (column.spec.footer == GridSummary::Sum && column.field >= 0 &&
            !sumPosition.contains(column.field)) {
            sumPosition.insert(column.field, int(sumPosition.size()) + 1);
            aggregate += QStringLiteral(", sum(%1)").arg(quotedField(m_fields, column.field));
        }
    }
    aggregate += QStringLiteral(" from (%1) q").arg(m_statement);
    try {
        Rows totals = m_database.query(aggregate, m_parameters);
        if (totals.next()) {
            for (int i = 0; i < m_columns.size(); ++i) {
                const Column& column = m_columns.at(i);
                if (column.spec.footer == GridSummary::Sum && sumPosition.contains(column.field))
                    m_footerSums.insert(i, totals.query().value(sumPosition.value(column.field)));
            }
        }
    } catch (const DatabaseError& error) {
        // The footers stay empty; the rows themselves are shown.
        emit const_cast<QueryTableModel*>(this)->fetchFailed(error.text());
        return false;
    }
    return true;
}

QString QueryTableModel::footerText(int column) const
{
    if (column < 0 || column >= m_columns.size())
        return {};
    const Column& c = m_columns.at(column);
    if (c.spec.footer == GridSummary::Sum && m_sumsPending)
        readFooterSums();
    if (c.spec.footer == GridSummary::Sum && !m_footerSums.contains(column))
        return {};
    return summaryText(c.spec.footer, c.spec.footerFormat, m_detailCount,
                       m_footerSums.value(column), c);
}

QString QueryTableModel::footerText(const QString& column) const
{
    return footerText(columnOf(column));
}

int QueryTableModel::groupLabelColumn() const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (isShown(i))
            return i;
    }
    return 0;
}

int QueryTableModel::groupLabelSpan() const
{
    const int label = groupLabelColumn();
    if (label >= m_columns.size() || m_columns.at(label).spec.groupSummary != GridSummary::None)
        return 1;
    int span = 1;
    for (int i = label + 1; i < m_columns.size(); ++i) {
        if (isShown(i) && m_columns.at(i).spec.groupSummary != GridSummary::None)
            break;
        ++span;
    }
    // Unlisted columns sit at the end; a span over them would reach nothing visible.
    int lastShown = label;
    for (int i = label; i < label + span; ++i) {
        if (isShown(i))
            lastShown = i;
    }
    return lastShown - label + 1;
}

QString QueryTableModel::groupCellText(const Group& group, int column) const
{
    const Column& c = m_columns.at(column);
    QString summary;
    if (c.spec.groupSummary != GridSummary::None)
        summary = summaryText(c.spec.groupSummary, c.spec.groupFormat, group.count,
                              group.sums.value(column), c);
    if (column != groupLabelColumn())
        return summary;
    int keyColumn = 0;
    while (keyColumn + 1 < m_columns.size() && m_columns.at(keyColumn).field != m_groupField)
        ++keyColumn;
    const Column& key = m_columns.at(keyColumn);
    QString label = key.spec.title() + QStringLiteral(" : ") +
                    gridformat::display(group.key, key.format, key.spec.decimals);
    if (!summary.isEmpty())
        label += u' ' + summary;
    return label;
}

void QueryTableModel::setPageSize(int rows)
{
    m_pageSize = std::max(1, rows);
    m_pages.clear();
}

void QueryTableModel::setMaxCachedPages(int pages)
{
    m_maxPages = std::max(2, pages);
    m_pages.clear();
}

int QueryTableModel::cachedRowCount() const
{
    int count = 0;
    for (const Page& page : m_pages)
        count += int(page.rows.size());
    return count;
}

int QueryTableModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    const qint64 rows = m_detailCount + qint64(m_groups.size());
    return int(std::min<qint64>(rows, std::numeric_limits<int>::max()));
}

int QueryTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant QueryTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() >= m_columns.size())
        return {};
    const Locator where = locate(index.row());
    const Column& column = m_columns.at(index.column());
    if (where.group >= 0 && where.detail < 0) {
        switch (role) {
        case Qt::DisplayRole:
            return groupCellText(m_groups.at(where.group), index.column());
        case Qt::FontRole: {
            QFont font;
            font.setBold(true);
            return font;
        }
        case Qt::BackgroundRole:
            return QColor(0xe8, 0xee, 0xf6);
        case GroupRowRole:
            return true;
        case Qt::TextAlignmentRole:
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
        }
    }
    if (role == GroupRowRole)
        return false;
    if (role == Qt::TextAlignmentRole)
        return int((gridformat::isNumeric(column.format) ? Qt::AlignRight : Qt::AlignLeft) |
                   Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::CheckStateRole && role != RawValueRole &&
        role != Qt::ToolTipRole)
        return {};
    const QVariantList* values = detailRow(where.detail);
    if (!values || column.field < 0 || column.field >= values->size())
        return {};
    const QVariant& stored = values->at(column.field);
    switch (role) {
    case RawValueRole:
        return stored;
    case Qt::CheckStateRole:
        if (column.format != GridFormat::Boolean)
            return {};
        return stored::toFlag(stored) ? Qt::Checked : Qt::Unchecked;
    case Qt::DisplayRole:
        if (column.format == GridFormat::Boolean)
            return {};
        return gridformat::display(stored, column.format, column.spec.decimals);
    case Qt::ToolTipRole:
        // Long texts are cut by the column; the tip shows them whole.
        if (column.format == GridFormat::Auto || column.format == GridFormat::Text) {
            const QString text = gridformat::display(stored, column.format);
            if (text.size() > 20)
                return text;
        }
        return {};
    default:
        return {};
    }
}

QVariant QueryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole)
            return section + 1;
        return {};
    }
    if (section < 0 || section >= m_columns.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
    case Qt::ToolTipRole:
        return m_columns.at(section).spec.title();
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    default:
        return {};
    }
}

Qt::ItemFlags QueryTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

} // namespace shoupai
