#pragma once

#include "platform/Database.h"
#include "platform/Schema.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace shoupai {

// Where exported workbooks are written and what shows them to the operator:
// the documents folder and the desktop's spreadsheet program, unless a test or
// benchmark installed another.
class SpreadsheetDesktop
{
public:
    virtual ~SpreadsheetDesktop() = default;

    // The folder new workbooks go to: the documents folder, or the temporary
    // one where there is none.
    virtual QString folder() const;
    // Opens a written workbook with the program the desktop has for it; false
    // when nothing can open it.
    virtual bool open(const QString& path);

    static SpreadsheetDesktop& current();
    // Installs a desktop (not owned); nullptr restores the real one.
    static void install(SpreadsheetDesktop* desktop);
};

// Writes into a given folder and launches nothing: for tests and benchmarks.
// Installs itself for its lifetime.
class ScriptedSpreadsheetDesktop final : public SpreadsheetDesktop
{
public:
    explicit ScriptedSpreadsheetDesktop(const QString& folder, bool canOpen = true);
    ~ScriptedSpreadsheetDesktop() override;
    ScriptedSpreadsheetDesktop(const ScriptedSpreadsheetDesktop&) = delete;
    ScriptedSpreadsheetDesktop& operator=(const ScriptedSpreadsheetDesktop&) = delete;

    QString folder() const override { return m_folder; }
    bool open(const QString& path) override;

    void setCanOpen(bool canOpen) { m_canOpen = canOpen; }
    // Every workbook asked to be opened, in order (also when none could be).
    const QStringList& opened() const { return m_opened; }

private:
    SpreadsheetDesktop* m_previous = nullptr;
    QString m_folder;
    bool m_canOpen;
    QStringList m_opened;
};

struct SpreadsheetExportOptions
{
    // Names the file "<name>_yyyyMMdd_HHmmss.xlsx": the screen or table shown.
    // Empty: the table, or "导出".
    QString name;
    // The table the rows come from: its columns are written as the schema
    // knows them (amounts, dates, flags).
    QString table;
    // Kinds of columns by name (case does not matter), before those of the
    // table; every computed column (a sum of amounts, a count) is declared
    // here, an undeclared one is an error in debug builds.
    QHash<QString, ColumnKind> kinds;
};

struct SpreadsheetExportResult
{
    bool written = false; // the workbook is complete at path
    bool opened = false;  // and the desktop opened it
    QString path;
};

// Writes the query's columns firstColumn..lastColumn (positions from 0) into a
// new workbook: row 1 the column names, then one row per record, each value as
// its own type (text always as text, never as a formula; amounts as numbers
// with two to four decimals; dates and date-times as dates; NULL empty), the
// columns as wide as their content. The rows are walked forward once and never
// held; afterwards the query stands after its last row. The workbook is then
// opened on the desktop; when nothing can open it, "系统没excel，不能导出Excel！"
// is shown followed by where the file is. A failure is shown and leaves no file.
// Column kinds: options.kinds, then the table's, then the kind every table of
// the schema agrees on for the column name, then the value's own type.
SpreadsheetExportResult ExportQueryToSpreadsheet(Rows& query, int firstColumn, int lastColumn,
                                                 const SpreadsheetExportOptions& options = {});

// Runs the statement and exports every column of its rows; a failing statement
// is shown like any other failure of the export.
SpreadsheetExportResult ExportQueryToSpreadsheet(const Database& database, const QString& sql,
                                                 const QVariantList& parameters,
                                                 const SpreadsheetExportOptions& options = {});

} // namespace shoupai
