#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace shoupai {

// One running copy per desktop session: a lock file named after "RovEdoz" in
// the user's runtime folder. A lock left by a crashed copy is taken over.
class SingleInstance
{
public:
    explicit SingleInstance(const QString& name = QStringLiteral("RovEdoz"));
    // True when this copy holds the lock (no other copy runs).
    bool acquire();
    QString lockPath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace shoupai
