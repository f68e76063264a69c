#include "common/ReportPreview.h"

#include "platform/Database.h"

namespace shoupai {

void ShowReportPreview(Database&, const ReportLayout&, const QString&, const QVariantList&, QWidget*)
{
}

} // namespace shoupai
