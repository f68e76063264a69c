#include "common/ReportPreview.h"

#include "common/Prompter.h"
#include "common/ReportRenderer.h"
#include "platform/Database.h"

#include <QAction>
#include <QFileDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QTimer>
#include <QToolBar>

namespace shoupai {

namespace {

QString pdfName(const ReportLayout& layout)
{
    const QString name = layout.name.isEmpty() ? QStringLiteral("报表") : layout.name;
    return name + QDateTime::currentDateTime().toString(QStringLiteral("_yyyyMMdd_HHmmss")) +
           QStringLiteral(".pdf");
}

class DialogReportPreviewer final : public ReportPreviewer
{
public:
    void show(Database& database, const ReportLayout& layout, const QString& statement,
              const QVariantList& parameters, QWidget* parent) override;
};

DialogReportPreviewer dialogPreviewer;
ReportPreviewer* installedPreviewer = nullptr;

} // namespace

ReportPreviewer& ReportPreviewer::current()
{
    return installedPreviewer ? *installedPreviewer : dialogPreviewer;
}

void ReportPreviewer::install(ReportPreviewer* previewer)
{
    installedPreviewer = previewer;
}

ScriptedReportPreviewer::ScriptedReportPreviewer() : m_previous(installedPreviewer)
{
    install(this);
}

ScriptedReportPreviewer::~ScriptedReportPreviewer()
{
    install(m_previous);
}

void ScriptedReportPreviewer::show(Database&, const ReportLayout& layout, const QString& statement,
                                   const QVariantList& parameters, QWidget*)
{
    m_shown.append({layout, statement, parameters});
}

void ShowReportPreview(Database& database, const ReportLayout& layout, const QString& statement,
                       const QVariantList& parameters, QWidget* parent)
{
    ReportPreviewer::current().show(database, layout, statement, parameters, parent);
}

void DialogReportPreviewer::show(Database& database, const ReportLayout& layout,
                                 const QString& statement, const QVariantList& parameters,
                                 QWidget* parent)
{
    ReportRenderer renderer(database);
    // One moment for every repaint of the preview and for the printed pages.
    renderer.setPrintedAt(QDateTime::currentDateTime());

    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(layout.name);
    printer.setPageLayout(ReportRenderer::pageLayout(layout));

    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("reportPreview"));
    const QString caption = layout.name.isEmpty()
                                ? QStringLiteral("打印预览")
                                : QStringLiteral("打印预览 - %1").arg(layout.name);
    dialog.setWindowTitle(caption);
    dialog.setAccessibleName(caption);
    dialog.resize(900, 700);

    QString failure;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        if (!failure.isEmpty())
            return;
        try {
            renderer.render(layout, statement, parameters, *target);
        } catch (const DatabaseError& error) {
            // Painting goes on inside the dialog; it is closed
            // and the failure shown once control is back.
            failure = error.text();
            QTimer::singleShot(0, &dialog, &QDialog::reject);
        }
    });

    if (auto* toolBar = dialog.findChild<QToolBar*>()) {
        toolBar->addSeparator();
        QAction* savePdf = toolBar->addAction(QStringLiteral("保存为PDF"));
        savePdf->setObjectName(QStringLiteral("savePdfAction"));
        savePdf->setToolTip(QStringLiteral("保存为PDF"));
        QObject::connect(savePdf, &QAction::triggered, &dialog, [&] {
            const QString folder =
                QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
            const QString path = QFileDialog::getSaveFileName(&dialog, QStringLiteral("保存为PDF"),
                                                              folder + u'/' + pdfName(layout),
                                                              QStringLiteral("PDF (*.pdf)"));
            if (path.isEmpty())
                return;
            try {
                if (!renderer.renderToPdf(layout, statement, parameters, path))
                    Prompter::current().error(QStringLiteral("不能写入文件 %1").arg(path));
            } catch (const DatabaseError& error) {
                Prompter::current().error(error.text());
            }
        });
    }

    dialog.exec();
    if (!failure.isEmpty())
        Prompter::current().error(failure);
}

} // namespace shoupai
