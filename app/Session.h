#pragma once

#include "app/IniFile.h"
#include "app/Permissions.h"
#include "platform/Database.h"
#include "platform/SchemaUpgrades.h"

#include <QList>
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
    // An existing database of this program is brought up to the last upgrade step;
    // a step that fails is reported and the database is used at its previous version.
    void start(const QString& homeFolder);
    // The upgrade steps start() runs; tests pass steps of their own.
    void useUpgradeSteps(const QList<UpgradeStep>& steps) { m_upgradeSteps = steps; }

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
    void upgradeDatabase();

    QString m_homeFolder;
    IniFile m_config;
    Database m_database;
    QString m_backendCode;
    QString m_connectionText;
    QList<UpgradeStep> m_upgradeSteps = upgradeSteps();
};

} // namespace shoupai
