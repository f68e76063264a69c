#include "common/GridOutput.h"

#include "common/DataGrid.h"
#include "common/QueryTableModel.h"
#include "common/ReportPreview.h"

#include <optional>

namespace shoupai {

namespace {

std::optional<ColumnKind> kindOfFormat(GridFormat format)
{
    switch (format) {
    case GridFormat::Money:
        return ColumnKind::Money;
    case GridFormat::Number:
        return ColumnKind::Number;
    case GridFormat::Integer:
        return ColumnKind::Integer;
    case GridFormat::Date:
    case GridFormat::DateTime:
        return ColumnKind::DateTime;
    case GridFormat::Boolean:
        return ColumnKind::Boolean;
    case GridFormat::Text:
        return ColumnKind::Text;
    case GridFormat::Auto:
        break;
    }
    return std::nullopt;
}

} // namespace

void PrintGrid(Database& database, const DataGrid& grid, const ReportLayout& layout,
               QWidget* parent)
{
    if (!grid.model()->hasQuery())
        return;
    ShowReportPreview(database, layout, grid.orderedStatement(), grid.parameters(), parent);
}

void ExportGrid(Database& database, const DataGrid& grid, SpreadsheetExportOptions options)
{
    if (!grid.model()->hasQuery())
        return;
    for (const GridColumn& column : grid.model()->columnSpecs()) {
        const auto kind = kindOfFormat(column.format);
        if (kind && !options.kinds.contains(column.name))
            options.kinds.insert(column.name, *kind);
    }
    ExportQueryToSpreadsheet(database, grid.orderedStatement(), grid.parameters(), options);
}

} // namespace shoupai
