#include "admin/SetDataUt.h"

#include "app/Session.h"
#include "common/CommandRow.h"
#include "common/FormParts.h"
#include "common/Prompter.h"
#include "platform/AuditLog.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace shoupai {

namespace {

const QString Section = QStringLiteral("part1");
const QString restartText = QStringLiteral("软件重启后生效!");

QRadioButton* radio(const QString& objectName, const QString& caption, QWidget* parent)
{
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(objectName);
    button->setAccessibleName(caption);
    return button;
}

} // namespace

TSetDataFm::TSetDataFm(Session& session, QWidget* parent) : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TSetDataFm"));
    setWindowTitle(QStringLiteral("数据库设置"));
    setAccessibleName(windowTitle());

    auto* choice = new QGroupBox(QStringLiteral("请选择"), this);
    choice->setObjectName(QStringLiteral("choiceGroup"));
    choice->setAccessibleName(choice->title());
    m_file = radio(QStringLiteral("fileButton"),
                   QStringLiteral("SQLite  (选择本地SQLite数据库可以直接保存)"), choice);
    m_server = radio(QStringLiteral("serverButton"),
                     QStringLiteral("PostgreSQL (只有测试连接成功才能保存)"), choice);
    auto* choiceLayout = new QVBoxLayout(choice);
    choiceLayout->addWidget(m_file);
    choiceLayout->addWidget(m_server);

    m_serverGroup = new QGroupBox(QStringLiteral("PostgreSQL"), this);
    m_serverGroup->setObjectName(QStringLiteral("serverGroup"));
    m_serverGroup->setAccessibleName(m_serverGroup->title());
    m_serverName = formparts::edit(QStringLiteral("serverField"),
                                   QStringLiteral("服务器名/ip地址:"), m_serverGroup);
    m_database = formparts::edit(QStringLiteral("databaseField"), QStringLiteral("数据库名:"),
                                 m_serverGroup);
    m_user = formparts::edit(QStringLiteral("userField"), QStringLiteral("用户名:"), m_serverGroup);
    m_password =
        formparts::edit(QStringLiteral("passwordField"), QStringLiteral("密码:"), m_serverGroup);
    m_password->setEchoMode(QLineEdit::Password);
    auto* form = new QFormLayout(m_serverGroup);
    const IniFile& config = session.config();
    const QList<QPair<QLineEdit*, QString>> keyed = {{m_serverName, QStringLiteral("ServerName")},
                                                     {m_database, QStringLiteral("DataBaseName")},
                                                     {m_user, QStringLiteral("UserName")},
                                                     {m_password, QStringLiteral("PassWord")}};
    for (const auto& [field, key] : keyed) {
        field->setText(config.read(Section, key));
        form->addRow(formparts::caption(field->objectName() + QStringLiteral("Caption"),
                                        field->accessibleName(), m_serverGroup, field),
                     field);
        connect(field, &QLineEdit::textEdited, this, &TSetDataFm::forgetTest);
    }
    auto* testButton =
        formparts::button(QStringLiteral("testButton"), QStringLiteral("测试"), m_serverGroup);
    form->addRow(testButton);

    CommandRow buttons(this, CommandRow::Align::Right);
    buttons.add(this, {{QStringLiteral("saveButton"), QStringLiteral("保存"), &TSetDataFm::save},
                       {QStringLiteral("quitButton"), QStringLiteral("退出"), &TSetDataFm::quit}});
    m_save = buttons.button(QStringLiteral("saveButton"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(choice);
    layout->addWidget(m_serverGroup);
    layout->addLayout(buttons.layout());

    m_serverGroup->setEnabled(false);
    m_save->setEnabled(false);
    if (session.backendCode() == u"a") {
        m_file->setChecked(true);
        chooseFile();
    } else if (session.backendCode() == u"s") {
        m_server->setChecked(true);
        chooseServer();
    }

    connect(m_file, &QRadioButton::clicked, this, &TSetDataFm::chooseFile);
    connect(m_server, &QRadioButton::clicked, this, &TSetDataFm::chooseServer);
    connect(testButton, &QPushButton::clicked, this, &TSetDataFm::test);
}

databasesettings::ServerFields TSetDataFm::fields() const
{
    return databasesettings::ServerFields{m_serverName->text(), m_database->text(), m_user->text(),
                                          m_password->text()}
        .trimmed();
}

void TSetDataFm::chooseFile()
{
    m_serverGroup->setEnabled(false);
    m_save->setEnabled(true);
}

void TSetDataFm::chooseServer()
{
    m_serverGroup->setEnabled(true);
    m_save->setEnabled(false);
    m_testedDescription.reset();
}

void TSetDataFm::forgetTest()
{
    // What was tested is no longer what would be stored.
    m_testedDescription.reset();
    if (m_server->isChecked())
        m_save->setEnabled(false);
}

void TSetDataFm::test()
{
    Prompter& prompter = Prompter::current();
    const databasesettings::ServerFields typed = fields();
    if (!typed.isAcceptable()) {
        prompter.warn(databasesettings::RefusedText);
        return;
    }
    const QString description = databasesettings::describe(typed);
    prompter.inform(databasesettings::describeMasked(typed));
    if (const auto reason = databasesettings::testConnection(description)) {
        prompter.error(*reason);
        prompter.warn(QStringLiteral("连接失败"));
        return;
    }
    m_testedDescription = description;
    m_testedFields = typed;
    prompter.inform(QStringLiteral("连接成功!"));
    m_save->setEnabled(true);
}

void TSetDataFm::save()
{
    Prompter& prompter = Prompter::current();
    const bool server = m_server->isChecked();
    if (!server && !m_file->isChecked())
        return;
    const databasesettings::ServerFields values = server ? m_testedFields : fields();
    if (!values.isAcceptable()) {
        prompter.warn(databasesettings::RefusedText);
        return;
    }
    if (server && !m_testedDescription)
        return;
    IniFile& config = m_session.config();
    if (!databasesettings::save(
            config, server ? databasesettings::Backend::Server : databasesettings::Backend::File,
            values, m_testedDescription)) {
        prompter.error(QStringLiteral("无法保存设置到 %1,请检查文件是否可写!").arg(config.path()));
        return;
    }
    // Best effort: the switch is already stored, a failing log must not undo it.
    if (m_session.database().isOpen()) {
        try {
            auditlog::write(
                m_session.database(), QStringLiteral("切换数据库"), m_session.operatorName,
                server ? databasesettings::describeMasked(values) : QStringLiteral("SQLite"));
        } catch (const DatabaseError&) {
        }
    }
    prompter.inform(restartText);
    accept();
}

void TSetDataFm::quit()
{
    Prompter::current().inform(restartText);
    reject();
}

} // namespace shoupai
