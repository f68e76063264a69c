#include "HistoryVenue.h"

#include "SyntheticHistory.h"

#include "platform/Schema.h"
#include "platform/SchemaUpgrades.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

namespace shoupai::bench {

HistoryCopy::HistoryCopy()
{
    const QString shared = syntheticHistorySqlite();
    if (shared.isEmpty())
        m_failure = QStringLiteral("no synthetic history");
    else if (!QFile::copy(shared, dataPath()))
        m_failure = QStringLiteral("cannot copy the synthetic history");
}

QString HistoryCopy::dataPath() const
{
    return QDir(m_folder.path()).filePath(QStringLiteral("data.db"));
}

void HistoryCopy::keep()
{
    m_folder.setAutoRemove(false);
    QTextStream(stderr) << "history kept in " << m_folder.path() << "\n";
}

HistoryVenue::HistoryVenue(const VenueSetup& setup)
{
    if (!m_copy.copied() && !setup.historyOptional) {
        m_failure = m_copy.failure();
        return;
    }
    {
        QFile ini(QDir(home()).filePath(QStringLiteral("system.ini")));
        if (!ini.open(QIODevice::WriteOnly)) {
            m_failure = QStringLiteral("cannot write system.ini");
            return;
        }
        ini.write("[part1]\nabc=a\ncsaccess=Provider=SQLite;Data Source=data.db\n" +
                  setup.iniExtra);
    }
    m_session.start(home());
    m_session.operatorName = setup.operatorName;
    if (setup.allPermissions)
        m_session.permissions = Permissions::all();
    Database& db = m_session.database();
    if (!db.isOpen()) {
        m_failure = QStringLiteral("the history did not open");
        return;
    }
    // Each step is repeatable.
    if (setup.upgraded && Schema::storedVersion(db) < Schema::currentVersion()) {
        Transaction transaction(db);
        for (const UpgradeStep& step : upgradeSteps())
            step.apply(db);
        transaction.commit();
    }
}

bool HistoryVenue::ready() const
{
    if (!ok())
        QTextStream(stderr) << m_failure << "\n";
    return ok();
}

} // namespace shoupai::bench
