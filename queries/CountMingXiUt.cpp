#include "queries/CountMingXiUt.h"

#include "app/Session.h"
#include "common/DataGrid.h"
#include "common/GridOutput.h"
#include "common/Prompter.h"
#include "common/ReportPreview.h"
#include "common/SpreadsheetExport.h"
#include "queries/QueryFormParts.h"
#include "queries/SalesFigures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

namespace {

const QString Table = QStringLiteral("结帐明细");

QList<GridColumn> lineColumns()
{
    return {
        GridColumn::plain(QStringLiteral("单据号")).withFooter(GridSummary::Count),
        GridColumn::plain(QStringLiteral("手牌号码")),
        GridColumn::plain(QStringLiteral("顾客姓名")),
        GridColumn::plain(QStringLiteral("商品名"), {}, 140),
        GridColumn::money(QStringLiteral("单价")).withFooter(GridSummary::Sum),
        GridColumn::plain(QStringLiteral("数量")).withFooter(GridSummary::Sum),
        GridColumn::money(QStringLiteral("合计")).withFooter(GridSummary::Sum),
        GridColumn::plain(QStringLiteral("消费时间"), {}, 150).as(GridFormat::DateTime),
        GridColumn::plain(QStringLiteral("员工编号")),
        GridColumn::plain(QStringLiteral("员工姓名")),
        GridColumn::plain(QStringLiteral("营业员")),
        GridColumn::plain(QStringLiteral("状态")),
        GridColumn::plain(QStringLiteral("ID")).hide(),
        GridColumn::plain(QStringLiteral("是否计时")).hide(),
    };
}

QTimeEdit* timePicker(const QString& objectName, const QString& captionText, const QTime& time,
                      QWidget* parent)
{
    auto* edit = new QTimeEdit(time, parent);
    edit->setObjectName(objectName);
    edit->setAccessibleName(captionText);
    edit->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    return edit;
}

} // namespace

TCountMingXiFm::TCountMingXiFm(Session& session, QWidget* parent)
    : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TCountMingXiFm"));
    setWindowTitle(QStringLiteral("历史账单消费明细"));
    setAccessibleName(windowTitle());

    const QDate today = QDate::currentDate();
    m_timed = new QCheckBox(QStringLiteral("消费时间"), this);
    m_timed->setObjectName(QStringLiteral("timedBox"));
    m_timed->setAccessibleName(m_timed->text());
    m_fromDate = datePicker(QStringLiteral("fromDate"), QStringLiteral("从"), today, this);
    m_fromTime = timePicker(QStringLiteral("fromTime"), QStringLiteral("从"), QTime(0, 0), this);
    m_toDate = datePicker(QStringLiteral("toDate"), QStringLiteral("到"), today, this);
    m_toTime =
        timePicker(QStringLiteral("toTime"), QStringLiteral("到"), QTime::currentTime(), this);

    m_column = choice(QStringLiteral("columnField"), QStringLiteral("等于"), this);
    m_column->setEditable(true);
    m_column->addItems({QStringLiteral("商品名"), QStringLiteral("手牌号码"),
                        QStringLiteral("员工编号"), QStringLiteral("员工姓名"),
                        QStringLiteral("营业员")});
    m_value = edit(QStringLiteral("valueField"), QStringLiteral("等于"), this);
    m_state = choice(QStringLiteral("stateField"), QStringLiteral("状态"), this);
    m_state->addItems({QStringLiteral("全部"), QStringLiteral("已结"), QStringLiteral("免单")});

    auto* search = button(QStringLiteral("searchButton"), QStringLiteral("检索"), this);
    auto* excel = button(QStringLiteral("excelButton"), QStringLiteral("Excel"), this);
    auto* print = button(QStringLiteral("printButton"), QStringLiteral("打印"), this);
    auto* close = button(QStringLiteral("closeButton"), QStringLiteral("关闭"), this);
    m_revenue = value(QStringLiteral("revenueValue"), QStringLiteral("今日营业额"), this);
    m_count = value(QStringLiteral("countValue"), QStringLiteral("今日消费条数"), this);

    m_grid = new DataGrid(m_session.database(), this);
    m_grid->setObjectName(QStringLiteral("lineGrid"));
    m_grid->setAccessibleName(QStringLiteral("消费明细"));
    m_grid->setKindTable(Table);
    m_grid->setKeyColumns({QStringLiteral("ID")});
    m_grid->model()->setDefaultOrder({QStringLiteral("消费时间")});
    m_grid->setColumns(lineColumns());

    auto* times = new QGridLayout;
    times->addWidget(m_timed, 0, 0, 1, 3);
    times->addWidget(caption(QStringLiteral("fromLabel"), QStringLiteral("从"), this), 1, 0);
    times->addWidget(m_fromDate, 1, 1);
    times->addWidget(m_fromTime, 1, 2);
    times->addWidget(caption(QStringLiteral("toLabel"), QStringLiteral("到"), this), 2, 0);
    times->addWidget(m_toDate, 2, 1);
    times->addWidget(m_toTime, 2, 2);
    auto* conditions = new QGridLayout;
    conditions->addWidget(m_column, 0, 0);
    conditions->addWidget(caption(QStringLiteral("equalsLabel"), QStringLiteral("等于"), this), 0,
                          1);
    conditions->addWidget(m_value, 0, 2);
    conditions->addWidget(caption(QStringLiteral("stateLabel"), QStringLiteral("状态"), this), 1,
                          0);
    conditions->addWidget(m_state, 1, 2);
    auto* figures = new QVBoxLayout;
    figures->addWidget(m_revenue);
    figures->addWidget(m_count);
    auto* commands = new QVBoxLayout;
    commands->addWidget(search);
    commands->addWidget(excel);
    commands->addWidget(print);
    commands->addWidget(close);
    auto* top = new QHBoxLayout;
    top->addLayout(times);
    top->addLayout(conditions);
    top->addLayout(figures);
    top->addStretch();
    top->addLayout(commands);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    resize(1000, 600);

    enableTimes(false);
    connect(m_timed, &QCheckBox::toggled, this, &TCountMingXiFm::enableTimes);
    connect(search, &QPushButton::clicked, this, &TCountMingXiFm::Search);
    connect(m_value, &QLineEdit::returnPressed, this, &TCountMingXiFm::Search);
    connect(excel, &QPushButton::clicked, this, &TCountMingXiFm::ExportToExcel);
    connect(print, &QPushButton::clicked, this, &TCountMingXiFm::PrintReport);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    FreshDate();
}

void TCountMingXiFm::enableTimes(bool enabled)
{
    for (QWidget* picker : {static_cast<QWidget*>(m_fromDate), static_cast<QWidget*>(m_fromTime),
                            static_cast<QWidget*>(m_toDate), static_cast<QWidget*>(m_toTime)})
        picker->setEnabled(enabled);
}

void TCountMingXiFm::FreshDate()
{
    // "Today" is the workstation's date, the one its operator reads.
    const DayPeriod today = DayPeriod::day(QDate::currentDate());
    m_revenue->clear();
    m_count->clear();
    try {
        const BoundStatement lines = sales::paidLines(today);
        m_grid->setQuery(lines.sql, lines.parameters);
        m_count->setText(QString::number(m_grid->recordCount()));
        m_revenue->setText(sales::revenue(m_session.database(), today).toString());
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

LineSearch TCountMingXiFm::criteria() const
{
    LineSearch search;
    search.column = m_column->currentText();
    search.value = m_value->text();
    search.timed = m_timed->isChecked();
    search.from = QDateTime(m_fromDate->date(), m_fromTime->time());
    search.to = QDateTime(m_toDate->date(), m_toTime->time());
    search.state = m_state->currentText();
    return search;
}

void TCountMingXiFm::Search()
{
    const LineSearch::Built built = criteria().build(m_session.database().dialect());
    if (built.outcome != LineSearch::Outcome::Ready) {
        Prompter::current().warn(built.message);
        return;
    }
    try {
        m_grid->setQuery(built.statement.sql, built.statement.parameters);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

ReportLayout TCountMingXiFm::linesReport()
{
    ReportLayout layout;
    layout.name = QStringLiteral("历史账单消费明细");
    layout.table = Table;
    layout.columns = {
        ReportColumn::of(QStringLiteral("单据号"), QStringLiteral("单据号"), 22, GridFormat::Text),
        ReportColumn::of(QStringLiteral("商品名"), QStringLiteral("商品名"), 0, GridFormat::Text),
        ReportColumn::of(QStringLiteral("单价"), QStringLiteral("消费单价"), 24, GridFormat::Money),
        ReportColumn::of(QStringLiteral("数量"), QStringLiteral("数量"), 16, GridFormat::Integer),
        ReportColumn::of(QStringLiteral("合计"), QStringLiteral("消费金额"), 24, GridFormat::Money),
        ReportColumn::of(QStringLiteral("员工编号"), QStringLiteral("服务生"), 22,
                         GridFormat::Text),
        ReportColumn::of(QStringLiteral("营业员"), QStringLiteral("营业员"), 24, GridFormat::Text),
    };
    layout.summary = {
        ReportLine{ReportItem::label(QStringLiteral("[DATE] [TIME]")),
                   ReportItem::sum(QStringLiteral("消费数量:"), QStringLiteral("数量")),
                   ReportItem::sum(QStringLiteral("消费金额:"), QStringLiteral("合计"))}};
    return layout;
}

void TCountMingXiFm::PrintReport()
{
    PrintGrid(m_session.database(), *m_grid, linesReport(), this);
}

void TCountMingXiFm::ExportToExcel()
{
    SpreadsheetExportOptions options;
    options.name = windowTitle();
    options.table = Table;
    ExportGrid(m_session.database(), *m_grid, options);
}

} // namespace shoupai
