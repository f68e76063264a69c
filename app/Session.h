#pragma once

#include "app/IniFile.h"
#include "app/Permissions.h"
#include "platform/Database.h"

#include <QString>

namespace shoupai {

// What start-up reads and the login adds, held for the whole run by the login
// form. Screens read it; only the printer settings and the card service write.
class Session
{
public:
    Session();

    // Reads system.ini in homeFolder, opens the database (creating and seeding a
    // new one) and loads the shop details. Failures are shown through the prompter;
    // start-up goes on with the connection closed.
    void start(const QString& homeFolder);

    QString homeFolder() const { return m_homeFolder; }
    IniFile& config() { return m_config; }
    Database& database() { return m_database; }
    const Database& database() const { return m_database; }

    // Backend code of part1/abc: "s" the shared server, anything else the file.
    QString backendCode() const { return m_backendCode; }
    QString connectionText() const { return m_connectionText; }
    QString StringDelimiter() const;
    QString DateDelimiter() const;

    QString softname, memo, tel, web, company;
    QString checkOutPrtPreview, port;
    QString shopName, shopTel, shopAddress;

    QString operatorName;
    Permissions permissions;
    bool icReaderEnabled = false;

private:
    void openDatabase();
    void loadShopTexts();

    QString m_homeFolder;
    IniFile m_config;
    Database m_database;
    QString m_backendCode;
    QString m_connectionText;
};

} // namespace shoupai
