#include "queries/HYConsumeCxUt.h"

#include "app/Session.h"
#include "common/DataGrid.h"
#include "common/GridOutput.h"
#include "common/Prompter.h"
#include "common/ReportPreview.h"
#include "platform/TypedSearch.h"
#include "queries/QueryFormParts.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

namespace {

const QString Table = QStringLiteral("结帐管理");
const QString MemberName = QStringLiteral("会员姓名");
const QString NonMember = QStringLiteral("非会员");

QList<GridColumn> billColumns()
{
    const auto dateTime = [](const QString& name) {
        return GridColumn::plain(name, {}, 150).as(GridFormat::DateTime);
    };
    const QString sum = QStringLiteral("Sum is %1");
    return {
        GridColumn::plain(QStringLiteral("id")),
        GridColumn::plain(QStringLiteral("单据号")),
        GridColumn::plain(QStringLiteral("手牌号码")),
        dateTime(QStringLiteral("进店时间")),
        dateTime(QStringLiteral("离店时间")),
        GridColumn::money(QStringLiteral("实收金额")).withFooter(GridSummary::Sum, sum),
        GridColumn::money(QStringLiteral("消费金额")).withFooter(GridSummary::Sum, sum),
        GridColumn::plain(QStringLiteral("结帐方式")),
        GridColumn::plain(QStringLiteral("状态")),
        dateTime(QStringLiteral("结帐时间")),
        GridColumn::plain(QStringLiteral("会员卡号")),
        GridColumn::plain(QStringLiteral("顾客姓名")),
        GridColumn::plain(QStringLiteral("营业员")),
        GridColumn::plain(QStringLiteral("备注")),
    };
}

} // namespace

THYConsumeCXFm::THYConsumeCXFm(Session& session, QWidget* parent)
    : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("THYConsumeCXFm"));
    setWindowTitle(QStringLiteral("会员消费查询"));
    setAccessibleName(windowTitle());

    m_column = new QComboBox(this);
    m_column->setObjectName(QStringLiteral("columnField"));
    m_column->setAccessibleName(QStringLiteral("中包含"));
    m_column->setEditable(true);
    m_column->addItems(
        {QStringLiteral("会员卡号"), MemberName, QStringLiteral("营业员"), QStringLiteral("状态")});
    m_text = edit(QStringLiteral("textField"), QStringLiteral("中包含"), this);
    auto* search = button(QStringLiteral("searchButton"), QStringLiteral("查询"), this);
    auto* print = button(QStringLiteral("printButton"), QStringLiteral("打印"), this);
    auto* quit = button(QStringLiteral("quitButton"), QStringLiteral("退出"), this);

    m_grid = new DataGrid(m_session.database(), this);
    m_grid->setObjectName(QStringLiteral("billGrid"));
    m_grid->setAccessibleName(QStringLiteral("会员消费"));
    m_grid->setKindTable(Table);
    m_grid->setKeyColumns({QStringLiteral("id")});
    m_grid->setColumns(billColumns());

    auto* row = new QHBoxLayout;
    row->addWidget(m_column);
    row->addWidget(caption(QStringLiteral("containsLabel"), QStringLiteral("中包含"), this));
    row->addWidget(m_text, 1);
    row->addWidget(search);
    row->addWidget(print);
    row->addWidget(quit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(m_grid, 1);
    resize(1000, 560);

    connect(search, &QPushButton::clicked, this, &THYConsumeCXFm::Search);
    connect(m_text, &QLineEdit::returnPressed, this, &THYConsumeCXFm::Search);
    connect(print, &QPushButton::clicked, this, &THYConsumeCXFm::PrintReport);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);

    ShowAll();
}

void THYConsumeCXFm::list(const QString& statement, const QVariantList& parameters)
{
    try {
        m_grid->setQuery(statement, parameters);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

void THYConsumeCXFm::ShowAll()
{
    list(QStringLiteral("select * from 结帐管理"), {});
}

std::optional<BoundStatement> THYConsumeCXFm::searchStatement(const Dialect& dialect,
                                                              const QString& column,
                                                              const QString& text, QString* refusal)
{
    const QString chosen = column.trimmed();
    // Nothing writes a member name into the bill; checkout writes it as the
    // guest name of a member's bill.
    const bool memberName = chosen == MemberName;
    const TypedSearch search =
        TypedSearch::build(dialect, Table, memberName ? QStringLiteral("顾客姓名") : chosen, text);
    switch (search.outcome) {
    case TypedSearch::Outcome::UnknownColumn:
        *refusal = QStringLiteral("\"%1\"不是结帐记录的列名,请重新选择要查询的列!").arg(chosen);
        return std::nullopt;
    case TypedSearch::Outcome::BadValue:
        *refusal = search.message;
        return std::nullopt;
    case TypedSearch::Outcome::Ready:
        break;
    }
    BoundStatement statement{QStringLiteral("select * from 结帐管理 where ") + search.condition,
                             search.parameters};
    if (memberName) {
        statement.sql += QStringLiteral(" and 会员卡号 <> ?");
        statement.parameters << NonMember;
    }
    return statement;
}

void THYConsumeCXFm::Search()
{
    const QString column = m_column->currentText();
    const QString text = m_text->text();
    if (column.trimmed().isEmpty() || text.isEmpty())
        return;
    QString refusal;
    const std::optional<BoundStatement> statement =
        searchStatement(m_session.database().dialect(), column, text, &refusal);
    if (!statement) {
        Prompter::current().warn(refusal);
        return;
    }
    list(statement->sql, statement->parameters);
}

ReportLayout THYConsumeCXFm::memberReport()
{
    ReportLayout layout;
    layout.name = QStringLiteral("会员消费查询");
    layout.table = Table;
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
    layout.summary = {
        ReportLine{ReportItem::sum(QStringLiteral("消费金额:"), QStringLiteral("消费金额")),
                   ReportItem::sum(QStringLiteral("实收金额:"), QStringLiteral("实收金额"))}};
    return layout;
}

void THYConsumeCXFm::PrintReport()
{
    PrintGrid(m_session.database(), *m_grid, memberReport(), this);
}

} // namespace shoupai
