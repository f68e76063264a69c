#include "catalogue/XmUt.h"

#include "app/Session.h"
#include "catalogue/Purchases.h"
#include "catalogue/XmAddRdUt.h"
#include "catalogue/XmAddUt.h"
#include "catalogue/XmEditUt.h"
#include "common/CommandRow.h"
#include "common/DataGrid.h"
#include "common/FormParts.h"
#include "common/GridOutput.h"
#include "common/Prompter.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

namespace {
const QString Key = QStringLiteral("ID");
const QString Table = QStringLiteral("商品库");
const QString NoRight = QStringLiteral("没有权限");
} // namespace

TXmFm::TXmFm(Session& session, QWidget* parent) : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TXmFm"));
    setWindowTitle(QStringLiteral("商品项目管理"));
    setAccessibleName(windowTitle());
    setWindowState(Qt::WindowMaximized);

    m_grid = new DataGrid(m_session.database(), this);
    m_grid->setObjectName(QStringLiteral("goodsGrid"));
    m_grid->setAccessibleName(windowTitle());
    m_grid->setKindTable(Table);
    m_grid->setKeyColumns({Key});
    m_grid->setColumns({
        GridColumn::plain(QStringLiteral("编号"), {}, 80),
        GridColumn::plain(QStringLiteral("商品名"), QStringLiteral("名称"), 160)
            .withFooter(GridSummary::Count),
        GridColumn::plain(QStringLiteral("拼音"), {}, 80),
        GridColumn::money(QStringLiteral("单价"), {}, 80),
        GridColumn::plain(QStringLiteral("商品类型"), {}, 90),
        GridColumn::plain(QStringLiteral("库存"), {}, 70).withFooter(GridSummary::Sum),
        GridColumn::plain(QStringLiteral("是否需要服务"), {}, 90),
    });

    CommandRow toolbar(this);
    toolbar.add(this,
                {{QStringLiteral("addButton"), QStringLiteral("增加项目"), &TXmFm::Add},
                 {QStringLiteral("purchaseButton"), QStringLiteral("商品进货"), &TXmFm::Purchase},
                 {QStringLiteral("changeButton"), QStringLiteral("修改"), &TXmFm::Change},
                 {QStringLiteral("deleteButton"), QStringLiteral("删除"), &TXmFm::Delete},
                 {QStringLiteral("refreshButton"), QStringLiteral("刷新"), &TXmFm::Refresh},
                 {QStringLiteral("showAllButton"), QStringLiteral("显示全部"), &TXmFm::ShowAll},
                 {QStringLiteral("printButton"), QStringLiteral("打印"), &TXmFm::PrintReport},
                 {QStringLiteral("excelButton"), QStringLiteral("EXCEL"), &TXmFm::ExportExcel}});
    toolbar.addQuit(this);

    auto* searchRow = new QHBoxLayout;
    m_search = edit(QStringLiteral("searchEdit"), QStringLiteral("名称"), this);
    m_find = button(QStringLiteral("findButton"), QStringLiteral("查找"), this);
    searchRow->addWidget(
        caption(QStringLiteral("searchLabel"), QStringLiteral("名称"), this, m_search));
    searchRow->addWidget(m_search);
    searchRow->addWidget(m_find);
    searchRow->addStretch();
    connect(m_find, &QPushButton::clicked, this, &TXmFm::Search);
    // Enter in the box runs the search.
    connect(m_search, &QLineEdit::returnPressed, this, &TXmFm::Search);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(toolbar.layout());
    layout->addLayout(searchRow);
    layout->addWidget(m_grid, 1);
    resize(900, 600);

    run(goodsitems::allItems(), {});
}

QVariant TXmFm::currentKey() const
{
    return m_grid->hasCurrentRecord() ? m_grid->currentValue(Key) : QVariant();
}

void TXmFm::run(const GoodsStatement& statement, const QVariant& key)
{
    try {
        m_grid->setQuery(statement.sql, statement.parameters);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return;
    }
    reselect(key);
}

void TXmFm::reselect(const QVariant& key)
{
    if (key.isValid())
        m_grid->selectByKey(Key, key);
}

void TXmFm::Refresh()
{
    const QVariant key = currentKey();
    try {
        m_grid->refresh();
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return;
    }
    reselect(key);
}

void TXmFm::ShowAll()
{
    run(goodsitems::allItems(), currentKey());
}

void TXmFm::Search()
{
    const std::optional<GoodsStatement> found =
        goodsitems::search(m_session.database().dialect(), m_search->text());
    if (!found)
        return;
    run(*found, {});
    if (m_grid->recordCount() == 0)
        Prompter::current().inform(goodsitems::NoMatch);
}

void TXmFm::Add()
{
    TXmAddFm editor(m_session, this);
    if (m_runModal(editor) == QDialog::Accepted) {
        Refresh();
        reselect(QVariant::fromValue<qlonglong>(editor.savedKey()));
    }
}

void TXmFm::Change()
{
    if (!m_grid->hasCurrentRecord())
        return;
    const qint64 key = m_grid->currentValue(Key).toLongLong();
    TXmEditFm editor(m_session, key, this);
    m_runModal(editor);
    Refresh();
}

void TXmFm::Purchase()
{
    if (!m_grid->hasCurrentRecord())
        return;
    if (!m_session.permissions.has(Permission::StockPurchase)) {
        Prompter::current().warn(NoRight);
        return;
    }
    const qint64 key = m_grid->currentValue(Key).toLongLong();
    const CatalogueOutcome gate = purchases::gate(m_session.database(), key);
    if (!gate.done) {
        Prompter::current().warn(gate.message);
        Refresh();
        return;
    }
    TXmAddRdFm purchase(m_session, key, this);
    m_runModal(purchase);
    Refresh();
}

void TXmFm::Delete()
{
    if (!m_grid->hasCurrentRecord())
        return;
    if (!m_session.permissions.has(Permission::DeleteGoods)) {
        Prompter::current().warn(NoRight);
        return;
    }
    const QString name = m_grid->currentValue(QStringLiteral("商品名")).toString();
    if (!Prompter::current().ask(QStringLiteral("您是否要删除\" ") + name + u'"'))
        return;
    const CatalogueOutcome outcome =
        goodsitems::deleteItem(m_session.database(), m_grid->currentValue(Key).toLongLong());
    if (!outcome.done)
        Prompter::current().error(outcome.message);
    Refresh();
}

ReportLayout TXmFm::catalogueReport()
{
    ReportLayout layout;
    layout.name = QStringLiteral("商品项目列表");
    layout.table = Table;
    layout.titles = {QStringLiteral("商品项目列表    [DATE]")};
    layout.columns = {
        ReportColumn::of(QStringLiteral("商品名"), QStringLiteral("商品名"), 50, GridFormat::Text),
        ReportColumn::of(QStringLiteral("单价"), QStringLiteral("单价"), 25, GridFormat::Money),
        ReportColumn::of(QStringLiteral("商品类型"), QStringLiteral("类型"), 30, GridFormat::Text),
        ReportColumn::of(QStringLiteral("编号"), QStringLiteral("编号"), 30, GridFormat::Text),
        ReportColumn::of(QStringLiteral("库存"), QStringLiteral("库存"), 20, GridFormat::Integer),
    };
    layout.footers = {QStringLiteral("打印日期:[DATE]")};
    return layout;
}

void TXmFm::PrintReport()
{
    PrintGrid(m_session.database(), *m_grid, catalogueReport(), this);
}

void TXmFm::ExportExcel()
{
    SpreadsheetExportOptions options;
    options.name = windowTitle();
    options.table = Table;
    ExportGrid(m_session.database(), *m_grid, options);
}

} // namespace shoupai
