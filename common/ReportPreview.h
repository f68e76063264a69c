#pragma once

#include "common/ReportLayout.h"

#include <QString>
#include <QVariantList>

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
    };

    ScriptedReportPreviewer();
    ~ScriptedReportPreviewer() override;
    ScriptedReportPreviewer(const ScriptedReportPreviewer&) = delete;
    ScriptedReportPreviewer& operator=(const ScriptedReportPreviewer&) = delete;

    void show(Database& database, const ReportLayout& layout, const QString& statement,
              const QVariantList& parameters, QWidget* parent) override;
    const QList<Shown>& shown() const { return m_shown; }

private:
    ReportPreviewer* m_previous = nullptr;
    QList<Shown> m_shown;
};

// Shows a report over the rows of one statement in the preview window (zoom,
// page through, print to any printer, save as PDF). A failing statement is
// shown through the prompter.
void ShowReportPreview(Database& database, const ReportLayout& layout, const QString& statement,
                       const QVariantList& parameters, QWidget* parent = nullptr);

} // namespace shoupai
