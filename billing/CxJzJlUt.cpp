#include "billing/CxJzJlUt.h"

#include "app/Session.h"
#include "billing/BillReversal.h"
#include "billing/Receipt.h"
#include "common/DataGrid.h"
#include "common/GridOutput.h"
#include "common/Prompter.h"
#include "common/ReportPreview.h"
#include "common/SpreadsheetExport.h"
#include "common/TagBoard.h"
#include "platform/DayPeriod.h"
#include "platform/TypedSearch.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace shoupai {

namespace {

const QString Table = QStringLiteral("结帐管理");

QList<GridColumn> billColumns()
{
    const auto dateTime = [](const QString& name) {
        return GridColumn::plain(name, {}, 150).as(GridFormat::DateTime);
    };
    return {
        GridColumn::plain(QStringLiteral("id")).withFooter(GridSummary::Count),
        GridColumn::plain(QStringLiteral("单据号")),
        GridColumn::plain(QStringLiteral("手牌号码")),
        dateTime(QStringLiteral("进店时间")),
        GridColumn::money(QStringLiteral("实收金额"))
            .withFooter(GridSummary::Sum)
            .withGroupSummary(GridSummary::Sum),
        GridColumn::money(QStringLiteral("卡内扣除")).withFooter(GridSummary::Sum),
        GridColumn::money(QStringLiteral("消费金额"))
            .withFooter(GridSummary::Sum)
            .withGroupSummary(GridSummary::Sum),
        GridColumn::plain(QStringLiteral("结帐方式")),
        GridColumn::plain(QStringLiteral("状态")),
        dateTime(QStringLiteral("结帐时间")),
        GridColumn::plain(QStringLiteral("顾客姓名")),
        GridColumn::plain(QStringLiteral("营业员")),
        GridColumn::plain(QStringLiteral("备注")),
    };
}

template <typename W> W* named(W* widget, const QString& objectName, const QString& caption)
{
    widget->setObjectName(objectName);
    widget->setAccessibleName(caption);
    return widget;
}

} // namespace

TCxJzJlFm::TCxJzJlFm(Session& session, TagBoard* board, QWidget* parent)
    : QDialog(parent), m_session(session), m_board(board)
{
    setObjectName(QStringLiteral("TCxJzJlFm"));
    setWindowTitle(QStringLiteral("历史账单查询"));
    setAccessibleName(windowTitle());
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    setWindowState(Qt::WindowMaximized);
    buildControls();
    // The grid itself keeps the bills in checkout order: its pages then come
    // from the index on 结帐时间 and its footers are summed over the plain
    // table, so a long history opens at once. The order is set on an empty
    // result first, so that the real list is read only once.
    try {
        m_grid->setQuery(QStringLiteral("select * from 结帐管理 where 1 = 0"));
        m_grid->sortBy(QStringLiteral("结帐时间"));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
    ShowAll();
}

QPushButton* TCxJzJlFm::button(const QString& caption, const QString& name)
{
    auto* b = named(new QPushButton(caption, this), name, caption);
    b->setAutoDefault(false);
    return b;
}

void TCxJzJlFm::buildControls()
{
    m_column = named(new QComboBox(this), QStringLiteral("columnField"), QStringLiteral("中包含"));
    m_column->setEditable(true);
    m_column->addItems({QStringLiteral("单据号"), QStringLiteral("手牌号码"),
                        QStringLiteral("备注"), QStringLiteral("会员姓名"),
                        QStringLiteral("营业员"), QStringLiteral("状态")});
    m_column->setCurrentText(QStringLiteral("顾客姓名"));
    m_text = named(new QLineEdit(this), QStringLiteral("textField"), QStringLiteral("查询内容"));
    auto* search = button(QStringLiteral("查询"), QStringLiteral("searchButton"));

    const QDate today = QDate::currentDate();
    m_from = named(new QDateEdit(QDate(today.year(), today.month(), 1), this),
                   QStringLiteral("fromDate"), QStringLiteral("从"));
    m_to = named(new QDateEdit(today.addDays(1), this), QStringLiteral("toDate"),
                 QStringLiteral("到"));
    for (QDateEdit* edit : {m_from, m_to}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
    m_state = named(new QComboBox(this), QStringLiteral("stateField"), QStringLiteral("状态"));
    m_state->addItems({QStringLiteral("全部"), QStringLiteral("已结"), QStringLiteral("免单")});
    auto* dateRange = button(QStringLiteral("日期统计"), QStringLiteral("dateRangeButton"));

    auto* printBill = button(QStringLiteral("打印当前账单"), QStringLiteral("printBillButton"));
    auto* printAll = button(QStringLiteral("打印全部记录"), QStringLiteral("printAllButton"));
    auto* excel = button(QStringLiteral("Excel"), QStringLiteral("excelButton"));
    auto* quit = button(QStringLiteral("退出"), QStringLiteral("quitButton"));

    auto* searchBox = named(new QGroupBox(QStringLiteral("查询"), this),
                            QStringLiteral("searchGroup"), QStringLiteral("查询"));
    auto* searchLayout = new QHBoxLayout(searchBox);
    auto* columnColumn = new QVBoxLayout;
    columnColumn->addWidget(m_column);
    columnColumn->addWidget(named(new QLabel(QStringLiteral("中包含"), this),
                                  QStringLiteral("containsLabel"), QStringLiteral("中包含")));
    searchLayout->addLayout(columnColumn);
    searchLayout->addWidget(m_text, 1);
    searchLayout->addWidget(search);

    auto* rangeBox = named(new QGroupBox(QStringLiteral("日期统计"), this),
                           QStringLiteral("dateRangeGroup"), QStringLiteral("日期统计"));
    auto* rangeLayout = new QHBoxLayout(rangeBox);
    const auto label = [this](const QString& text, const QString& name) {
        return named(new QLabel(text, this), name, text);
    };
    rangeLayout->addWidget(label(QStringLiteral("从"), QStringLiteral("fromLabel")));
    rangeLayout->addWidget(m_from);
    rangeLayout->addWidget(label(QStringLiteral("到"), QStringLiteral("toLabel")));
    rangeLayout->addWidget(m_to);
    rangeLayout->addWidget(label(QStringLiteral("状态"), QStringLiteral("stateLabel")));
    rangeLayout->addWidget(m_state);
    rangeLayout->addWidget(dateRange);

    m_column->setMinimumWidth(110);
    m_text->setMinimumWidth(140);
    m_from->setMinimumWidth(120);
    m_to->setMinimumWidth(120);

    auto* filters = new QHBoxLayout;
    filters->addWidget(searchBox);
    filters->addWidget(rangeBox);
    filters->addStretch();
    auto* commands = new QHBoxLayout;
    commands->addWidget(printBill);
    commands->addWidget(printAll);
    commands->addWidget(excel);
    commands->addStretch();
    commands->addWidget(quit);

    m_grid = new DataGrid(m_session.database(), this);
    m_grid->setKindTable(Table);
    m_grid->setKeyColumns({QStringLiteral("id")});
    m_grid->setColumns(billColumns());
    m_grid->setAccessibleName(QStringLiteral("结帐记录"));

    m_menu = named(new QMenu(this), QStringLiteral("gridMenu"), QStringLiteral("撤销结帐"));
    QAction* reverse = m_menu->addAction(QStringLiteral("撤销结帐"));
    reverse->setObjectName(QStringLiteral("reverseAction"));
    m_grid->view()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid->view(), &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        m_menu->popup(m_grid->view()->viewport()->mapToGlobal(at));
    });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addLayout(commands);
    layout->addWidget(m_grid, 1);

    connect(search, &QPushButton::clicked, this, &TCxJzJlFm::Search);
    connect(dateRange, &QPushButton::clicked, this, &TCxJzJlFm::DateRange);
    connect(printBill, &QPushButton::clicked, this, &TCxJzJlFm::BuDaHs);
    connect(printAll, &QPushButton::clicked, this, &TCxJzJlFm::PrintAll);
    connect(excel, &QPushButton::clicked, this, &TCxJzJlFm::ExportToExcel);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);
    connect(reverse, &QAction::triggered, this, &TCxJzJlFm::CheXiaoHs);
}

void TCxJzJlFm::list(const QString& statement, const QVariantList& parameters)
{
    try {
        m_grid->setQuery(statement, parameters);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

void TCxJzJlFm::ShowAll()
{
    list(QStringLiteral("select * from 结帐管理"), {});
}

void TCxJzJlFm::Search()
{
    const QString column = m_column->currentText().trimmed();
    const QString text = m_text->text();
    if (column.isEmpty() || text.isEmpty())
        return;
    const TypedSearch search =
        TypedSearch::build(m_session.database().dialect(), Table, column, text);
    switch (search.outcome) {
    case TypedSearch::Outcome::UnknownColumn:
        Prompter::current().warn(
            QStringLiteral("\"%1\"不是结帐记录的列名,请重新选择要查询的列!").arg(column));
        return;
    case TypedSearch::Outcome::BadValue:
        Prompter::current().warn(search.message);
        return;
    case TypedSearch::Outcome::Ready:
        break;
    }
    list(QStringLiteral("select * from 结帐管理 where ") + search.condition, search.parameters);
}

void TCxJzJlFm::DateRange()
{
    const std::optional<DayPeriod> period = DayPeriod::of(m_from->date(), m_to->date());
    if (!period) {
        Prompter::current().warn(DayPeriod::refusal());
        return;
    }
    const QString within = period->condition(QStringLiteral("结帐时间"));
    const QString state = m_state->currentText();
    if (state == u"全部") {
        list(QStringLiteral("select * from 结帐管理 where ") + within, period->parameters());
        return;
    }
    list(QStringLiteral("select * from 结帐管理 where 状态 = ? and ") + within,
         QVariantList{state} + period->parameters());
}

void TCxJzJlFm::BuDaHs()
{
    if (!m_grid->hasCurrentRecord())
        return;
    PrintStoredBill(m_session, m_grid->currentValue(QStringLiteral("id")).toLongLong());
}

ReportLayout TCxJzJlFm::recordsReport()
{
    ReportLayout layout;
    layout.name = QStringLiteral("结帐记录");
    layout.columns = {
        ReportColumn::of(QStringLiteral("id"), QStringLiteral("ID编号"), 18, GridFormat::Integer),
        ReportColumn::of(QStringLiteral("单据号"), QStringLiteral("单据号"), 22, GridFormat::Text),
        ReportColumn::of(QStringLiteral("会员卡号"), QStringLiteral("会员卡号"), 28,
                         GridFormat::Text),
        ReportColumn::of(QStringLiteral("顾客姓名"), QStringLiteral("顾客姓名"), 0,
                         GridFormat::Text),
        ReportColumn::of(QStringLiteral("消费金额"), QStringLiteral("消费金额"), 26,
                         GridFormat::Money),
        ReportColumn::of(QStringLiteral("实收金额"), QStringLiteral("实收金额"), 26,
                         GridFormat::Money),
        ReportColumn::of(QStringLiteral("营业员"), QStringLiteral("营业员"), 24, GridFormat::Text),
    };
    layout.summary = {ReportLine{
        ReportItem::label(QStringLiteral("[DATE]")), ReportItem::label(QStringLiteral("[TIME]")),
        ReportItem::sum(QStringLiteral("消费金额:"), QStringLiteral("消费金额")),
        ReportItem::sum(QStringLiteral("实收金额:"), QStringLiteral("实收金额"))}};
    return layout;
}

void TCxJzJlFm::PrintAll()
{
    PrintGrid(m_session.database(), *m_grid, recordsReport(), this);
}

void TCxJzJlFm::ExportToExcel()
{
    SpreadsheetExportOptions options;
    options.name = windowTitle();
    options.table = Table;
    ExportGrid(m_session.database(), *m_grid, options);
}

void TCxJzJlFm::CheXiaoHs()
{
    if (!m_grid->hasCurrentRecord())
        return;
    if (!Prompter::current().ask(QStringLiteral("您是否要撤销这笔结帐呢?")))
        return;
    const qint64 id = m_grid->currentValue(QStringLiteral("id")).toLongLong();
    try {
        const BillReversal::Outcome outcome = BillReversal(m_session.database()).reverse(id);
        if (outcome.status != BillReversal::Status::Reversed) {
            Prompter::current().warn(outcome.message);
            if (outcome.status != BillReversal::Status::BillGone)
                return;
        }
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return;
    }
    try {
        m_grid->refresh();
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
    if (m_board) {
        m_board->ReloadTags();
        m_board->RefreshSelection();
    }
}

} // namespace shoupai
