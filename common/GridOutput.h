#pragma once

#include "common/ReportLayout.h"
#include "common/SpreadsheetExport.h"

class QWidget;

namespace shoupai {

class DataGrid;
class Database;

// "打印" and "Excel" of a list screen: the grid's statement in the order the
// grid shows it, with its parameters. Nothing happens while the grid has no
// statement. The export takes the kinds the grid's columns declare, so that a
// screen declares a computed column once, on its grid.
void PrintGrid(Database& database, const DataGrid& grid, const ReportLayout& layout,
               QWidget* parent);
void ExportGrid(Database& database, const DataGrid& grid, SpreadsheetExportOptions options);

} // namespace shoupai
