#include "app/LgUt.h"

#include "common/Prompter.h"
#include "floor/MainUt.h"
#include "members/IcCard.h"
#include "platform/PasswordHash.h"
#include "platform/StoredPassword.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>

namespace shoupai {

namespace {

const QString adminTable = QStringLiteral("管理员");

} // namespace

TLgFm::TLgFm(const QString& homeFolder, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("TLgFm"));
    m_session.start(homeFolder);
    // The card service lives as long as this form: system.ini [IcCard] picks its reader.
    IcSelectDevice(m_session.config().read(QStringLiteral("IcCard"), QStringLiteral("device")),
                   m_session.homeFolder());
    buildLayout();
}

TLgFm::~TLgFm()
{
    if (m_prefillThread)
        m_prefillThread->wait();
}

void TLgFm::buildLayout()
{
    m_banner = new QLabel(this);
    m_banner->setObjectName(QStringLiteral("bannerLabel"));
    QFont bannerFont = m_banner->font();
    bannerFont.setPointSize(bannerFont.pointSize() * 2);
    bannerFont.setBold(true);
    m_banner->setFont(bannerFont);
    m_banner->setAlignment(Qt::AlignCenter);

    m_userBox = new QComboBox(this);
    m_userBox->setObjectName(QStringLiteral("userBox"));
    m_userBox->setEditable(true);
    m_userBox->setInsertPolicy(QComboBox::NoInsert);
    m_userBox->setMinimumWidth(200);
    m_userBox->setAccessibleName(QStringLiteral("用户名:"));

    m_passwordBox = new QLineEdit(this);
    m_passwordBox->setObjectName(QStringLiteral("passwordBox"));
    m_passwordBox->setEchoMode(QLineEdit::Password);
    m_passwordBox->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // '*'
    m_passwordBox->setAccessibleName(QStringLiteral("密码:"));
    m_passwordBox->installEventFilter(this);

    m_icReaderBox = new QCheckBox(QStringLiteral("启动IC读卡器"), this);
    m_icReaderBox->setObjectName(QStringLiteral("icReaderBox"));
    m_icReaderBox->setAccessibleName(m_icReaderBox->text());
    // Still hidden: an installation turns the reader on in system.ini [IcCard] reader=1.
    m_icReaderBox->setChecked(
        m_session.config().read(QStringLiteral("IcCard"), QStringLiteral("reader")).trimmed() ==
        u"1");
    m_icReaderBox->hide();

    m_okButton = new QPushButton(QStringLiteral("确定"), this);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_okButton->setAccessibleName(m_okButton->text());
    m_exitButton = new QPushButton(QStringLiteral("退出"), this);
    m_exitButton->setObjectName(QStringLiteral("exitButton"));
    m_exitButton->setAccessibleName(m_exitButton->text());
    m_exitButton->setAutoDefault(false);

    auto* form = new QFormLayout;
    auto* userLabel = new QLabel(QStringLiteral("用户名:"), this);
    userLabel->setObjectName(QStringLiteral("userLabel"));
    userLabel->setBuddy(m_userBox);
    auto* passwordLabel = new QLabel(QStringLiteral("密码:"), this);
    passwordLabel->setObjectName(QStringLiteral("passwordLabel"));
    passwordLabel->setBuddy(m_passwordBox);
    form->addRow(userLabel, m_userBox);
    form->addRow(passwordLabel, m_passwordBox);
    form->addRow(QString(), m_icReaderBox);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_exitButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->setSpacing(14);
    layout->addWidget(m_banner);
    layout->addLayout(form);
    layout->addLayout(buttons);

    // Picking or typing a user name moves on to the password.
    connect(m_userBox, &QComboBox::editTextChanged, this, [this] {
        if (isVisible())
            m_passwordBox->setFocus(Qt::OtherFocusReason);
    });
    connect(m_okButton, &QPushButton::clicked, this, [this] { login(); });
    connect(m_exitButton, &QPushButton::clicked, qApp, &QApplication::quit, Qt::QueuedConnection);
    connect(this, &TLgFm::loggedIn, this, [this] {
        if (m_showsMainWindow)
            showMainWindow();
    });
}

bool TLgFm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_passwordBox && event->type() == QEvent::FocusIn)
        m_okButton->setDefault(true);
    return QDialog::eventFilter(watched, event);
}

void TLgFm::showEvent(QShowEvent* event)
{
    if (!m_prepared) {
        m_prepared = true;
        prepareLogin();
        adjustSize();
        // With the password filled in, Enter logs in at once.
        if (!m_passwordBox->text().isEmpty())
            m_passwordBox->setFocus(Qt::OtherFocusReason);
        if (const QScreen* screen = this->screen())
            move(screen->availableGeometry().center() - rect().center());
    }
    QDialog::showEvent(event);
}

void TLgFm::reject()
{
    // The login form has no cancel: Escape must not hide the window the run
    // depends on. The run ends through "退出".
}

void TLgFm::closeEvent(QCloseEvent* event)
{
    // Closing the login form releases the card reader and ends the run.
    IcClose();
    event->accept();
    QMetaObject::invokeMethod(qApp, &QApplication::quit, Qt::QueuedConnection);
}

void TLgFm::prepareLogin()
{
    setWindowTitle(m_session.softname);
    m_banner->setText(m_session.softname);
    const QSignalBlocker blocker(m_userBox);
    m_userBox->clear();
    try {
        Rows rows = m_session.database().query(QStringLiteral("select * from 管理员 "));
        bool first = true;
        while (rows.next()) {
            const QString user = rows.text(QStringLiteral("用户名"));
            if (first) {
                first = false;
                m_userBox->setEditText(user);
                startPrefillCheck(user, rows.text(QStringLiteral("密码")));
            }
            m_userBox->addItem(user);
        }
        if (first)
            Prompter::current().error(QStringLiteral("管理员表中没有用户,无法登录."));
        else
            m_userBox->setEditText(m_userBox->itemText(0));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

void TLgFm::startPrefillCheck(const QString& user, const QString& storedPassword)
{
    waitForPrefill();
    m_prefillUser = user;
    m_prefillPending = true;
    if (!passwordhash::isHash(storedPassword)) {
        m_prefillMatches = storedPassword == defaultPassword();
        applyPrefill();
        return;
    }
    m_prefillThread = QThread::create([this, storedPassword] {
        m_prefillMatches = storedpassword::matches(storedPassword, defaultPassword());
    });
    m_prefillThread->setParent(this);
    connect(m_prefillThread, &QThread::finished, this, &TLgFm::applyPrefill, Qt::QueuedConnection);
    m_prefillThread->start();
}

void TLgFm::waitForPrefill()
{
    if (m_prefillThread)
        m_prefillThread->wait();
    applyPrefill();
}

void TLgFm::applyPrefill()
{
    if (m_prefillThread && m_prefillThread->isFinished()) {
        m_prefillThread->deleteLater();
        m_prefillThread = nullptr;
    }
    if (!m_prefillPending || m_prefillThread)
        return;
    if (!m_prefillMatches) {
        m_prefillPending = false;
        return;
    }
    // Only into an empty box for the user that was checked: the operator's own
    // input always wins, and the default waits until the box is empty again.
    if (!m_passwordBox->text().isEmpty() || m_userBox->currentText() != m_prefillUser)
        return;
    m_prefillPending = false;
    m_passwordBox->setText(defaultPassword());
    // With the password filled in, Enter logs in at once.
    if (isVisible())
        m_passwordBox->setFocus(Qt::OtherFocusReason);
}

std::optional<QString> TLgFm::authenticate(const QString& user, const QString& password)
{
    Database& db = m_session.database();
    Rows rows = db.query(QStringLiteral("select 用户名, 密码 from 管理员 where ") +
                             db.dialect().caseInsensitiveEquals(QStringLiteral("用户名")),
                         {user});
    while (rows.next()) {
        // A row without a password matches no typed text, not even an empty one.
        if (rows.isNull(QStringLiteral("密码")))
            continue;
        const QString storedUser = rows.text(QStringLiteral("用户名"));
        if (storedpassword::verifyAndUpgrade(db, adminTable, QStringLiteral("用户名"), storedUser,
                                             rows.text(QStringLiteral("密码")), password))
            return storedUser;
    }
    return std::nullopt;
}

bool TLgFm::readPermissions(const QString& storedUser)
{
    Database& db = m_session.database();
    const QStringList columns = db.columns(adminTable);
    Rows rows = db.query(QStringLiteral("select * from 管理员 where 用户名 = ?"), {storedUser});
    if (!rows.next())
        throw DatabaseError(QStringLiteral("管理员%1已不存在").arg(storedUser));
    Permissions permissions;
    for (int i = 0; i < PermissionCount; ++i) {
        const auto permission = static_cast<Permission>(i);
        const QString column = permissionColumn(permission);
        const bool present = columns.contains(column, Qt::CaseInsensitive);
        if (!present) {
            if (isOptionalPermission(permission)) {
                // A database made before this column existed grants the feature.
                permissions.set(permission, true);
                continue;
            }
            throw DatabaseError(QStringLiteral("管理员表中没有字段%1").arg(column));
        }
        // A NULL flag grants nothing, but does not lock the administrator out.
        permissions.set(permission, rows.flag(column));
    }
    m_session.permissions = permissions;
    return true;
}

bool TLgFm::login()
{
    // Enter may come before the background check has filled the default
    // password in: with the box still empty, wait for the check (a fraction of
    // a second) and take its answer. Text the operator typed is confirmed as it stands.
    if (m_passwordBox->text().isEmpty())
        waitForPrefill();
    const QString user = m_userBox->currentText();
    const QString password = m_passwordBox->text();
    try {
        const std::optional<QString> storedUser = authenticate(user, password);
        if (!storedUser) {
            Prompter::current().inform(QStringLiteral("用户名或者密码错误请重新输入！"));
            m_passwordBox->selectAll();
            m_passwordBox->setFocus(Qt::OtherFocusReason);
            return false;
        }
        readPermissions(*storedUser);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return false;
    }
    m_session.operatorName = user;
    m_session.icReaderEnabled = m_icReaderBox->isChecked();
    emit loggedIn();
    return true;
}

void TLgFm::showMainWindow()
{
    m_mainWindow = std::make_unique<TMainFm>(m_session);
    hide();
    m_mainWindow->setWindowModality(Qt::ApplicationModal);
    m_mainWindow->showMaximized();
}

} // namespace shoupai
