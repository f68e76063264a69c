#include "app/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

namespace shoupai {

SingleInstance::SingleInstance(const QString& name)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    m_path = QDir(folder).filePath(name + QStringLiteral(".lock"));
}

bool SingleInstance::acquire()
{
    m_lock = std::make_unique<QLockFile>(m_path);
    // Never stale by age: a running copy may run for months. A lock whose
    // process is gone is recognised by QLockFile and removed.
    m_lock->setStaleLockTime(0);
    return m_lock->tryLock(0);
}

} // namespace shoupai
