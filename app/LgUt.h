#pragma once

#include "app/Session.h"

#include <QDialog>

#include <atomic>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QThread;

namespace shoupai {

class TMainFm;

// The login screen: the first window of the run and the holder of the session.
class TLgFm : public QDialog
{
    Q_OBJECT
public:
    // The one-character password every administrator starts with; the screen
    // fills it in when the first administrator still has it.
    static QString defaultPassword() { return QStringLiteral("1"); }

    // Reads system.ini in homeFolder and opens the database.
    explicit TLgFm(const QString& homeFolder, QWidget* parent = nullptr);
    ~TLgFm() override;

    Session& session() { return m_session; }

    // Fills the caption, the banner and the user list, and starts checking whether
    // the first administrator still has the default password. The check costs a
    // deliberately slow password hash, so it runs beside the window and fills the
    // password in when it is done (unless the operator has typed meanwhile).
    void prepareLogin();
    // Waits for that check and applies it (tests, and before a login).
    void waitForPrefill();
    // "确定": checks the user and password (an empty password box first waits for
    // the check above and takes the default password it found); on success fills the operator and
    // the permission flags into the session and emits loggedIn(). Returns success.
    bool login();
    // Whether a successful login shows the main window (tests look at the session only).
    void setShowsMainWindow(bool shows) { m_showsMainWindow = shows; }
    TMainFm* mainWindow() const { return m_mainWindow.get(); }

    QComboBox* userBox() const { return m_userBox; }
    QLineEdit* passwordBox() const { return m_passwordBox; }
    QPushButton* okButton() const { return m_okButton; }
    QCheckBox* icReaderBox() const { return m_icReaderBox; }

signals:
    void loggedIn();

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    // Finds the administrator row of the typed name whose password matches,
    // upgrading a plain-text password to a hash. Returns the stored user name.
    std::optional<QString> authenticate(const QString& user, const QString& password);
    bool readPermissions(const QString& storedUser);
    void showMainWindow();
    void startPrefillCheck(const QString& user, const QString& storedPassword);
    void applyPrefill();

    Session m_session;
    QLabel* m_banner = nullptr;
    QComboBox* m_userBox = nullptr;
    QLineEdit* m_passwordBox = nullptr;
    QCheckBox* m_icReaderBox = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_exitButton = nullptr;
    bool m_showsMainWindow = true;
    bool m_prepared = false;
    std::unique_ptr<TMainFm> m_mainWindow;

    QThread* m_prefillThread = nullptr;
    std::atomic<bool> m_prefillMatches = false;
    QString m_prefillUser;
    bool m_prefillPending = false;
};

} // namespace shoupai
