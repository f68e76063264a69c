#pragma once

#include "common/ReportLayout.h"
#include "platform/Database.h"

#include <QDateTime>
#include <QPageLayout>
#include <QString>
#include <QVariantList>

#include <functional>
#include <optional>

class QPagedPaintDevice;

namespace shoupai {

// Lays a report out over the rows of one statement onto any paged device: the
// preview's printer, a real printer, or a PDF file. Rows are read once, front
// to back, and drawn as they come, so a long report needs no memory for its
// rows; counts and sums are added up exactly as they are drawn.
class ReportRenderer
{
public:
    explicit ReportRenderer(Database& database);

    // The moment that [DATE] and [TIME] show; the time of rendering by default.
    void setPrintedAt(const QDateTime& moment) { m_printedAt = moment; }

    // Called after every finished page with the pages finished so far; false
    // stops the report there, and render() then returns 0 (a printer's job
    // is aborted, a PDF removed).
    void setProgress(std::function<bool(int pages)> progress) { m_progress = std::move(progress); }

    // Draws the report and returns the number of pages, 0 when stopped. The
    // device takes the layout's page size first. Pages are finished one after
    // another into the device as the rows are read. Throws DatabaseError.
    int render(const ReportLayout& layout, const QString& statement, const QVariantList& parameters,
               QPagedPaintDevice& device) const;
    // Writes the report as a PDF file; false when the file cannot be written.
    bool renderToPdf(const ReportLayout& layout, const QString& statement,
                     const QVariantList& parameters, const QString& path) const;

    // The pages `rows` rows take on the device, from the layout's measures
    // alone: nothing is read or drawn. The summary may add a page.
    static int pageCount(const ReportLayout& layout, qint64 rows, QPagedPaintDevice& device);

    static QPageLayout pageLayout(const ReportLayout& layout);
    // The family that shows Chinese: WenQuanYi Micro Hei when present, else
    // any family that supports Simplified Chinese; nothing when none does.
    static std::optional<QString> chineseFontFamily();
    static QString substitute(const QString& text, const QDateTime& moment);

private:
    Database& m_database;
    QDateTime m_printedAt;
    std::function<bool(int)> m_progress;
};

} // namespace shoupai
