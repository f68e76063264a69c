#pragma once

#include "common/ReportLayout.h"

#include <QString>
#include <QVariantList>

class QPagedPaintDevice;
class QWidget;

namespace shoupai {

class Database;

// What shows a report: the preview window, unless a test installed another.
class ReportPreviewer
{
public:
    virtual ~ReportPreviewer() = default;
    virtual void show(Database& database, const ReportLayout& layout, const QString& statement,
                      const QVariantList& parameters, QWidget* parent) = 0;
    // Prints a report of `pages` pages straight to a printer the operator
    // picks, with no preview (which would hold every page).
    virtual void print(Database& database, const ReportLayout& layout, const QString& statement,
                       const QVariantList& parameters, int pages, QWidget* parent) = 0;

    static ReportPreviewer& current();
    // Installs a previewer (not owned); nullptr restores the preview window.
    static void install(ReportPreviewer* previewer);
};

// Records what would have been shown, for tests. Installs itself for its lifetime.
class ScriptedReportPreviewer final : public ReportPreviewer
{
public:
    struct Shown
    {
        ReportLayout layout;
        QString statement;
        QVariantList parameters;
        int pages = 0; // printed without preview; 0 when previewed
    };

    ScriptedReportPreviewer();
    ~ScriptedReportPreviewer() override;
    ScriptedReportPreviewer(const ScriptedReportPreviewer&) = delete;
    ScriptedReportPreviewer& operator=(const ScriptedReportPreviewer&) = delete;

    void show(Database& database, const ReportLayout& layout, const QString& statement,
              const QVariantList& parameters, QWidget* parent) override;
    void print(Database& database, const ReportLayout& layout, const QString& statement,
               const QVariantList& parameters, int pages, QWidget* parent) override;
    const QList<Shown>& shown() const { return m_shown; }

private:
    ReportPreviewer* m_previous = nullptr;
    QList<Shown> m_shown;
};

// Reports longer than this are printed without preview, after asking.
constexpr int PreviewPageLimit = 500;

// Shows a report over the rows of one statement in the preview window (zoom,
// page through, print to any printer, save as PDF). The pages are counted
// first (one count of the rows): a report of more than PreviewPageLimit pages
// asks "共N页,确定要打印吗?" and is then printed straight to the printer. A
// failing statement is shown through the prompter.
void ShowReportPreview(Database& database, const ReportLayout& layout, const QString& statement,
                       const QVariantList& parameters, QWidget* parent = nullptr);

// Renders the report into the device page by page under a progress dialog
// ("reportProgress") whose cancel button stops it. Returns the pages, 0 when
// cancelled. Throws DatabaseError.
int RenderWithProgress(Database& database, const ReportLayout& layout, const QString& statement,
                       const QVariantList& parameters, QPagedPaintDevice& device, int pages,
                       QWidget* parent);

} // namespace shoupai
