#pragma once

#include "admin/DatabaseSettings.h"

#include <QDialog>

#include <optional>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace shoupai {

class Session;

// "数据库设置": which database the next start opens. Uses no database itself,
// so that start-up can show it when the database cannot be opened.
class TSetDataFm : public QDialog
{
    Q_OBJECT
public:
    explicit TSetDataFm(Session& session, QWidget* parent = nullptr);

    void test(); // "测试"
    void save(); // "保存"
    void quit(); // "退出"

    QRadioButton* fileButton() const { return m_file; }
    QRadioButton* serverButton() const { return m_server; }
    QGroupBox* serverGroup() const { return m_serverGroup; }
    QPushButton* saveButton() const { return m_save; }
    QLineEdit* serverField() const { return m_serverName; }
    QLineEdit* databaseField() const { return m_database; }
    QLineEdit* userField() const { return m_user; }
    QLineEdit* passwordField() const { return m_password; }

private:
    databasesettings::ServerFields fields() const;
    void chooseFile();
    void chooseServer();
    void forgetTest();

    Session& m_session;
    QRadioButton* m_file = nullptr;
    QRadioButton* m_server = nullptr;
    QGroupBox* m_serverGroup = nullptr;
    QLineEdit* m_serverName = nullptr;
    QLineEdit* m_database = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QPushButton* m_save = nullptr;
    // The description and fields of the last successful test; a save stores exactly these.
    std::optional<QString> m_testedDescription;
    databasesettings::ServerFields m_testedFields;
};

} // namespace shoupai
