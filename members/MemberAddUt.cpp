#include "members/MemberAddUt.h"

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

TMemberAddFm::TMemberAddFm(Session& session, QWidget* parent) : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TMemberAddFm"));
    setWindowTitle(QStringLiteral("添加会员   (初始密码默认2863)"));
    setAccessibleName(windowTitle());

    auto* group = new QGroupBox(QStringLiteral("会员基本资料"), this);
    group->setObjectName(QStringLiteral("memberGroup"));
    m_card = edit(QStringLiteral("cardEdit"), QStringLiteral("会员卡号"), group);
    auto* write = button(QStringLiteral("writeCardButton"), QStringLiteral("写卡"), group);
    m_name = edit(QStringLiteral("nameEdit"), QStringLiteral("会员姓名"), group);
    m_type = choice(QStringLiteral("typeBox"), QStringLiteral("会员类型"), group);
    m_type->setEditable(true);
    m_type->addItems(typeNames(m_session.database()));
    m_type->setCurrentIndex(m_type->count() > 0 ? 0 : -1);
    m_sex = choice(QStringLiteral("sexBox"), QStringLiteral("会员性别"), group);
    m_sex->addItems({QStringLiteral("男"), QStringLiteral("女")});
    m_birth = datePicker(QStringLiteral("birthEdit"), QStringLiteral("出生日期"), group);
    m_birth->setDate(QDate(2006, 6, 3));
    m_phone = edit(QStringLiteral("phoneEdit"), QStringLiteral("联系电话"), group);
    m_remark = memo(QStringLiteral("remarkEdit"), QStringLiteral("备   注"), group);
    m_remark->setPlainText(QStringLiteral("无"));
    m_remark->setMaximumHeight(80);

    auto* cardRow = new QHBoxLayout;
    cardRow->addWidget(m_card, 1);
    cardRow->addWidget(write);
    FormGrid form(new QFormLayout(group), group);
    form.addRow(QStringLiteral("cardLabel"), QStringLiteral("会员卡号"), m_card, cardRow);
    form.addRows({{QStringLiteral("nameLabel"), QStringLiteral("会员姓名"), m_name},
                  {QStringLiteral("typeLabel"), QStringLiteral("会员类型"), m_type},
                  {QStringLiteral("sexLabel"), QStringLiteral("会员性别"), m_sex},
                  {QStringLiteral("birthLabel"), QStringLiteral("出生日期"), m_birth},
                  {QStringLiteral("phoneLabel"), QStringLiteral("联系电话"), m_phone},
                  {QStringLiteral("remarkLabel"), QStringLiteral("备   注"), m_remark}});

    CommandRow buttons(this, CommandRow::Align::Right);
    buttons.add(this,
                {{QStringLiteral("saveButton"), QStringLiteral("保存"), &TMemberAddFm::Save},
                 {QStringLiteral("clearButton"), QStringLiteral("清空"), &TMemberAddFm::Clear},
                 {QStringLiteral("closeButton"), QStringLiteral("退出"), &QDialog::reject}});

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons.layout());
    resize(420, 400);

    connect(write, &QPushButton::clicked, this, &TMemberAddFm::WriteCard);
    m_card->setFocus();
}

void TMemberAddFm::Save()
{
    MemberRecord record;
    record.card = m_card->text();
    record.name = m_name->text();
    record.type = m_type->currentText();
    record.sex = m_sex->currentText();
    record.birth = QDateTime(m_birth->date(), QTime(0, 0));
    record.phone = m_phone->text();
    record.remark = m_remark->toPlainText();
    const MemberOutcome outcome = memberregister::addMember(m_session.database(), record);
    if (!outcome.done) {
        Prompter::current().warn(outcome.message);
        return;
    }
    m_saved = record.card.trimmed();
    Prompter::current().inform(QStringLiteral("保存成功!"));
    accept();
}

void TMemberAddFm::Clear()
{
    m_card->clear();
    m_name->clear();
    m_phone->clear();
    m_sex->setCurrentIndex(0);
    m_remark->setPlainText(QStringLiteral("无"));
    m_card->setFocus();
}

void TMemberAddFm::WriteCard()
{
    writeCard(m_session.database(), m_card->text());
}

} // namespace shoupai
