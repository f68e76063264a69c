#pragma once

#include "app/Session.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace shoupai::bench {

// A copy of the synthetic history as data.db in a folder of its own, so that a
// benchmark may write to it; the folder goes with the copy.
class HistoryCopy
{
public:
    HistoryCopy();

    // False when there is no history or it could not be copied; failure() says which.
    bool copied() const { return m_failure.isEmpty(); }
    QString failure() const { return m_failure; }
    QString folder() const { return m_folder.path(); }
    QString dataPath() const;
    // Leaves the folder behind, for a look at the file afterwards.
    void keep();

private:
    QTemporaryDir m_folder;
    QString m_failure;
};

// How a benchmark's venue is set up; the defaults are those of a screen's figure.
struct VenueSetup
{
    QString operatorName = QStringLiteral("超级管理员");
    bool allPermissions = true;
    // A history file made before the schema kept its version is left alone at
    // start-up; this gives it the indexes the upgrade steps add.
    bool upgraded = true;
    // Without a history the session starts on a new, seeded database.
    bool historyOptional = false;
    // Further system.ini sections, after the connection.
    QByteArray iniExtra;

    VenueSetup& as(const QString& name)
    {
        operatorName = name;
        return *this;
    }
    VenueSetup& withoutPermissions()
    {
        allPermissions = false;
        return *this;
    }
    VenueSetup& notUpgraded()
    {
        upgraded = false;
        return *this;
    }
    VenueSetup& orNewDatabase()
    {
        historyOptional = true;
        return *this;
    }
    VenueSetup& withIni(const QByteArray& sections)
    {
        iniExtra = sections;
        return *this;
    }
};

// A venue on a copy of the synthetic history: the home folder with its
// system.ini, the copy and a started session with an operator.
class HistoryVenue
{
public:
    explicit HistoryVenue(const VenueSetup& setup = {});

    bool ok() const { return m_failure.isEmpty(); }
    QString failure() const { return m_failure; }
    // ok(), after writing the failure to stderr when not.
    bool ready() const;
    bool hasHistory() const { return m_copy.copied(); }

    QString home() const { return m_copy.folder(); }
    QString dataPath() const { return m_copy.dataPath(); }
    void keep() { m_copy.keep(); }

    Session& session() { return m_session; }
    Database& database() { return m_session.database(); }

private:
    HistoryCopy m_copy;
    Session m_session;
    QString m_failure;
};

} // namespace shoupai::bench
