#include "billing/OpenDanUt.h"

#include "app/Session.h"
#include "billing/AddConsumeUt.h"
#include "billing/BillOpening.h"
#include "common/FormParts.h"
#include "common/Prompter.h"
#include "common/TagBoard.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

TOpenDanFm::TOpenDanFm(Session& session, TagBoard& board, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), m_session(session), m_board(board),
      m_mainTagLabel(value(QStringLiteral("mainTagValue"), QStringLiteral("主手牌号:"), this)),
      m_roomType(value(QStringLiteral("roomTypeValue"), QStringLiteral("包厢类型:"), this)),
      m_ticketPrice(value(QStringLiteral("ticketPriceValue"), QStringLiteral("门票价格:"), this)),
      m_total(value(QStringLiteral("totalValue"), QStringLiteral("合计金额:"), this)),
      m_deposit(edit(QStringLiteral("depositEdit"), QStringLiteral("押金金额:"), this)),
      m_guestName(edit(QStringLiteral("guestNameEdit"), QStringLiteral("顾客姓名:"), this)),
      m_remark(new QPlainTextEdit(this)), m_candidates(new QListWidget(this)),
      m_group(new QListWidget(this)),
      m_openButton(button(QStringLiteral("openButton"), QStringLiteral("开单"), this))
{
    setObjectName(QStringLiteral("TOpenDanFm"));
    setWindowTitle(QStringLiteral("顾客开单"));
    setAccessibleName(windowTitle());
    setModal(true);

    // Whole units only: digits and backspace.
    m_deposit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), this));
    m_remark->setObjectName(QStringLiteral("remarkEdit"));
    m_remark->setAccessibleName(QStringLiteral("开单备注"));
    m_candidates->setObjectName(QStringLiteral("candidateList"));
    m_candidates->setAccessibleName(QStringLiteral("可选手牌"));
    m_group->setObjectName(QStringLiteral("groupList"));
    m_group->setAccessibleName(QStringLiteral("手牌号码"));

    QFont bold = font();
    bold.setBold(true);
    auto* mainCaption =
        caption(QStringLiteral("mainTagCaption"), QStringLiteral("主手牌号:"), this);
    mainCaption->setFont(bold);
    m_mainTagLabel->setFont(bold);

    auto* fields = new QGridLayout;
    fields->addWidget(mainCaption, 0, 0);
    fields->addWidget(m_mainTagLabel, 0, 1);
    fields->addWidget(caption(QStringLiteral("roomTypeCaption"), QStringLiteral("包厢类型:"), this),
                      0, 2);
    fields->addWidget(m_roomType, 0, 3);
    fields->addWidget(
        caption(QStringLiteral("ticketPriceCaption"), QStringLiteral("门票价格:"), this), 1, 0);
    fields->addWidget(m_ticketPrice, 1, 1);
    fields->addWidget(caption(QStringLiteral("totalCaption"), QStringLiteral("合计金额:"), this), 1,
                      2);
    fields->addWidget(m_total, 1, 3);
    fields->addWidget(caption(QStringLiteral("depositCaption"), QStringLiteral("押金金额:"), this),
                      2, 0);
    fields->addWidget(m_deposit, 2, 1);
    fields->addWidget(
        caption(QStringLiteral("guestNameCaption"), QStringLiteral("顾客姓名:"), this), 2, 2);
    fields->addWidget(m_guestName, 2, 3);

    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("tabs"));
    auto* remarkPage = new QWidget(tabs);
    remarkPage->setObjectName(QStringLiteral("remarkPage"));
    (new QVBoxLayout(remarkPage))->addWidget(m_remark);
    tabs->addTab(remarkPage, QStringLiteral("开单备注"));

    auto* groupPage = new QWidget(tabs);
    groupPage->setObjectName(QStringLiteral("groupPage"));
    auto* moveInButton = button(QStringLiteral("moveInButton"), QStringLiteral("->"), groupPage);
    auto* moveOutButton = button(QStringLiteral("moveOutButton"), QStringLiteral("<-"), groupPage);
    auto* arrows = new QVBoxLayout;
    arrows->addStretch();
    arrows->addWidget(moveInButton);
    arrows->addWidget(moveOutButton);
    arrows->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(
        caption(QStringLiteral("groupCaption"), QStringLiteral("手牌号码"), groupPage));
    right->addWidget(m_group);
    auto* groupLayout = new QHBoxLayout(groupPage);
    groupLayout->addWidget(m_candidates);
    groupLayout->addLayout(arrows);
    groupLayout->addLayout(right);
    tabs->addTab(groupPage, QStringLiteral("团体开单"));

    auto* cancelButton = button(QStringLiteral("cancelButton"), QStringLiteral("取消"), this);
    m_openButton->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_openButton);
    buttons->addWidget(cancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(tabs, 1);
    layout->addLayout(buttons);
    resize(460, 380);

    connect(moveInButton, &QPushButton::clicked, this, &TOpenDanFm::moveIn);
    connect(moveOutButton, &QPushButton::clicked, this, &TOpenDanFm::moveOut);
    connect(m_candidates, &QListWidget::itemDoubleClicked, this, &TOpenDanFm::moveIn);
    connect(m_group, &QListWidget::itemDoubleClicked, this, &TOpenDanFm::moveOut);
    connect(m_openButton, &QPushButton::clicked, this, &TOpenDanFm::KaiDanHs);
    connect(cancelButton, &QPushButton::clicked, this, &TOpenDanFm::cancel);
}

void TOpenDanFm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // A window restored from minimised keeps what the operator has chosen and typed.
    if (!event->spontaneous())
        load();
}

void TOpenDanFm::load()
{
    m_mainTag = m_board.selectedTag();
    m_mainTagLabel->setText(m_mainTag);
    m_deposit->setText(QStringLiteral("0"));
    m_guestName->setText(QStringLiteral("散客"));
    m_remark->setPlainText(QStringLiteral("无"));
    m_candidates->clear();
    m_group->clear();
    m_group->addItem(m_mainTag);
    const QString tab = m_board.activeRoomType();
    try {
        Database& db = m_session.database();
        Rows room = db.query(
            QStringLiteral("select 包厢类型, 门票价格 from 包厢类型 where 包厢类型 = ?"), {tab});
        if (room.next()) {
            m_roomTypeName = room.text(QStringLiteral("包厢类型"));
            m_ticket = room.money(QStringLiteral("门票价格"));
        } else {
            m_roomTypeName = tab;
            m_ticket = Money();
        }
        m_roomType->setText(m_roomTypeName);
        m_ticketPrice->setText(m_ticket.toString());
        m_total->setText(m_ticket.toString());
        m_candidates->addItems(candidateTags(db, tab, m_mainTag));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

void TOpenDanFm::moveIn()
{
    QListWidgetItem* item = m_candidates->currentItem();
    if (!item || !item->isSelected())
        return;
    m_group->addItem(item->text());
    delete item;
}

void TOpenDanFm::moveOut()
{
    QListWidgetItem* item = m_group->currentItem();
    if (!item || !item->isSelected() || item->text() == m_mainTag)
        return;
    m_candidates->addItem(item->text());
    delete item;
}

bool TOpenDanFm::KaiDanHs()
{
    if (m_mainTag.isEmpty())
        return false;
    BillOpening opening;
    opening.mainTag = m_mainTag;
    for (int i = 0; i < m_group->count(); ++i)
        opening.tags << m_group->item(i)->text();
    opening.roomType = m_roomTypeName;
    opening.ticketPrice = m_ticket;
    // An emptied deposit field means no deposit.
    const QString depositText = m_deposit->text().trimmed();
    const std::optional<Money> deposit =
        depositText.isEmpty() ? std::optional<Money>(Money()) : Money::parse(depositText);
    if (!deposit || deposit->isNegative()) {
        Prompter::current().warn(QStringLiteral("押金金额必须是整数!"));
        return false;
    }
    opening.deposit = *deposit;
    opening.guestName = m_guestName->text();
    opening.remark = m_remark->toPlainText();
    opening.operatorName = m_session.operatorName;
    opening.openedAt = QDateTime::currentDateTime();

    QString taken;
    try {
        taken = openBill(m_session.database(), opening);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return false;
    }
    if (!taken.isEmpty()) {
        Prompter::current().warn(
            QStringLiteral("手牌%1已被占用或不可用,没有开单,请重新选择手牌!").arg(taken));
        // The group keeps what the operator chose, minus the tag that is gone;
        // the candidates are read again.
        const QStringList chosen = opening.tags;
        const QString tab = m_board.activeRoomType();
        try {
            m_candidates->clear();
            m_candidates->addItems(candidateTags(m_session.database(), tab, m_mainTag));
            for (int i = m_group->count() - 1; i >= 0; --i) {
                const QString tag = m_group->item(i)->text();
                if (tag == taken && tag != m_mainTag)
                    delete m_group->takeItem(i);
            }
            for (int i = m_candidates->count() - 1; i >= 0; --i) {
                if (chosen.contains(m_candidates->item(i)->text()))
                    delete m_candidates->takeItem(i);
            }
        } catch (const DatabaseError& error) {
            Prompter::current().error(error.text());
        }
        m_board.ReloadTags();
        m_board.RefreshSelection();
        return false;
    }
    m_board.ReloadTags();
    m_board.RefreshSelection();
    accept();
    if (m_opensConsumption)
        openConsumption();
    return true;
}

void TOpenDanFm::openConsumption()
{
    // After this screen has closed: the add-consumption screen takes the board's tag.
    Session* session = &m_session;
    TagBoard* board = &m_board;
    QPointer<QWidget> owner = parentWidget();
    QTimer::singleShot(0, qApp, [session, board, owner] {
        TAddConsumeFm consume(*session, *board, owner);
        consume.exec();
    });
}

void TOpenDanFm::cancel()
{
    m_board.ReloadTags();
    m_board.RefreshSelection();
    reject();
}

} // namespace shoupai
