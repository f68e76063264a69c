#include "floor/BoardReport.h"

namespace shoupai {

ReportLayout boardReportLayout()
{
    ReportLayout layout;
    layout.name = QStringLiteral("手牌消费");
    layout.titles = {QStringLiteral("手牌消费")};
    layout.columns = {
        ReportColumn::of(QStringLiteral("手牌号码"), QStringLiteral("手牌号码"), 22),
        ReportColumn::of(QStringLiteral("商品名"), QStringLiteral("商品名")),
        ReportColumn::of(QStringLiteral("单价"), QStringLiteral("单价"), 18, GridFormat::Money),
        ReportColumn::of(QStringLiteral("数量"), QStringLiteral("数量"), 14, GridFormat::Integer),
        ReportColumn::of(QStringLiteral("折扣"), QStringLiteral("折"), 14, GridFormat::Number),
        ReportColumn::of(QStringLiteral("合计"), QStringLiteral("合计"), 20, GridFormat::Money),
        ReportColumn::of(QStringLiteral("员工姓名"), QStringLiteral("服务生"), 22),
        ReportColumn::of(QStringLiteral("营业员"), QStringLiteral("营业员"), 22),
    };
    layout.summary = {ReportLine{
        ReportItem::sum(QStringLiteral("数量:"), QStringLiteral("数量")),
        ReportItem::sum(QStringLiteral("合计:"), QStringLiteral("合计"), QStringLiteral("元"))}};
    layout.footers = {QStringLiteral("[DATE] [TIME]")};
    return layout;
}

} // namespace shoupai
