#include "admin/AdminChangePassUt.h"

#include "admin/Administrators.h"
#include "app/Session.h"
#include "common/FormParts.h"
#include "common/Prompter.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace shoupai {

TAdminChangePassFm::TAdminChangePassFm(Session& session, QWidget* parent)
    : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TAdminChangePassFm"));
    setWindowTitle(QStringLiteral("更改密码"));
    setAccessibleName(windowTitle());

    auto* operatorName = formparts::value(QStringLiteral("operatorValue"), this);
    operatorName->setText(session.operatorName);
    m_old = formparts::edit(QStringLiteral("oldField"), QStringLiteral("旧密码:"), this);
    m_new = formparts::edit(QStringLiteral("newField"), QStringLiteral("新密码:"), this);
    m_confirm =
        formparts::edit(QStringLiteral("confirmField"), QStringLiteral("确认新密码:"), this);
    auto* form = new QFormLayout;
    form->addRow(formparts::caption(QStringLiteral("operatorCaption"), QStringLiteral("管理员:"),
                                    this, operatorName),
                 operatorName);
    for (QLineEdit* field : {m_old, m_new, m_confirm}) {
        field->setEchoMode(QLineEdit::Password);
        form->addRow(formparts::caption(field->objectName() + QStringLiteral("Caption"),
                                        field->accessibleName(), this, field),
                     field);
    }

    auto* saveButton =
        formparts::button(QStringLiteral("saveButton"), QStringLiteral("保存"), this);
    auto* closeButton =
        formparts::button(QStringLiteral("closeButton"), QStringLiteral("关闭"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(saveButton, &QPushButton::clicked, this, &TAdminChangePassFm::save);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TAdminChangePassFm::save()
{
    Prompter& prompter = Prompter::current();
    administrators::Outcome outcome;
    try {
        outcome =
            administrators::changeOwnPassword(m_session.database(), m_session.operatorName,
                                              m_old->text(), m_new->text(), m_confirm->text());
    } catch (const DatabaseError& error) {
        prompter.error(error.text());
        return;
    }
    if (!outcome.done) {
        prompter.warn(outcome.message);
        return;
    }
    prompter.inform(QStringLiteral("修改成功！"));
    accept();
}

} // namespace shoupai
