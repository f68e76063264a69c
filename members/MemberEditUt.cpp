#include "members/MemberEditUt.h"

#include "app/Session.h"
#include "common/CommandRow.h"
#include "common/FormParts.h"
#include "common/Prompter.h"
#include "members/MemberFormParts.h"
#include "members/MemberRegister.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;
using namespace memberparts;

TMemberEditFm::TMemberEditFm(Session& session, const QString& card, QWidget* parent)
    : QDialog(parent), m_session(session), m_original(card)
{
    setObjectName(QStringLiteral("TMemberEditFm"));
    setWindowTitle(QStringLiteral("会员资料修改"));
    setAccessibleName(windowTitle());

    auto* group = new QGroupBox(QStringLiteral("会员信息"), this);
    group->setObjectName(QStringLiteral("memberGroup"));
    m_card = edit(QStringLiteral("cardEdit"), QStringLiteral("会员卡号"), group);
    auto* write = button(QStringLiteral("writeCardButton"), QStringLiteral("写卡"), group);
    m_name = edit(QStringLiteral("nameEdit"), QStringLiteral("会员姓名"), group);
    m_sex = choice(QStringLiteral("sexBox"), QStringLiteral("会员性别"), group);
    m_sex->addItems({QStringLiteral("男"), QStringLiteral("女")});
    m_type = choice(QStringLiteral("typeBox"), QStringLiteral("会员类型"), group);
    m_type->addItems(typeNames(m_session.database()));
    m_balance = edit(QStringLiteral("balanceEdit"), QStringLiteral("卡内金额"), group);
    m_points = edit(QStringLiteral("pointsEdit"), QStringLiteral("当前积分"), group);
    m_state = edit(QStringLiteral("stateEdit"), QStringLiteral("当前状态"), group);
    for (QLineEdit* shownOnly : {m_balance, m_points, m_state})
        shownOnly->setReadOnly(true);
    m_birth = datePicker(QStringLiteral("birthEdit"), QStringLiteral("出生日期"), group);
    m_registered = datePicker(QStringLiteral("registeredEdit"), QStringLiteral("登记日期"), group);
    m_phone = edit(QStringLiteral("phoneEdit"), QStringLiteral("联系电话"), group);
    m_remark = memo(QStringLiteral("remarkEdit"), QStringLiteral("备注"), group);
    m_remark->setMaximumHeight(80);

    auto* cardRow = new QHBoxLayout;
    cardRow->addWidget(m_card, 1);
    cardRow->addWidget(write);
    FormGrid form(new QFormLayout(group), group);
    form.addRow(QStringLiteral("cardLabel"), QStringLiteral("会员卡号"), m_card, cardRow);
    form.addRows({{QStringLiteral("nameLabel"), QStringLiteral("会员姓名"), m_name},
                  {QStringLiteral("sexLabel"), QStringLiteral("会员性别"), m_sex},
                  {QStringLiteral("typeLabel"), QStringLiteral("会员类型"), m_type},
                  {QStringLiteral("balanceLabel"), QStringLiteral("卡内金额"), m_balance},
                  {QStringLiteral("pointsLabel"), QStringLiteral("当前积分"), m_points},
                  {QStringLiteral("stateLabel"), QStringLiteral("当前状态"), m_state},
                  {QStringLiteral("birthLabel"), QStringLiteral("出生日期"), m_birth},
                  {QStringLiteral("registeredLabel"), QStringLiteral("登记日期"), m_registered},
                  {QStringLiteral("phoneLabel"), QStringLiteral("联系电话"), m_phone},
                  {QStringLiteral("remarkLabel"), QStringLiteral("备注"), m_remark}});

    CommandRow buttons(this, CommandRow::Align::Right);
    buttons.add(this, {{QStringLiteral("saveButton"), QStringLiteral("保存"), &TMemberEditFm::Save},
                       {QStringLiteral("cancelButton"), QStringLiteral("取消"), &QDialog::reject}});

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons.layout());
    resize(420, 480);

    connect(write, &QPushButton::clicked, this, &TMemberEditFm::WriteCard);
    load();
}

void TMemberEditFm::load()
{
    try {
        Rows row = m_session.database().query(
            QStringLiteral("select * from 会员管理 where 会员卡号 = ?"), {m_original});
        if (!row.next())
            return;
        m_card->setText(row.text(QStringLiteral("会员卡号")));
        m_name->setText(row.text(QStringLiteral("会员姓名")));
        m_sex->setCurrentIndex(m_sex->findText(row.text(QStringLiteral("会员性别")).trimmed()));
        const QString type = row.text(QStringLiteral("会员类型"));
        if (m_type->findText(type) < 0)
            m_type->addItem(type); // a type renamed or deleted before types cascaded
        m_type->setCurrentIndex(m_type->findText(type));
        m_balance->setText(row.money(QStringLiteral("卡内金额")).toString());
        m_points->setText(row.number(QStringLiteral("当前积分")).toString());
        m_state->setText(row.text(QStringLiteral("当前状态")));
        m_birthLoaded = row.dateTime(QStringLiteral("出生日期"));
        m_registeredLoaded = row.dateTime(QStringLiteral("登记日期"));
        if (m_birthLoaded.isValid())
            m_birth->setDate(m_birthLoaded.date());
        if (m_registeredLoaded.isValid())
            m_registered->setDate(m_registeredLoaded.date());
        m_birthShown = m_birth->date();
        m_registeredShown = m_registered->date();
        m_phone->setText(row.text(QStringLiteral("联系电话")));
        m_remark->setPlainText(row.text(QStringLiteral("备注")));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

QDateTime TMemberEditFm::picked(const QDateEdit* picker, const QDateTime& loaded,
                                const QDate& shown)
{
    if (picker->date() == shown)
        return loaded;
    return QDateTime(picker->date(), loaded.isValid() ? loaded.time() : QTime(0, 0));
}

void TMemberEditFm::Save()
{
    if (!m_session.permissions.has(Permission::EditMember)) {
        Prompter::current().warn(QStringLiteral("没有权限!"));
        return;
    }
    MemberRecord record;
    record.card = m_card->text();
    record.name = m_name->text();
    record.sex = m_sex->currentText();
    record.type = m_type->currentText();
    record.birth = picked(m_birth, m_birthLoaded, m_birthShown);
    record.registered = picked(m_registered, m_registeredLoaded, m_registeredShown);
    record.phone = m_phone->text();
    record.remark = m_remark->toPlainText();
    const MemberOutcome outcome =
        memberregister::changeMember(m_session.database(), m_original, record);
    if (!outcome.done) {
        Prompter::current().warn(outcome.message);
        return;
    }
    m_saved = record.card.trimmed();
    accept();
}

void TMemberEditFm::WriteCard()
{
    writeCard(m_session.database(), m_card->text(), m_original);
}

} // namespace shoupai
