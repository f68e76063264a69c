// Connection descriptions as system.ini stores them, and the description the
// database settings compose from the operator's fields.
#include "FuzzSupport.h"

#include "admin/DatabaseSettings.h"
#include "platform/ConnectionDescription.h"

using shoupai::ConnectionDescription;
namespace settings = shoupai::databasesettings;

namespace {

QString fieldsText(const settings::ServerFields& f)
{
    return QStringList{f.server, f.database, f.user, f.password}.join(u'|');
}

// A usable description has what its kind needs, an unusable one says why.
void checkConsistent(const ConnectionDescription& d, const QString& text)
{
    switch (d.kind) {
    case ConnectionDescription::Kind::Sqlite:
        FUZZ_CHECK(!d.filePath.isEmpty() && d.problem.isEmpty(), text);
        break;
    case ConnectionDescription::Kind::Postgres:
        FUZZ_CHECK(!d.host.isEmpty() && !d.database.isEmpty() && d.problem.isEmpty(), text);
        FUZZ_CHECK(d.port > 0 && d.port <= 65535, text);
        break;
    case ConnectionDescription::Kind::LegacyAccess:
    case ConnectionDescription::Kind::Invalid:
        FUZZ_CHECK(!d.problem.isEmpty(), text);
        break;
    }
    FUZZ_CHECK(d.isUsable() == !d.connectOptions().isEmpty(), text);
}

// What the settings screen stores opens the server the operator named.
void checkComposed(const settings::ServerFields& typed)
{
    const settings::ServerFields f = typed.trimmed();
    if (!f.isAcceptable())
        return;
    const QString text = settings::describe(f);
    const ConnectionDescription d = ConnectionDescription::parse(text);
    checkConsistent(d, text);
    if (d.kind != ConnectionDescription::Kind::Postgres) {
        // Refused only for a missing server or database or a port that is no port.
        FUZZ_CHECK(d.kind == ConnectionDescription::Kind::Invalid, fieldsText(f));
        FUZZ_CHECK(f.server.isEmpty() || f.database.isEmpty() || f.server.contains(u',') ||
                       f.server.count(u':') == 1,
                   fieldsText(f) + QStringLiteral(" -> ") + d.problem);
        return;
    }
    FUZZ_CHECK(d.database == f.database && d.user == f.user && d.password == f.password,
               fieldsText(f));
    const bool portGiven = f.server != d.host;
    FUZZ_CHECK(!portGiven ? d.port == 5432
                          : f.server.startsWith(d.host) && (f.server.at(d.host.size()) == u',' ||
                                                            f.server.at(d.host.size()) == u':' ||
                                                            f.server.at(d.host.size()).isSpace()),
               fieldsText(f));
    // Composed again from what was read, it reads the same.
    const settings::ServerFields again{d.host + u',' + QString::number(d.port), d.database, d.user,
                                       d.password};
    const ConnectionDescription e = ConnectionDescription::parse(settings::describe(again));
    FUZZ_CHECK(e.kind == d.kind && e.host == d.host && e.port == d.port &&
                   e.database == d.database && e.user == d.user && e.password == d.password,
               fieldsText(f));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    if (in.flag()) {
        const QString text = QString::fromUtf8(in.rest());
        const ConnectionDescription d = ConnectionDescription::parse(text);
        checkConsistent(d, text);
        if (d.kind == ConnectionDescription::Kind::Postgres)
            checkComposed(
                {d.host + u',' + QString::number(d.port), d.database, d.user, d.password});
    } else {
        settings::ServerFields f;
        f.server = in.text(40);
        f.database = in.text(30);
        f.user = in.text(30);
        f.password = in.text(30);
        checkComposed(f);
    }
    return 0;
}
