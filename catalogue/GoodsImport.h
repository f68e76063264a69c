#pragma once

#include "common/SpreadsheetReader.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace shoupai {

class Database;

namespace goodsimport {

// The catalogue columns sheet columns 1 to 9 go to, in this order.
const QStringList& columnNames();

// A sheet row that is not imported, with every reason found.
struct Refusal
{
    int row = 0;
    QStringList reasons;
    // "5,单价不是数字"
    QString line() const;
};

struct Outcome
{
    int inserted = 0;
    QList<Refusal> refused;
    // Set when writing failed and nothing was imported: the text for the operator.
    QString failure;

    bool failed() const { return !failure.isEmpty(); }
};

// Called every 100 rows and at the end of each stage: done of total steps
// (checking every row, then writing every accepted one).
using Progress = std::function<void(int done, int total)>;

// The rows after the sheet's title row are checked against the catalogue and
// each other first; the accepted ones are then inserted in one transaction,
// all or none. autoNumber: each row's sheet row number becomes its ID.
Outcome importRows(Database& database, const QList<SheetRow>& rows, bool autoNumber,
                   const Progress& progress = {});

// The data rows of a sheet: everything after its first row, the title.
QList<SheetRow> dataRows(const SheetContent& content);

} // namespace goodsimport

} // namespace shoupai
