#include "floor/SysInfoUt.h"

#include "app/Session.h"
#include "common/Prompter.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace shoupai {

TSysInfoFm::TSysInfoFm(Session& session, QWidget* parent) : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TSysInfoFm"));
    setWindowTitle(QStringLiteral("系统信息设置"));
    auto* form = new QFormLayout;
    m_name = field(QStringLiteral("nameBox"), QStringLiteral("店名:"));
    m_tel = field(QStringLiteral("telBox"), QStringLiteral("电话:"));
    m_address = field(QStringLiteral("addressBox"), QStringLiteral("地址:"));
    for (QLineEdit* box : {m_name, m_tel, m_address}) {
        auto* label = new QLabel(box->accessibleName(), this);
        label->setObjectName(box->objectName() + QStringLiteral("Label"));
        label->setBuddy(box);
        form->addRow(label, box);
    }
    auto* saveButton = new QPushButton(QStringLiteral("保存"), this);
    saveButton->setObjectName(QStringLiteral("saveButton"));
    saveButton->setAccessibleName(saveButton->text());
    auto* backButton = new QPushButton(QStringLiteral("返回"), this);
    backButton->setObjectName(QStringLiteral("backButton"));
    backButton->setAccessibleName(backButton->text());
    backButton->setAutoDefault(false);
    connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    connect(backButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(backButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->addLayout(form);
    layout->addLayout(buttons);
    load();
}

QLineEdit* TSysInfoFm::field(const QString& name, const QString& label)
{
    auto* box = new QLineEdit(this);
    box->setObjectName(name);
    box->setAccessibleName(label);
    box->setMinimumWidth(280);
    return box;
}

void TSysInfoFm::load()
{
    try {
        Rows rows = m_session.database().query(QStringLiteral("select * from sysinfo"));
        if (rows.next()) {
            m_name->setText(rows.text(QStringLiteral("name")));
            m_tel->setText(rows.text(QStringLiteral("tel")));
            m_address->setText(rows.text(QStringLiteral("add")));
        }
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

bool TSysInfoFm::save()
{
    for (QLineEdit* box : {m_name, m_tel, m_address}) {
        if (box->text().isEmpty()) {
            Prompter::current().inform(QStringLiteral("必须认真填写完整！"));
            box->setFocus(Qt::OtherFocusReason);
            return false;
        }
    }
    Database& db = m_session.database();
    const QString add = db.dialect().quote(QStringLiteral("add"));
    const QVariantList values{m_name->text(), m_tel->text(), m_address->text()};
    try {
        Transaction transaction(db);
        // The shop has one row; a table left empty gets it now.
        const int changed = db.exec(
            QStringLiteral("update sysinfo set name = ?, tel = ?, %1 = ?").arg(add), values);
        if (changed == 0)
            db.exec(QStringLiteral("insert into sysinfo (name, tel, %1) values (?, ?, ?)").arg(add),
                    values);
        transaction.commit();
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return false;
    }
    Prompter::current().inform(QStringLiteral("重启软件后生效！"));
    accept();
    return true;
}

} // namespace shoupai
