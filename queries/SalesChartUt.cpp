#include "queries/SalesChartUt.h"

#include "app/Session.h"
#include "common/Prompter.h"
#include "queries/QueryFormParts.h"
#include "queries/SalesFigures.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QHorizontalBarSeries>
#include <QListWidget>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

namespace shoupai {

using namespace formparts;

namespace {

QChartView* chartView(const QString& objectName, const QString& name, QWidget* parent)
{
    auto* view = new QChartView(new QChart, parent);
    view->setObjectName(objectName);
    view->setAccessibleName(name);
    view->setRenderHint(QPainter::Antialiasing);
    view->chart()->legend()->hide();
    return view;
}

// Replaces what a chart shows; the chart owns the series and axes it is given.
void resetChart(QChart* chart)
{
    chart->removeAllSeries();
    const auto axes = chart->axes();
    for (QAbstractAxis* axis : axes) {
        chart->removeAxis(axis);
        delete axis;
    }
}

QValueAxis* amountAxis(const QList<salescharts::Bar>& bars)
{
    Money top;
    for (const salescharts::Bar& bar : bars)
        top = std::max(top, bar.value);
    auto* axis = new QValueAxis;
    axis->setTitleText(QStringLiteral("金额(元)"));
    axis->setLabelFormat(QStringLiteral("%.0f"));
    axis->setRange(0, std::max(1.0, top.toDouble() * 1.05));
    return axis;
}

} // namespace

TSalesChartFm::TSalesChartFm(Session& session, QWidget* parent)
    : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TSalesChartFm"));
    setWindowTitle(QStringLiteral("营业图表"));
    setAccessibleName(windowTitle());
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);

    const QDate today = QDate::currentDate();
    m_from = datePicker(QStringLiteral("fromDate"), QStringLiteral("从"),
                        QDate(today.year(), today.month(), 1), this);
    m_to = datePicker(QStringLiteral("toDate"), QStringLiteral("到"), today, this);
    auto* draw = button(QStringLiteral("drawButton"), QStringLiteral("统计"), this);
    m_types = new QListWidget(this);
    m_types->setObjectName(QStringLiteral("typeList"));
    m_types->setAccessibleName(QStringLiteral("商品类型"));
    m_types->setMaximumWidth(160);
    try {
        m_types->addItems(sales::typeChoices(m_session.database()));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("chartTabs"));
    m_revenueView = chartView(QStringLiteral("revenueChart"), QStringLiteral("每日营业额"), this);
    m_itemView = chartView(QStringLiteral("itemChart"), QStringLiteral("项目销售"), this);
    m_tabs->addTab(m_revenueView, QStringLiteral("每日营业额"));
    m_tabs->addTab(m_itemView, QStringLiteral("项目销售"));

    auto* controls = new QHBoxLayout;
    controls->addWidget(caption(QStringLiteral("fromLabel"), QStringLiteral("从"), this));
    controls->addWidget(m_from);
    controls->addWidget(caption(QStringLiteral("toLabel"), QStringLiteral("到"), this));
    controls->addWidget(m_to);
    controls->addWidget(draw);
    controls->addStretch();
    auto* body = new QHBoxLayout;
    body->addWidget(m_types);
    body->addWidget(m_tabs, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addLayout(body, 1);
    resize(960, 600);

    connect(draw, &QPushButton::clicked, this, &TSalesChartFm::Draw);
    connect(m_types, &QListWidget::itemClicked, this, &TSalesChartFm::Draw);
}

QChart* TSalesChartFm::revenueChart() const
{
    return m_revenueView->chart();
}

QChart* TSalesChartFm::itemChart() const
{
    return m_itemView->chart();
}

QString TSalesChartFm::chosenType() const
{
    const QListWidgetItem* item = m_types->currentItem();
    return item ? item->text().trimmed() : sales::allTypes();
}

void TSalesChartFm::setPeriod(const QDate& from, const QDate& to, const QString& type)
{
    m_from->setDate(from);
    m_to->setDate(to);
    const QList<QListWidgetItem*> found = m_types->findItems(type.trimmed(), Qt::MatchExactly);
    m_types->setCurrentItem(found.isEmpty() ? nullptr : found.first());
    Draw();
}

void TSalesChartFm::Draw()
{
    const std::optional<DayPeriod> period = DayPeriod::of(m_from->date(), m_to->date());
    if (!period) {
        Prompter::current().warn(DayPeriod::refusal());
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        m_revenue = salescharts::revenueBars(m_session.database(), *period);
        m_items = salescharts::itemBars(m_session.database(), *period, chosenType());
    } catch (const DatabaseError& error) {
        QApplication::restoreOverrideCursor();
        Prompter::current().error(error.text());
        return;
    }
    QApplication::restoreOverrideCursor();
    drawRevenue();
    drawItems();
}

void TSalesChartFm::drawRevenue()
{
    QChart* chart = revenueChart();
    resetChart(chart);
    auto* set = new QBarSet(QStringLiteral("营业额"));
    QStringList labels;
    for (const salescharts::Bar& bar : m_revenue.bars) {
        *set << bar.value.toDouble();
        labels << bar.label;
    }
    auto* series = new QBarSeries;
    series->append(set);
    chart->addSeries(series);
    auto* days = new QBarCategoryAxis;
    days->append(labels);
    days->setTitleText(m_revenue.perMonth ? QStringLiteral("月份(按月统计)")
                                          : QStringLiteral("日期(按日统计)"));
    days->setLabelsAngle(-60);
    chart->addAxis(days, Qt::AlignBottom);
    series->attachAxis(days);
    QValueAxis* amounts = amountAxis(m_revenue.bars);
    chart->addAxis(amounts, Qt::AlignLeft);
    series->attachAxis(amounts);
    chart->setTitle(m_revenue.perMonth ? QStringLiteral("每月营业额")
                                       : QStringLiteral("每日营业额"));
}

void TSalesChartFm::drawItems()
{
    QChart* chart = itemChart();
    resetChart(chart);
    auto* set = new QBarSet(QStringLiteral("金额"));
    QStringList labels;
    // The largest at the top: a horizontal chart draws its first category lowest.
    for (auto bar = m_items.crbegin(); bar != m_items.crend(); ++bar) {
        *set << bar->value.toDouble();
        labels << bar->label;
    }
    auto* series = new QHorizontalBarSeries;
    series->append(set);
    chart->addSeries(series);
    auto* names = new QBarCategoryAxis;
    names->append(labels);
    chart->addAxis(names, Qt::AlignLeft);
    series->attachAxis(names);
    QValueAxis* amounts = amountAxis(m_items);
    chart->addAxis(amounts, Qt::AlignBottom);
    series->attachAxis(amounts);
    chart->setTitle(QStringLiteral("项目销售(前%1名)").arg(salescharts::TopItems));
}

} // namespace shoupai
