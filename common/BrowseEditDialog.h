#pragma once

#include "common/EditModes.h"

#include <QDialog>

class QGroupBox;

namespace shoupai {

class DataGrid;
class Database;

// A small list-and-edit screen (goods types, staff grades): the commands on
// top, the list, and under it the group that edits the row being added or
// changed. The screen brings its columns, its fields and its procedures.
class BrowseEditDialog : public QDialog
{
    Q_OBJECT
public:
    EditModes::Mode mode() const { return m_modes.mode(); }
    DataGrid* grid() const { return m_grid; }

    virtual void Add() = 0;
    virtual void Change() = 0;
    virtual void Delete() = 0;
    virtual void Save() = 0;
    virtual void Cancel() = 0;

    void reject() override; // Escape closes only while browsing

protected:
    // The list takes the screen's title as its accessible name.
    BrowseEditDialog(Database& database, const QString& objectName, const QString& title,
                     const QString& gridName, QWidget* parent);

    // Where the screen puts its fields, before finishLayout().
    QGroupBox* editGroup() const { return m_group; }
    // Adds the commands, lays the screen out and starts browsing.
    void finishLayout(const QSize& size);

    // Runs the list's statement again, keeps the row of `key` current and shows it.
    void reloadList(const QString& sql, const QString& keyColumn, const QVariant& key);
    // Puts the current row (or nothing) into the fields.
    virtual void showCurrent() = 0;

    // The screen's procedures work on the list and switch the modes.
    DataGrid* m_grid = nullptr;
    EditModes m_modes;

private:
    QGroupBox* m_group = nullptr;
};

} // namespace shoupai
