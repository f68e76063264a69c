#include "members/HyChangePassUt.h"

#include "app/Session.h"
#include "common/CommandRow.h"
#include "common/FormParts.h"
#include "common/Prompter.h"
#include "members/MemberPasswordChange.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

THYChangePassFm::THYChangePassFm(Session& session, QWidget* parent)
    : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("THYChangePassFm"));
    setWindowTitle(QStringLiteral("会员更改密码"));
    setAccessibleName(windowTitle());

    m_card = edit(QStringLiteral("cardEdit"), QStringLiteral("会员卡号:"), this);
    m_old = edit(QStringLiteral("oldEdit"), QStringLiteral("旧密码:"), this);
    m_new = edit(QStringLiteral("newEdit"), QStringLiteral("新密码:"), this);
    m_confirm = edit(QStringLiteral("confirmEdit"), QStringLiteral("确认新密码:"), this);
    for (QLineEdit* secret : {m_old, m_new, m_confirm})
        secret->setEchoMode(QLineEdit::Password);
    auto* reset = button(QStringLiteral("resetButton"), QStringLiteral("密码重置"), this);
    CommandRow buttons(this, CommandRow::Align::Right);
    buttons.add(this,
                {{QStringLiteral("saveButton"), QStringLiteral("保存"), &THYChangePassFm::Save},
                 {QStringLiteral("closeButton"), QStringLiteral("关闭"), &QDialog::reject}});

    auto* grid = new QGridLayout;
    FormGrid(grid, this)
        .addRows({{QStringLiteral("cardLabel"), QStringLiteral("会员卡号:"), m_card},
                  {QStringLiteral("oldLabel"), QStringLiteral("旧密码:"), m_old},
                  {QStringLiteral("newLabel"), QStringLiteral("新密码:"), m_new},
                  {QStringLiteral("confirmLabel"), QStringLiteral("确认新密码:"), m_confirm}});
    grid->addWidget(reset, 0, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons.layout());

    connect(reset, &QPushButton::clicked, this, &THYChangePassFm::Reset);
    m_card->setFocus();
}

void THYChangePassFm::Save()
{
    const MemberOutcome outcome = memberpasswords::change(
        m_session.database(), m_card->text(), m_old->text(), m_new->text(), m_confirm->text());
    if (!outcome.done) {
        Prompter::current().warn(outcome.message);
        return;
    }
    Prompter::current().inform(QStringLiteral("修改成功！"));
    accept();
}

void THYChangePassFm::Reset()
{
    if (!m_session.permissions.has(Permission::EditMember)) {
        Prompter::current().warn(QStringLiteral("没有权限"));
        return;
    }
    const QString card = m_card->text();
    // Only an explicit Yes resets; a closed question is a No.
    if (!Prompter::current().ask(QStringLiteral("您是否要给会员卡号为\" ") + card +
                                 QStringLiteral("\" 的会员重置初始密码?")))
        return;
    const MemberOutcome outcome =
        memberpasswords::reset(m_session.database(), card, m_session.operatorName);
    if (!outcome.done)
        Prompter::current().warn(outcome.message);
}

} // namespace shoupai
