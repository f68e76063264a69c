#pragma once

#include "queries/SalesChartData.h"

#include <QDate>
#include <QDialog>

class QChart;
class QChartView;
class QDateEdit;
class QListWidget;
class QTabWidget;

namespace shoupai {

class Session;

// "营业图表": the revenue per day and the best-selling items of a period.
class TSalesChartFm : public QDialog
{
    Q_OBJECT
public:
    explicit TSalesChartFm(Session& session, QWidget* parent = nullptr);

    // Opens on another screen's period and goods type, and draws it.
    void setPeriod(const QDate& from, const QDate& to, const QString& type);
    // "统计": reads both charts' figures and draws them. "从" after "到" is
    // refused and reads nothing.
    void Draw();

    const salescharts::RevenueBars& revenue() const { return m_revenue; }
    const QList<salescharts::Bar>& items() const { return m_items; }
    QString chosenType() const;

    QDateEdit* fromDate() const { return m_from; }
    QDateEdit* toDate() const { return m_to; }
    QListWidget* typeList() const { return m_types; }
    QTabWidget* tabs() const { return m_tabs; }
    QChart* revenueChart() const;
    QChart* itemChart() const;

private:
    void drawRevenue();
    void drawItems();

    Session& m_session;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QListWidget* m_types = nullptr;
    QTabWidget* m_tabs = nullptr;
    QChartView* m_revenueView = nullptr;
    QChartView* m_itemView = nullptr;
    salescharts::RevenueBars m_revenue;
    QList<salescharts::Bar> m_items;
};

} // namespace shoupai
