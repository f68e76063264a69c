#pragma once

#include "common/ReportLayout.h"

#include <QString>
#include <QVariantList>

class QWidget;

namespace shoupai {

class Database;

// Shows a report over the rows of one statement in the preview window (zoom,
// page through, print to any printer, save as PDF). A failing statement is
// shown through the prompter.
void ShowReportPreview(Database& database, const ReportLayout& layout, const QString& statement,
                       const QVariantList& parameters, QWidget* parent = nullptr);

} // namespace shoupai
