#include "queries/XfCxUt.h"

#include "app/Session.h"
#include "common/DataGrid.h"
#include "common/GridOutput.h"
#include "common/Prompter.h"
#include "common/ReportPreview.h"
#include "common/SpreadsheetExport.h"
#include "queries/QueryFormParts.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

namespace {

const QString Table = QStringLiteral("手牌消费");
const QString BillLines = QStringLiteral("select * from 手牌消费 where 主手牌号 = ?");

QList<GridColumn> lineColumns()
{
    return {
        GridColumn::plain(QStringLiteral("商品名"), {}, 140),
        GridColumn::money(QStringLiteral("单价")),
        GridColumn::plain(QStringLiteral("数量")),
        GridColumn::money(QStringLiteral("合计")),
        GridColumn::plain(QStringLiteral("员工姓名")),
        GridColumn::plain(QStringLiteral("状态")),
        GridColumn::plain(QStringLiteral("主手牌号")),
        GridColumn::plain(QStringLiteral("消费时间"), {}, 150).as(GridFormat::DateTime),
    };
}

} // namespace

TXfCxFm::TXfCxFm(Session& session, QWidget* parent) : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TXfCxFm"));
    setWindowTitle(QStringLiteral("消费查询"));
    setAccessibleName(windowTitle());

    auto* tagsBox = new QGroupBox(QStringLiteral("正在消费的手牌号码"), this);
    tagsBox->setObjectName(QStringLiteral("tagsGroup"));
    tagsBox->setAccessibleName(tagsBox->title());
    m_find = edit(QStringLiteral("findField"), QStringLiteral("查找手牌"), this);
    m_tags = new QListWidget(this);
    m_tags->setObjectName(QStringLiteral("tagList"));
    m_tags->setAccessibleName(QStringLiteral("正在消费的手牌号码"));
    auto* tagsLayout = new QVBoxLayout(tagsBox);
    tagsLayout->addWidget(caption(QStringLiteral("findLabel"), QStringLiteral("查找手牌"), this));
    tagsLayout->addWidget(m_find);
    tagsLayout->addWidget(m_tags, 1);
    tagsBox->setMaximumWidth(180);

    m_tag = value(QStringLiteral("tagValue"), QStringLiteral("手牌号码:"), this);
    m_total = value(QStringLiteral("totalValue"), QStringLiteral("消费金额:"), this);
    auto* print = button(QStringLiteral("printButton"), QStringLiteral("打印"), this);
    auto* excel = button(QStringLiteral("excelButton"), QStringLiteral("Excel"), this);
    auto* close = button(QStringLiteral("closeButton"), QStringLiteral("关闭"), this);

    m_grid = new DataGrid(m_session.database(), this);
    m_grid->setObjectName(QStringLiteral("lineGrid"));
    m_grid->setAccessibleName(QStringLiteral("消费明细"));
    m_grid->setKindTable(Table);
    m_grid->setKeyColumns({QStringLiteral("ID")});
    m_grid->model()->setDefaultOrder({QStringLiteral("消费时间")});
    m_grid->setColumns(lineColumns());

    auto* figures = new QHBoxLayout;
    figures->addWidget(caption(QStringLiteral("tagCaption"), QStringLiteral("手牌号码:"), this));
    figures->addWidget(m_tag);
    figures->addSpacing(30);
    figures->addWidget(caption(QStringLiteral("totalCaption"), QStringLiteral("消费金额:"), this));
    figures->addWidget(m_total);
    figures->addStretch();
    auto* commands = new QHBoxLayout;
    commands->addStretch();
    commands->addWidget(print);
    commands->addWidget(excel);
    commands->addWidget(close);
    auto* right = new QVBoxLayout;
    right->addLayout(figures);
    right->addWidget(m_grid, 1);
    right->addLayout(commands);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(tagsBox);
    layout->addLayout(right, 1);
    resize(860, 520);

    connect(m_tags, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { ShowBill(item->text()); });
    connect(m_find, &QLineEdit::returnPressed, this, &TXfCxFm::FindTag);
    connect(print, &QPushButton::clicked, this, &TXfCxFm::PrintReport);
    connect(excel, &QPushButton::clicked, this, &TXfCxFm::ExportToExcel);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    LoadTags();
}

void TXfCxFm::LoadTags()
{
    m_tags->clear();
    m_find->clear();
    m_tag->clear();
    m_total->clear();
    m_grid->clear();
    QStringList tags;
    try {
        // As the board orders its tiles.
        Rows rows = m_session.database().query(
            QStringLiteral("select 手牌号码 from 手牌管理 where 手牌状态 = ? order by number, "
                           "手牌号码"),
            {QStringLiteral("占用")});
        while (rows.next())
            tags << rows.text(QStringLiteral("手牌号码"));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return;
    }
    if (tags.isEmpty()) {
        Prompter::current().inform(QStringLiteral("没有正在消费的手牌!"));
        return;
    }
    m_tags->addItems(tags);
    m_tags->setCurrentRow(0);
    // The first tag as a click on it shows it: its whole group's bill.
    ShowBill(tags.first());
}

void TXfCxFm::ShowBill(const QString& tag)
{
    m_tag->setText(tag);
    m_total->setText(QStringLiteral("0"));
    try {
        m_grid->setQuery(BillLines, {tag});
        const Money total = stored::toMoney(m_session.database().scalar(
            QStringLiteral("select sum(合计) from 手牌消费 where 主手牌号 = ?"), {tag}));
        m_total->setText(total.toString());
    } catch (const DatabaseError& error) {
        // The lines shown would not be this tag's.
        m_grid->clear();
        m_total->clear();
        Prompter::current().error(error.text());
    }
}

void TXfCxFm::FindTag()
{
    // A typed tag without lines shows that: an empty grid under its number,
    // never the previous tag's lines.
    ShowBill(m_find->text().trimmed());
}

ReportLayout TXfCxFm::consumptionReport()
{
    ReportLayout layout;
    layout.name = QStringLiteral("消费查询");
    layout.table = Table;
    layout.columns = {
        ReportColumn::of(QStringLiteral("手牌号码"), QStringLiteral("手牌号码"), 20,
                         GridFormat::Text),
        ReportColumn::of(QStringLiteral("商品名"), QStringLiteral("项目名"), 0, GridFormat::Text),
        ReportColumn::of(QStringLiteral("单价"), QStringLiteral("单价"), 18, GridFormat::Money),
        ReportColumn::of(QStringLiteral("数量"), QStringLiteral("数量"), 14, GridFormat::Integer),
        ReportColumn::of(QStringLiteral("折扣"), QStringLiteral("打折率"), 16, GridFormat::Number),
        ReportColumn::of(QStringLiteral("合计"), QStringLiteral("合计"), 18, GridFormat::Money),
        ReportColumn::of(QStringLiteral("员工姓名"), QStringLiteral("服务生"), 20,
                         GridFormat::Text),
        ReportColumn::of(QStringLiteral("营业员"), QStringLiteral("营业员"), 20, GridFormat::Text),
        ReportColumn::of(QStringLiteral("状态"), QStringLiteral("状态"), 14, GridFormat::Text),
    };
    layout.summary = {ReportLine{ReportItem::sum(QStringLiteral("数量:"), QStringLiteral("数量")),
                                 ReportItem::sum(QStringLiteral("合计:"), QStringLiteral("合计"))}};
    return layout;
}

void TXfCxFm::PrintReport()
{
    PrintGrid(m_session.database(), *m_grid, consumptionReport(), this);
}

void TXfCxFm::ExportToExcel()
{
    SpreadsheetExportOptions options;
    options.name = windowTitle();
    options.table = Table;
    ExportGrid(m_session.database(), *m_grid, options);
}

} // namespace shoupai
