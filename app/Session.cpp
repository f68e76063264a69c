#include "app/Session.h"

#include "app/ConnectionFailureHook.h"
#include "app/Delimiters.h"
#include "common/Prompter.h"
#include "platform/Schema.h"
#include "platform/SchemaUpgrader.h"

#include <QDir>
#include <QFileInfo>

namespace shoupai {

Session::Session() = default;

QString Session::StringDelimiter() const
{
    return shoupai::StringDelimiter(m_backendCode);
}

QString Session::DateDelimiter() const
{
    return shoupai::DateDelimiter(m_backendCode);
}

void Session::start(const QString& homeFolder)
{
    m_homeFolder = homeFolder;
    m_config = IniFile(QDir(homeFolder).filePath(QStringLiteral("system.ini")));

    softname = m_config.read(QStringLiteral("QV582"), QStringLiteral("softname"));
    memo = m_config.read(QStringLiteral("QV582"), QStringLiteral("memo"));
    tel = m_config.read(QStringLiteral("QV582"), QStringLiteral("tel"));
    web = m_config.read(QStringLiteral("QV582"), QStringLiteral("web"));
    company = m_config.read(QStringLiteral("QV582"), QStringLiteral("Company"));
    checkOutPrtPreview =
        m_config.read(QStringLiteral("PosPrt"), QStringLiteral("CheckOutPrtPreview"));
    port = m_config.read(QStringLiteral("PosPrt"), QStringLiteral("port"));
    m_backendCode = m_config.read(QStringLiteral("part1"), QStringLiteral("abc"));
    m_connectionText = m_config.read(QStringLiteral("part1"), QStringLiteral("csaccess"));
    if (m_backendCode == u"s")
        m_connectionText = m_config.read(QStringLiteral("part1"), QStringLiteral("cs"));

    openDatabase();
    // Without a connection the shop texts stay empty; the login screen shows
    // the database's error when it reads the administrators.
    if (m_database.isOpen())
        loadShopTexts();
}

void Session::openDatabase()
{
    const ConnectionDescription description = ConnectionDescription::parse(m_connectionText);
    bool isNewFile = false;
    if (description.kind == ConnectionDescription::Kind::Sqlite) {
        const QString path = QFileInfo(description.filePath).isAbsolute()
                                 ? description.filePath
                                 : QDir(m_homeFolder).filePath(description.filePath);
        isNewFile = !QFileInfo::exists(path);
    }
    if (!m_database.open(description, m_homeFolder)) {
        Prompter::current().error(m_database.lastError());
        Prompter::current().inform(QStringLiteral("数据库连接失败,请选择数据库."));
        runConnectionFailureHook(*this);
        return;
    }
    try {
        Schema::prepare(m_database, isNewFile);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return;
    }
    upgradeDatabase();
}

void Session::upgradeDatabase()
{
    UpgradeReport report;
    try {
        report = upgradeSchema(m_database, m_upgradeSteps);
    } catch (const DatabaseError& error) {
        // The version could not even be read; the database is used as it is.
        Prompter::current().error(error.text());
        return;
    }
    if (report.failed()) {
        Prompter::current().error(QStringLiteral("数据库结构升级到第%1版失败,数据库仍为第%2版:\n%3")
                                      .arg(report.failedVersion)
                                      .arg(report.toVersion)
                                      .arg(report.error));
    }
}

void Session::loadShopTexts()
{
    QString* const targets[] = {&shopName, &shopTel, &shopAddress};
    const QString columns[] = {QStringLiteral("name"), QStringLiteral("tel"),
                               QStringLiteral("add")};
    try {
        Rows rows = m_database.query(QStringLiteral("select * from sysinfo"));
        const bool hasRow = rows.next();
        for (int i = 0; i < 3; ++i) {
            if (!hasRow || rows.isNull(columns[i])) {
                Prompter::current().error(
                    QStringLiteral("商店信息(sysinfo)中没有%1,商店名称、电话和地址有的将显示为空.")
                        .arg(columns[i]));
                return;
            }
            *targets[i] = rows.text(columns[i]);
        }
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

} // namespace shoupai
