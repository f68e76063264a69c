#include "common/ReportPreview.h"

#include "common/Prompter.h"
#include "common/ReportRenderer.h"
#include "platform/Database.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
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
    void print(Database& database, const ReportLayout& layout, const QString& statement,
               const QVariantList& parameters, int pages, QWidget* parent) override;
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

void ScriptedReportPreviewer::print(Database&, const ReportLayout& layout, const QString& statement,
                                    const QVariantList& parameters, int pages, QWidget*)
{
    m_shown.append({layout, statement, parameters, pages});
}

void ShowReportPreview(Database& database, const ReportLayout& layout, const QString& statement,
                       const QVariantList& parameters, QWidget* parent)
{
    int pages = 0;
    try {
        const qint64 rows =
            database
                .scalar(QStringLiteral("select count(*) from (%1) q").arg(statement), parameters)
                .toLongLong();
        QPrinter printer(QPrinter::HighResolution);
        pages = ReportRenderer::pageCount(layout, rows, printer);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return;
    }
    if (pages <= PreviewPageLimit) {
        ReportPreviewer::current().show(database, layout, statement, parameters, parent);
        return;
    }
    if (!Prompter::current().ask(QStringLiteral("共%1页,确定要打印吗?").arg(pages)))
        return;
    ReportPreviewer::current().print(database, layout, statement, parameters, pages, parent);
}

int RenderWithProgress(Database& database, const ReportLayout& layout, const QString& statement,
                       const QVariantList& parameters, QPagedPaintDevice& device, int pages,
                       QWidget* parent)
{
    QProgressDialog progress(QStringLiteral("正在打印..."), QStringLiteral("取消"), 0,
                             std::max(1, pages), parent);
    progress.setObjectName(QStringLiteral("reportProgress"));
    progress.setWindowTitle(layout.name.isEmpty() ? QStringLiteral("打印") : layout.name);
    progress.setAccessibleName(progress.windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setValue(0);
    ReportRenderer renderer(database);
    renderer.setProgress([&progress](int done) {
        progress.setValue(std::min(done, progress.maximum()));
        QApplication::processEvents();
        return !progress.wasCanceled();
    });
    const int printed = renderer.render(layout, statement, parameters, device);
    progress.setValue(progress.maximum());
    return printed;
}

void DialogReportPreviewer::print(Database& database, const ReportLayout& layout,
                                  const QString& statement, const QVariantList& parameters,
                                  int pages, QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(layout.name);
    printer.setPageLayout(ReportRenderer::pageLayout(layout));
    QPrintDialog chooser(&printer, parent);
    chooser.setObjectName(QStringLiteral("reportPrintDialog"));
    if (chooser.exec() != QDialog::Accepted)
        return;
    try {
        RenderWithProgress(database, layout, statement, parameters, printer, pages, parent);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
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
