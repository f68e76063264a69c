#pragma once

#include <QString>

#include <optional>

namespace shoupai {

class IniFile;

// The values behind the database settings screen: what is tested, what is
// stored in system.ini and what start-up reads again.
namespace databasesettings {

inline const QString RefusedText =
    QStringLiteral("服务器名、数据库名、用户名和密码不能含有分号、换行或控制字符！");
// What start-up opens when the file backend is chosen and nothing usable is stored.
inline const QString DefaultFileDescription = QStringLiteral("Provider=SQLite;Data Source=data.db");

struct ServerFields
{
    QString server;
    QString database;
    QString user;
    QString password;

    ServerFields trimmed() const;
    // ';' would split the description; line breaks and control characters
    // would inject lines into system.ini.
    bool isAcceptable() const;
};

// The description a server connection is stored and opened with.
QString describe(const ServerFields& fields);
// The same text with the password hidden, for showing.
QString describeMasked(const ServerFields& fields);

// Opens a connection of its own to the described server and closes it again;
// the reason when it fails (the description's problem or the server's text).
std::optional<QString> testConnection(const QString& description);

enum class Backend
{
    File,  // "a"
    Server // "s"
};

// Writes the choice, the fields and, when a test succeeded, its description in
// one save. A file choice without a test leaves cs alone and repairs a missing
// or unusable csaccess. Returns false when the file could not be written.
bool save(IniFile& config, Backend backend, const ServerFields& fields,
          const std::optional<QString>& testedDescription);

} // namespace databasesettings

} // namespace shoupai
