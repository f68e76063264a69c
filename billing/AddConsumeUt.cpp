#include "billing/AddConsumeUt.h"

#include "app/Session.h"
#include "billing/CheckOutUt.h"
#include "billing/ConsumptionLine.h"
#include "billing/FwsXzUt.h"
#include "common/DataGrid.h"
#include "common/FormParts.h"
#include "common/Prompter.h"
#include "common/TagBoard.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPointer>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

namespace {

const QString GoodsColumns =
    QStringLiteral("select ID, 编号, 商品名, 单价, 库存, 商品类型 from 商品库");

// Only one checkout screen at a time.
QPointer<TCheckOutFm> openCheckout;

} // namespace

TAddConsumeFm::TAddConsumeFm(Session& session, TagBoard& board, QWidget* parent)
    : QDialog(parent), m_session(session), m_board(board), m_tag(board.shownTag()),
      m_tagLabel(value(QStringLiteral("tagValue"), QStringLiteral("牌号:"), this)),
      m_mainTagLabel(value(QStringLiteral("mainTagValue"), QStringLiteral("主牌号:"), this)),
      m_signedLabel(value(QStringLiteral("signedQuantityValue"), QStringLiteral("数量:"), this)),
      m_search(edit(QStringLiteral("searchEdit"), QStringLiteral("(回车) 名称/拼音 (F1)"), this)),
      m_quantity(edit(QStringLiteral("quantityEdit"), QStringLiteral("消费数量[F4]:"), this)),
      m_negative(new QCheckBox(QStringLiteral("负数"), this)), m_types(new QListWidget(this)),
      m_goods(new DataGrid(session.database(), this)),
      m_lines(new DataGrid(session.database(), this))
{
    setObjectName(QStringLiteral("TAddConsumeFm"));
    setWindowTitle(QStringLiteral("消费"));
    setAccessibleName(windowTitle());
    setModal(true);
    resize(900, 600);

    m_negative->setObjectName(QStringLiteral("negativeBox"));
    m_negative->setAccessibleName(QStringLiteral("负数"));
    m_types->setObjectName(QStringLiteral("typeList"));
    m_types->setAccessibleName(QStringLiteral("商品类型"));
    m_types->setMaximumWidth(140);
    m_quantity->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.]{0,6}")), this));

    m_goods->setObjectName(QStringLiteral("goodsGrid"));
    m_goods->setKindTable(QStringLiteral("商品库"));
    m_goods->setColumns({GridColumn::plain(QStringLiteral("编号")),
                         GridColumn::plain(QStringLiteral("商品名"), {}, 160),
                         GridColumn::money(QStringLiteral("单价")),
                         GridColumn::plain(QStringLiteral("库存")),
                         GridColumn::plain(QStringLiteral("商品类型"))});
    m_lines->setObjectName(QStringLiteral("linesGrid"));
    m_lines->setKindTable(QStringLiteral("手牌消费"));
    m_lines->setColumns({GridColumn::plain(QStringLiteral("商品名"), {}, 140),
                         GridColumn::money(QStringLiteral("实际单价")),
                         GridColumn::plain(QStringLiteral("数量")),
                         GridColumn::money(QStringLiteral("合计")),
                         GridColumn::plain(QStringLiteral("参与打折"), QStringLiteral("折"), 30),
                         GridColumn::plain(QStringLiteral("员工编号")),
                         GridColumn::plain(QStringLiteral("员工姓名")),
                         GridColumn::plain(QStringLiteral("营业员"))});

    auto* addButton = button(QStringLiteral("addButton"), QStringLiteral("增加[F5]"), this);
    auto* checkoutButton = button(QStringLiteral("checkoutButton"), QStringLiteral("结帐"), this);
    auto* closeButton = button(QStringLiteral("closeButton"), QStringLiteral("关闭"), this);

    auto* head = new QHBoxLayout;
    head->addWidget(caption(QStringLiteral("tagCaption"), QStringLiteral("牌号:"), this));
    head->addWidget(m_tagLabel);
    head->addSpacing(20);
    head->addWidget(caption(QStringLiteral("mainTagCaption"), QStringLiteral("主牌号:"), this));
    head->addWidget(m_mainTagLabel);
    head->addSpacing(20);
    head->addWidget(
        caption(QStringLiteral("searchCaption"), QStringLiteral("(回车) 名称/拼音 (F1)"), this));
    head->addWidget(m_search, 1);

    auto* quantityRow = new QHBoxLayout;
    quantityRow->addWidget(
        caption(QStringLiteral("quantityCaption"), QStringLiteral("消费数量[F4]:"), this));
    quantityRow->addWidget(m_quantity);
    quantityRow->addWidget(m_negative);
    quantityRow->addWidget(caption(QStringLiteral("signedCaption"), QStringLiteral("数量:"), this));
    quantityRow->addWidget(m_signedLabel);
    quantityRow->addStretch();
    quantityRow->addWidget(addButton);
    quantityRow->addWidget(checkoutButton);
    quantityRow->addWidget(closeButton);

    auto* middle = new QHBoxLayout;
    middle->addWidget(m_types);
    middle->addWidget(m_goods, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addLayout(middle, 3);
    layout->addLayout(quantityRow);
    layout->addWidget(m_lines, 2);

    connect(addButton, &QPushButton::clicked, this, &TAddConsumeFm::ZengJiaHs);
    connect(m_goods, &DataGrid::doubleClicked, this, &TAddConsumeFm::ZengJiaHs);
    connect(checkoutButton, &QPushButton::clicked, this, &TAddConsumeFm::checkout);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_types, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { filterByType(item->text()); });
    connect(m_quantity, &QLineEdit::textChanged, this, &TAddConsumeFm::updateSignedQuantity);
    connect(m_negative, &QCheckBox::toggled, this, &TAddConsumeFm::updateSignedQuantity);
    connect(m_search, &QLineEdit::returnPressed, this, [this] { search(m_search->text()); });
    m_search->installEventFilter(this);
    m_quantity->installEventFilter(this);

    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, [this] {
        m_search->setFocus();
        m_search->selectAll();
    });
    auto* f4 = new QShortcut(QKeySequence(Qt::Key_F4), this);
    connect(f4, &QShortcut::activated, this, [this] {
        m_quantity->setFocus();
        m_quantity->selectAll();
    });
    auto* f5 = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(f5, &QShortcut::activated, this, &TAddConsumeFm::ZengJiaHs);
}

void TAddConsumeFm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // A window restored from minimised keeps what the operator has chosen and typed.
    if (!event->spontaneous())
        load();
}

bool TAddConsumeFm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_search) {
        if (event->type() == QEvent::KeyPress && m_search->text().trimmed().isEmpty()) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() != Qt::Key_F1 && key->key() != Qt::Key_F4 && key->key() != Qt::Key_F5)
                showAllGoods(false);
        } else if (event->type() == QEvent::FocusOut) {
            m_search->clear();
        }
    } else if (watched == m_quantity && event->type() == QEvent::MouseButtonRelease) {
        QTimer::singleShot(0, m_quantity, &QLineEdit::selectAll);
    }
    return QDialog::eventFilter(watched, event);
}

void TAddConsumeFm::load()
{
    m_quantity->setText(QStringLiteral("1"));
    m_negative->setChecked(false);
    updateSignedQuantity();
    m_tagLabel->setText(m_tag);
    m_types->clear();
    m_types->addItem(QStringLiteral("全部"));
    try {
        Database& db = m_session.database();
        Rows types = db.query(QStringLiteral("select 名称 from 商品类型"));
        while (types.next())
            m_types->addItem(types.text(QStringLiteral("名称")));
        Rows bill =
            db.query(QStringLiteral("select 主手牌号 from 手牌开单 where 手牌号码 = ?"), {m_tag});
        m_mainTag = bill.next() ? bill.text(QStringLiteral("主手牌号")) : QString();
        m_mainTagLabel->setText(m_mainTag);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
    for (int i = 0; i < m_types->count(); ++i) {
        m_types->item(i)->setData(Qt::AccessibleTextRole, m_types->item(i)->text());
    }
    reloadLines();
    m_search->clear();
    showAllGoods(true);
}

void TAddConsumeFm::showGoods(const QString& where, const QVariantList& values, bool ordered)
{
    try {
        // Every list ends its order with the key, so that pages and refreshes
        // keep the rows in place on every engine; the unsorted lists are in
        // the order the goods were entered.
        m_goods->setQuery(
            GoodsColumns + where +
                (ordered ? QStringLiteral(" order by 编号, ID") : QStringLiteral(" order by ID")),
            values);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

void TAddConsumeFm::showAllGoods(bool ordered)
{
    showGoods({}, {}, ordered);
}

void TAddConsumeFm::filterByType(const QString& entry)
{
    const QString text = entry.trimmed();
    if (text.isEmpty())
        return;
    if (text == u"全部") {
        showAllGoods(true);
        return;
    }
    showGoods(QStringLiteral(" where 商品类型 like ?"), {u'%' + text + u'%'}, true);
}

void TAddConsumeFm::search(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return;
    const Dialect& dialect = m_session.database().dialect();
    const QString pattern = u'%' + trimmed + u'%';
    showGoods(QStringLiteral(" where %1 or %2 or %3")
                  .arg(dialect.caseInsensitiveLike(QStringLiteral("商品名")),
                       dialect.caseInsensitiveLike(QStringLiteral("拼音")),
                       dialect.caseInsensitiveLike(QStringLiteral("编号"))),
              {pattern, pattern, pattern}, false);
    m_quantity->setFocus();
    m_quantity->selectAll();
}

void TAddConsumeFm::reloadLines()
{
    try {
        m_lines->setQuery(
            QStringLiteral("select 商品名, 实际单价, 数量, 合计, 参与打折, 员工编号, "
                           "员工姓名, 营业员 from 手牌消费 where 手牌号码 = ? order by ID"),
            {m_tag});
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

QString TAddConsumeFm::signedQuantity() const
{
    return m_negative->isChecked() ? u'-' + m_quantity->text() : m_quantity->text();
}

void TAddConsumeFm::updateSignedQuantity()
{
    m_signedLabel->setText(signedQuantity());
}

bool TAddConsumeFm::ZengJiaHs()
{
    if (!m_goods->hasCurrentRecord())
        return false;
    // The quantity is stored as a whole number; anything else is refused first.
    const std::optional<qint64> quantity = parseQuantity(m_quantity->text());
    if (!quantity) {
        Prompter::current().warn(
            QStringLiteral("消费数量必须是1到%1之间的整数!").arg(MaxLineQuantity));
        m_quantity->setFocus();
        m_quantity->selectAll();
        return false;
    }
    if (m_negative->isChecked() &&
        !Prompter::current().ask(QStringLiteral("您选择了\"负数\",请确定.")))
        return false;

    try {
        const qint64 id = m_goods->currentValue(QStringLiteral("ID")).toLongLong();
        const std::optional<GoodsItem> goods = goodsById(m_session.database(), id);
        if (!goods) {
            Prompter::current().warn(QStringLiteral("该商品已经不存在!"));
            showAllGoods(true);
            // No row stands in for the one that went: the next F5 books nothing.
            m_goods->selectByKey(QStringLiteral("ID"), id);
            return false;
        }
        ConsumptionLine line;
        line.tag = m_tag;
        line.goods = *goods;
        line.quantity = m_negative->isChecked() ? -*quantity : *quantity;
        line.operatorName = m_session.operatorName;

        if (goods->needsService) {
            TFwsXzFm picker(m_session.database(), this);
            if (m_pickerHook)
                m_pickerHook(picker);
            else
                picker.exec();
            if (picker.outcome() == TFwsXzFm::Outcome::Cancelled) {
                reloadLines();
                return false;
            }
            if (picker.outcome() == TFwsXzFm::Outcome::Chosen) {
                line.employeeNumber = picker.employeeNumber();
                line.employeeName = picker.employeeName();
            }
        }
        line.addedAt = QDateTime::currentDateTime();
        const AddedLine added = addConsumptionLine(m_session.database(), line);
        if (!added.stored) {
            Prompter::current().warn(QStringLiteral("手牌%1没有开单,不能增加消费!").arg(m_tag));
            return false;
        }
        m_mainTag = added.mainTag;
        m_mainTagLabel->setText(m_mainTag);
        // The goods grid shows the new stock and keeps the same goods current,
        // wherever the new stock puts it; gone from the list, none is current.
        m_goods->refresh();
        m_goods->selectByKey(QStringLiteral("ID"), id);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return false;
    }
    reloadLines();
    m_quantity->setText(QStringLiteral("1"));
    m_negative->setChecked(false);
    return true;
}

void TAddConsumeFm::checkout()
{
    if (openCheckout)
        return;
    const QString tag = m_tag;
    Session* session = &m_session;
    TagBoard* board = &m_board;
    const bool opens = m_opensCheckout;
    QPointer<QWidget> owner = parentWidget();
    accept();
    if (!opens)
        return;
    QTimer::singleShot(0, qApp, [session, board, owner, tag] {
        TCheckOutFm screen(*session, *board, tag, owner);
        openCheckout = &screen;
        screen.exec();
    });
}

} // namespace shoupai
