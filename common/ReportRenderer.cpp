#include "common/ReportRenderer.h"

#include <QPagedPaintDevice>

namespace shoupai {

ReportRenderer::ReportRenderer(Database& database) : m_database(database) {}

int ReportRenderer::render(const ReportLayout&, const QString&, const QVariantList&,
                           QPagedPaintDevice&) const
{
    return 0;
}

bool ReportRenderer::renderToPdf(const ReportLayout&, const QString&, const QVariantList&,
                                 const QString&) const
{
    return false;
}

QPageLayout ReportRenderer::pageLayout(const ReportLayout&)
{
    return {};
}

std::optional<QString> ReportRenderer::chineseFontFamily()
{
    return std::nullopt;
}

QString ReportRenderer::substitute(const QString& text, const QDateTime&)
{
    return text;
}

} // namespace shoupai
