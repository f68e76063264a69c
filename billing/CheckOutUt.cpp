#include "billing/CheckOutUt.h"

#include "app/Session.h"
#include "billing/BillNumber.h"
#include "billing/CheckOutInfoUt.h"
#include "billing/CheckoutGroup.h"
#include "billing/CheckoutPosting.h"
#include "common/DataGrid.h"
#include "common/FormParts.h"
#include "common/Prompter.h"
#include "common/TagBoard.h"
#include "members/IcCard.h"
#include "members/MemberPassword.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

namespace {

const QString WalkIn = QStringLiteral("散客");

QLabel* big(QLabel* label)
{
    QFont font = label->font();
    font.setBold(true);
    font.setPointSize(font.pointSize() * 3 / 2);
    label->setFont(font);
    return label;
}

} // namespace

TCheckOutFm::TCheckOutFm(Session& session, TagBoard& board, const QString& tag, QWidget* parent)
    : QDialog(parent), m_session(session), m_board(board), m_tag(tag),
      m_billNumber(value(QStringLiteral("billNumberValue"), this)),
      m_tagLabel(value(QStringLiteral("tagValue"), this)),
      m_guestName(value(QStringLiteral("guestNameValue"), this)),
      m_deposit(value(QStringLiteral("depositValue"), this)),
      m_entryTimeLabel(value(QStringLiteral("entryTimeValue"), this)),
      m_cardEdit(edit(QStringLiteral("cardEdit"), QStringLiteral("会员卡号:"), this)),
      m_passwordEdit(edit(QStringLiteral("passwordEdit"), QStringLiteral("密码:"), this)),
      m_readCard(button(QStringLiteral("readCardButton"), QStringLiteral("读卡"), this)),
      m_memberCard(value(QStringLiteral("memberCardValue"), this)),
      m_memberName(value(QStringLiteral("memberNameValue"), this)),
      m_memberType(value(QStringLiteral("memberTypeValue"), this)),
      m_balanceLabel(value(QStringLiteral("cardBalanceValue"), this)),
      m_pointsLabel(value(QStringLiteral("pointsValue"), this)), m_groupList(new QListWidget(this)),
      m_lines(new DataGrid(session.database(), this)),
      m_rateEdit(edit(QStringLiteral("rateEdit"), QStringLiteral("打折率(回车):"), this)),
      m_consumptionLabel(big(value(QStringLiteral("consumptionValue"), this))),
      m_receivableLabel(big(value(QStringLiteral("receivableValue"), this))),
      m_paymentMode(new QComboBox(this)),
      m_cardDeductionLabel(big(value(QStringLiteral("cardDeductionValue"), this))),
      m_receivedEdit(edit(QStringLiteral("receivedEdit"), QStringLiteral("实收金额:"), this)),
      m_remark(new QPlainTextEdit(this)), m_preview(new QRadioButton(QStringLiteral("预览"), this)),
      m_direct(new QRadioButton(QStringLiteral("直接打印"), this))
{
    setObjectName(QStringLiteral("TCheckOutFm"));
    setWindowTitle(QStringLiteral("顾客结帐"));
    setAccessibleName(QStringLiteral("顾客结帐"));
    setModal(true);
    resize(980, 640);

    m_passwordEdit->setEchoMode(QLineEdit::Password);
    m_groupList->setObjectName(QStringLiteral("groupList"));
    m_groupList->setAccessibleName(QStringLiteral("列表"));
    m_groupList->setContextMenuPolicy(Qt::CustomContextMenu);
    m_groupList->setMaximumWidth(120);
    m_paymentMode->setObjectName(QStringLiteral("paymentModeBox"));
    m_paymentMode->setAccessibleName(QStringLiteral("结帐方式"));
    m_paymentMode->addItems({CashPayment, CardPayment});
    m_paymentMode->installEventFilter(this);
    // The deduction stands beside the payment mode without a caption of its own.
    m_cardDeductionLabel->setAccessibleDescription(QStringLiteral("卡内扣除"));
    m_remark->setObjectName(QStringLiteral("remarkEdit"));
    m_remark->setAccessibleName(QStringLiteral("备注:"));
    m_remark->setMaximumHeight(60);
    m_preview->setObjectName(QStringLiteral("previewButton"));
    m_preview->setAccessibleName(QStringLiteral("预览"));
    m_direct->setObjectName(QStringLiteral("directButton"));
    m_direct->setAccessibleName(QStringLiteral("直接打印"));
    m_rateEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.]{0,8}")), this));
    m_rateEdit->installEventFilter(this);
    m_receivedEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.]{0,12}")), this));
    QFont receivedFont = m_receivedEdit->font();
    receivedFont.setBold(true);
    receivedFont.setPointSize(receivedFont.pointSize() * 2);
    m_receivedEdit->setFont(receivedFont);

    m_lines->setObjectName(QStringLiteral("linesGrid"));
    m_lines->setKindTable(QStringLiteral("手牌消费"));
    m_lines->setColumns(
        {GridColumn::plain(QStringLiteral("商品名"), QStringLiteral("名称"), 130),
         GridColumn::money(QStringLiteral("实际单价")), GridColumn::plain(QStringLiteral("数量")),
         GridColumn::plain(QStringLiteral("参与打折"), QStringLiteral("折"), 30),
         GridColumn::money(QStringLiteral("合计")), GridColumn::plain(QStringLiteral("手牌号码")),
         GridColumn::plain(QStringLiteral("员工编号")), GridColumn::plain(QStringLiteral("营业员")),
         GridColumn::plain(QStringLiteral("主手牌号"))});

    auto pair = [this](QGridLayout* grid, int row, int column, const QString& name,
                       const QString& text, QWidget* field) {
        grid->addWidget(caption(name, text, this, field), row, column);
        grid->addWidget(field, row, column + 1);
    };
    auto* bill = new QGridLayout;
    pair(bill, 0, 0, QStringLiteral("billNumberCaption"), QStringLiteral("结帐单号:"),
         m_billNumber);
    pair(bill, 1, 0, QStringLiteral("tagCaption"), QStringLiteral("结帐手牌:"), m_tagLabel);
    pair(bill, 2, 0, QStringLiteral("guestNameCaption"), QStringLiteral("顾客姓名:"), m_guestName);
    pair(bill, 3, 0, QStringLiteral("depositCaption"), QStringLiteral("押金金额:"), m_deposit);
    pair(bill, 4, 0, QStringLiteral("entryTimeCaption"), QStringLiteral("进店时间:"),
         m_entryTimeLabel);
    pair(bill, 5, 0, QStringLiteral("cardCaption"), QStringLiteral("会员卡号:"), m_cardEdit);
    bill->addWidget(m_readCard, 5, 2);
    pair(bill, 6, 0, QStringLiteral("passwordCaption"), QStringLiteral("密码:"), m_passwordEdit);

    auto* member = new QGridLayout;
    pair(member, 0, 0, QStringLiteral("memberCardCaption"), QStringLiteral("会员卡号:"),
         m_memberCard);
    pair(member, 1, 0, QStringLiteral("memberNameCaption"), QStringLiteral("会员姓名:"),
         m_memberName);
    pair(member, 2, 0, QStringLiteral("memberTypeCaption"), QStringLiteral("会员类型:"),
         m_memberType);
    pair(member, 3, 0, QStringLiteral("cardBalanceCaption"), QStringLiteral("卡内金额:"),
         m_balanceLabel);
    pair(member, 4, 0, QStringLiteral("pointsCaption"), QStringLiteral("当前积分:"), m_pointsLabel);

    auto* top = new QHBoxLayout;
    top->addLayout(bill);
    top->addSpacing(20);
    top->addLayout(member);
    top->addWidget(m_groupList);

    auto* amounts = new QGridLayout;
    pair(amounts, 0, 0, QStringLiteral("rateCaption"), QStringLiteral("打折率(回车):"), m_rateEdit);
    pair(amounts, 0, 2, QStringLiteral("consumptionCaption"), QStringLiteral("消费金额:"),
         m_consumptionLabel);
    pair(amounts, 1, 0, QStringLiteral("receivableCaption"), QStringLiteral("应收金额:"),
         m_receivableLabel);
    amounts->addWidget(m_paymentMode, 1, 2);
    amounts->addWidget(m_cardDeductionLabel, 1, 3);
    pair(amounts, 2, 0, QStringLiteral("receivedCaption"), QStringLiteral("实收金额:"),
         m_receivedEdit);
    pair(amounts, 3, 0, QStringLiteral("remarkCaption"), QStringLiteral("备注:"), m_remark);
    amounts->setColumnStretch(1, 1);
    amounts->setColumnStretch(3, 1);

    auto* printBox = new QGroupBox(this);
    printBox->setObjectName(QStringLiteral("printModeBox"));
    auto* printLayout = new QHBoxLayout(printBox);
    printLayout->addWidget(m_preview);
    printLayout->addWidget(m_direct);

    auto* printButton = button(QStringLiteral("printButton"), QStringLiteral("打印[F1]"), this);
    auto* checkoutButton =
        button(QStringLiteral("checkoutButton"), QStringLiteral("结帐[F2]"), this);
    auto* freeButton = button(QStringLiteral("freeBillButton"), QStringLiteral("免单[F3]"), this);
    auto* quitButton = button(QStringLiteral("quitButton"), QStringLiteral("退出[F5]"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(printBox);
    buttons->addStretch();
    for (QPushButton* b : {printButton, checkoutButton, freeButton, quitButton})
        buttons->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_lines, 1);
    layout->addLayout(amounts);
    layout->addLayout(buttons);

    connect(m_cardEdit, &QLineEdit::returnPressed, this, &TCheckOutFm::ChaHuiYuan);
    connect(m_passwordEdit, &QLineEdit::returnPressed, this, &TCheckOutFm::ChaHuiYuanMiMa);
    connect(m_rateEdit, &QLineEdit::returnPressed, this, &TCheckOutFm::DaZheHs);
    connect(m_readCard, &QPushButton::clicked, this, &TCheckOutFm::DuKaHs);
    connect(m_paymentMode, &QComboBox::activated, this, &TCheckOutFm::ZhiFuHs);
    connect(m_groupList, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.setObjectName(QStringLiteral("groupMenu"));
        menu.addAction(QStringLiteral("添加"), this, &TCheckOutFm::TianJiaHs);
        menu.addAction(QStringLiteral("删除"), this, &TCheckOutFm::ShanChuHs);
        menu.exec(m_groupList->viewport()->mapToGlobal(at));
    });
    connect(printButton, &QPushButton::clicked, this, &TCheckOutFm::DaYinHs);
    connect(checkoutButton, &QPushButton::clicked, this, &TCheckOutFm::JieZhang);
    connect(freeButton, &QPushButton::clicked, this, &TCheckOutFm::MianDan);
    connect(quitButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this,
            &TCheckOutFm::DaYinHs);
    connect(new QShortcut(QKeySequence(Qt::Key_F2), this), &QShortcut::activated, this,
            &TCheckOutFm::JieZhang);
    connect(new QShortcut(QKeySequence(Qt::Key_F3), this), &QShortcut::activated, this,
            &TCheckOutFm::MianDan);
    connect(new QShortcut(QKeySequence(Qt::Key_F5), this), &QShortcut::activated, this,
            &QDialog::reject);
}

void TCheckOutFm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_loaded && !load())
        QTimer::singleShot(0, this, &QDialog::reject);
}

bool TCheckOutFm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_paymentMode && event->type() == QEvent::KeyPress) {
        // A key never chooses card payment: it falls back to cash.
        m_paymentMode->setCurrentText(CashPayment);
        ZhiFuHs();
        return true;
    }
    if (watched == m_rateEdit && event->type() == QEvent::MouseButtonRelease)
        QTimer::singleShot(0, m_rateEdit, &QLineEdit::selectAll);
    return QDialog::eventFilter(watched, event);
}

void TCheckOutFm::resetMember()
{
    m_passwordEdit->clear();
    m_remark->setPlainText(QStringLiteral("无"));
    m_cardEdit->setText(QStringLiteral("1"));
    m_memberName->setText(WalkIn);
    m_memberType->setText(WalkIn);
    m_balance = Money();
    m_balanceLabel->setText(QStringLiteral("0"));
    m_memberCard->setText(NonMember);
    m_cardDeduction = Money();
    m_cardDeductionLabel->setText(QStringLiteral("0"));
    m_points = Money();
    m_pointsLabel->setText(QStringLiteral("0"));
}

bool TCheckOutFm::load()
{
    m_loaded = true;
    m_readCard->setEnabled(m_session.icReaderEnabled);
    m_paymentMode->setCurrentText(CashPayment);
    m_paymentMode->setEnabled(false);
    m_preview->setChecked(m_session.checkOutPrtPreview.trimmed() == u"1");
    m_direct->setChecked(!m_preview->isChecked());
    m_rateEdit->setText(QStringLiteral("1"));
    m_tagLabel->setText(m_tag);
    resetMember();
    m_cardEdit->setFocus();
    m_cardEdit->selectAll();
    try {
        Database& db = m_session.database();
        m_provisionalNumber = billnumber::provisional(db);
        m_billNumber->setText(m_provisionalNumber);
        const std::optional<OpenBillRow> bill = checkoutgroup::openBillOf(db, m_tag);
        if (!bill) {
            Prompter::current().warn(QStringLiteral("手牌%1没有开单!").arg(m_tag));
            return false;
        }
        m_mainTag = bill->mainTag;
        setWindowTitle(QStringLiteral("顾客结帐 主号:") + m_mainTag);
        m_guestName->setText(bill->guestName);
        m_deposit->setText(bill->deposit.toString());
        m_entryTime = bill->entryTime;
        m_entryTimeLabel->setText(m_entryTime);
        m_groupList->clear();
        m_groupList->addItems(checkoutgroup::tags(db, m_mainTag));
        // Totals start again from list price, whatever an earlier screen applied.
        checkoutgroup::resetLineTotals(db, m_mainTag);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return false;
    }
    JiSuan();
    return true;
}

void TCheckOutFm::reloadLines()
{
    try {
        m_lines->setQuery(
            QStringLiteral("select 商品名, 实际单价, 数量, 参与打折, 合计, 手牌号码, 员工编号, "
                           "营业员, 主手牌号 from 手牌消费 where 主手牌号 = ? order by ID"),
            {m_mainTag});
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

void TCheckOutFm::showReceivable(Money receivable)
{
    m_receivable = receivable;
    m_receivableLabel->setText(receivable.toString());
    m_receivedEdit->setText(receivable.toString());
}

void TCheckOutFm::JiSuan()
{
    try {
        const checkoutgroup::GroupTotals totals =
            checkoutgroup::totals(m_session.database(), m_mainTag);
        m_lineCount = totals.lines;
        m_linesTotal = totals.linesTotal;
        m_consumption = totals.consumption;
        m_consumptionLabel->setText(m_consumption.toString());
        showReceivable(m_consumption);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
    reloadLines();
}

bool TCheckOutFm::DaZheHs()
{
    const std::optional<Money> rate = checkoutgroup::parseRate(m_rateEdit->text().trimmed());
    if (!rate) {
        Prompter::current().warn(QStringLiteral("打折率必须是0到10之间的数字!"));
        m_rateEdit->setFocus();
        m_rateEdit->selectAll();
        return false;
    }
    try {
        Database& db = m_session.database();
        checkoutgroup::applyDiscount(db, m_mainTag, *rate);
        const checkoutgroup::GroupTotals totals = checkoutgroup::totals(db, m_mainTag);
        m_lineCount = totals.lines;
        m_linesTotal = totals.linesTotal;
        showReceivable(totals.linesTotal);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return false;
    }
    reloadLines();
    ZhiFuHs();
    return true;
}

bool TCheckOutFm::identified() const
{
    return m_memberCard->text() != NonMember;
}

bool TCheckOutFm::ChaHuiYuan()
{
    const QString card = m_cardEdit->text();
    try {
        Rows rows = m_session.database().query(
            QStringLiteral("select 密码 from 会员管理 where 会员卡号 = ?"), {card});
        if (!rows.next()) {
            Prompter::current().inform(QStringLiteral("没有这个卡号的会员!"));
            m_cardEdit->setFocus();
            m_cardEdit->selectAll();
            return false;
        }
        // A member who still has the initial password need not type it.
        if (storedpassword::matches(rows.text(QStringLiteral("密码")), DefaultMemberPassword))
            m_passwordEdit->setText(DefaultMemberPassword);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return false;
    }
    m_passwordEdit->setFocus();
    return true;
}

bool TCheckOutFm::ChaHuiYuanMiMa()
{
    const QString card = m_cardEdit->text();
    try {
        Database& db = m_session.database();
        QString type;
        {
            Rows rows =
                db.query(QStringLiteral("select * from 会员管理 where 会员卡号 = ?"), {card});
            if (!rows.next() ||
                !confirmMemberPassword(db, rows.text(QStringLiteral("会员卡号")),
                                       rows.text(QStringLiteral("密码")), m_passwordEdit->text())) {
                Prompter::current().inform(QStringLiteral("密码错误！"));
                m_passwordEdit->clear();
                m_cardEdit->setFocus();
                m_cardEdit->selectAll();
                return false;
            }
            m_memberCard->setText(rows.text(QStringLiteral("会员卡号")));
            const QString name = rows.text(QStringLiteral("会员姓名"));
            m_guestName->setText(name);
            m_memberName->setText(name);
            type = rows.text(QStringLiteral("会员类型"));
            m_memberType->setText(type);
            m_points = rows.number(QStringLiteral("当前积分"));
            m_pointsLabel->setText(m_points.toString());
            m_balance = rows.money(QStringLiteral("卡内金额"));
            m_balanceLabel->setText(m_balance.toString());
        }

        const QVariant rate = db.scalar(
            QStringLiteral("select 打折率 from 会员类型 where 类型名称 = ? order by id"), {type});
        if (rate.isValid() && !rate.isNull()) {
            m_rateEdit->setText(stored::toNumber(rate).toFixed(2));
            m_paymentMode->setEnabled(true);
            DaZheHs();
        } else {
            // The new member's balance still decides a card split already chosen.
            ZhiFuHs();
        }
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return false;
    }
    return true;
}

void TCheckOutFm::ZhiFuHs()
{
    const QString mode = m_paymentMode->currentText().trimmed();
    if (mode == CardPayment && !identified()) {
        Prompter::current().warn(QStringLiteral("非会员不能卡内扣除,只能付现金结帐!"));
        m_paymentMode->setCurrentText(CashPayment);
    }
    const PaymentSplit split = splitPayment(m_paymentMode->currentText().trimmed() == CardPayment,
                                            m_balance, m_receivable);
    m_cardDeduction = split.cardDeduction;
    m_cardDeductionLabel->setText(split.cardDeduction.toString());
    m_receivedEdit->setText(split.received.toString());
}

void TCheckOutFm::afterReceivableChanged()
{
    // The group is shown at list price again; the operator applies the rate anew
    // with Enter. The lines are reset too, so that what is stored matches what is
    // shown, whatever discount the lines that came in or stayed were carrying.
    try {
        checkoutgroup::resetLineTotals(m_session.database(), m_mainTag);
        m_groupList->clear();
        m_groupList->addItems(checkoutgroup::tags(m_session.database(), m_mainTag));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
    JiSuan();
    ZhiFuHs();
}

bool TCheckOutFm::TianJiaHs()
{
    const std::optional<QString> answer =
        Prompter::current().input(QStringLiteral("sp"), QStringLiteral("输入要增加的号码!"), {});
    if (!answer || answer->trimmed().isEmpty())
        return false;
    const QString number = answer->trimmed();
    try {
        switch (checkoutgroup::join(m_session.database(), m_mainTag, number)) {
        case checkoutgroup::JoinResult::NoOpenBill:
            Prompter::current().warn(QStringLiteral("手牌%1没有开单,不能添加!").arg(number));
            return false;
        case checkoutgroup::JoinResult::AlreadyInGroup:
            Prompter::current().warn(QStringLiteral("手牌%1已经在本组中!").arg(number));
            return false;
        case checkoutgroup::JoinResult::GroupClosed:
            Prompter::current().warn(QStringLiteral("本组手牌已经结帐或撤单!"));
            return false;
        case checkoutgroup::JoinResult::Joined:
            break;
        }
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return false;
    }
    afterReceivableChanged();
    return true;
}

bool TCheckOutFm::ShanChuHs()
{
    QListWidgetItem* item = m_groupList->currentItem();
    if (!item || !item->isSelected())
        return false;
    const QString tag = item->text();
    if (tag == m_tag || tag == m_mainTag)
        return false;
    if (!Prompter::current().ask(QStringLiteral("您是否要删除\" ") + tag))
        return false;
    try {
        if (!checkoutgroup::detach(m_session.database(), m_mainTag, tag)) {
            Prompter::current().warn(QStringLiteral("手牌%1已经不在本组中!").arg(tag));
            afterReceivableChanged();
            return false;
        }
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return false;
    }
    afterReceivableChanged();
    return true;
}

void TCheckOutFm::DuKaHs()
{
    m_cardEdit->setText(IcRead());
}

bool TCheckOutFm::JieZhang()
{
    if (!identified() && m_paymentMode->currentText().trimmed() == CardPayment) {
        Prompter::current().warn(QStringLiteral("非会员不能卡内扣除,只能付现金结帐!"));
        return false;
    }
    if (!Money::parse(m_receivedEdit->text())) {
        Prompter::current().warn(QStringLiteral("实收金额必须是数字!"));
        m_receivedEdit->setFocus();
        m_receivedEdit->selectAll();
        return false;
    }
    TCheckOutInfoFm& info = TCheckOutInfoFm::instance();
    const QString receivable = receivableText();
    const QString received = m_receivedEdit->text();
    const QString deduction = cardDeductionText();
    bool confirmed = false;
    if (m_confirmHook) {
        info.fill(receivable, received, deduction);
        confirmed = m_confirmHook(info);
    } else {
        confirmed = info.confirm(receivable, received, deduction);
    }
    if (!confirmed)
        return false;
    return JieZhangHs(SettledState);
}

bool TCheckOutFm::MianDan()
{
    if (!m_session.permissions.has(Permission::FreeBill)) {
        Prompter::current().warn(
            QStringLiteral("操作失败:您没有免单权限,请让有更高权限的人来操作!"));
        return false;
    }
    if (!Money::parse(m_receivedEdit->text())) {
        Prompter::current().warn(QStringLiteral("实收金额必须是数字!"));
        return false;
    }
    return JieZhangHs(FreeBillState);
}

bool TCheckOutFm::JieZhangHs(const QString& state)
{
    const std::optional<Money> received = Money::parse(m_receivedEdit->text());
    if (!received) {
        Prompter::current().warn(QStringLiteral("实收金额必须是数字!"));
        return false;
    }
    CheckoutPost post;
    post.tag = m_tag;
    post.mainTag = m_mainTag;
    post.groupTags = groupTags();
    post.guestName = m_guestName->text();
    post.entryTime = m_entryTime;
    post.memberCard = m_memberCard->text();
    post.paymentMode = m_paymentMode->currentText().trimmed();
    post.cardDeduction = m_cardDeduction;
    post.received = *received;
    post.remark = m_remark->toPlainText();
    post.operatorName = m_session.operatorName;
    post.state = state;
    post.postedAt = QDateTime::currentDateTime();
    // The screen's own view of the group, which posting compares with the database.
    post.lineCount = m_lineCount;
    post.linesTotal = m_linesTotal;
    post.receivable = m_receivable;
    PostingResult result;
    try {
        result = postCheckout(m_session.database(), post);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return false;
    }
    switch (result.outcome) {
    case PostingResult::Outcome::Posted:
        break;
    case PostingResult::Outcome::GroupChanged:
        Prompter::current().warn(QStringLiteral(
            "该组手牌的消费已经被改变(可能已在其他电脑结帐或增加了消费),请重新结帐!"));
        if (!load())
            reject();
        return false;
    case PostingResult::Outcome::MemberMissing:
        Prompter::current().warn(QStringLiteral("没有这个卡号的会员!"));
        return false;
    case PostingResult::Outcome::BalanceTooLow:
        Prompter::current().warn(QStringLiteral("卡内金额不足,请重新查询会员!"));
        return false;
    }
    if (result.billNumber == m_provisionalNumber)
        Prompter::current().inform(QStringLiteral("谢谢光临！"));
    else
        Prompter::current().inform(QStringLiteral("谢谢光临！\n单据号%1已被使用,本单单据号为%2")
                                       .arg(m_provisionalNumber, result.billNumber));
    m_board.ReloadTags();
    m_board.RefreshSelection();
    accept();
    return true;
}

CheckoutReceipt TCheckOutFm::receiptValues() const
{
    CheckoutReceipt receipt;
    receipt.shopName = m_session.shopName;
    receipt.shopAddress = m_session.shopAddress;
    receipt.shopTel = m_session.shopTel;
    receipt.mainTag = m_mainTag;
    receipt.entryTime = m_entryTime;
    receipt.tag = m_tag;
    receipt.memberName = m_memberName->text();
    receipt.billNumber = m_provisionalNumber;
    try {
        Rows rows = m_session.database().query(
            QStringLiteral(
                "select 商品名, 数量, 单价, 合计 from 手牌消费 where 主手牌号 = ? order by ID"),
            {m_mainTag});
        while (rows.next())
            receipt.items.append({rows.text(QStringLiteral("商品名")),
                                  Money::fromUnits(rows.integer(QStringLiteral("数量"))),
                                  rows.money(QStringLiteral("单价")),
                                  rows.money(QStringLiteral("合计"))});
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
    receipt.consumption = m_consumption;
    receipt.receivable = m_receivable;
    receipt.cardDeduction = m_cardDeduction;
    receipt.received = Money::parse(m_receivedEdit->text()).value_or(Money());
    receipt.cardBalance = m_balance;
    receipt.points = m_points;
    receipt.paidByCard = m_paymentMode->currentText().trimmed() == CardPayment;
    receipt.operatorName = m_session.operatorName;
    receipt.discountRateText = m_rateEdit->text().trimmed();
    receipt.printedAt = QDateTime::currentDateTime();
    return receipt;
}

void TCheckOutFm::DaYinHs()
{
    PrintCheckoutReceipt(m_session, receiptValues(), m_preview->isChecked(), this);
}

QString TCheckOutFm::billNumber() const
{
    return m_billNumber->text();
}
QString TCheckOutFm::consumptionText() const
{
    return m_consumptionLabel->text();
}
QString TCheckOutFm::receivableText() const
{
    return m_receivableLabel->text();
}
QString TCheckOutFm::cardDeductionText() const
{
    return m_cardDeductionLabel->text();
}
QString TCheckOutFm::memberCard() const
{
    return m_memberCard->text();
}
QString TCheckOutFm::memberName() const
{
    return m_memberName->text();
}
QString TCheckOutFm::cardBalanceText() const
{
    return m_balanceLabel->text();
}
QString TCheckOutFm::pointsText() const
{
    return m_pointsLabel->text();
}
QString TCheckOutFm::guestName() const
{
    return m_guestName->text();
}
QStringList TCheckOutFm::groupTags() const
{
    QStringList tags;
    for (int i = 0; i < m_groupList->count(); ++i)
        tags << m_groupList->item(i)->text();
    return tags;
}

} // namespace shoupai
