#include "app/single_instance.h"

#include "data/upkeep.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

namespace cofrel {

namespace {

// Where the lock lives. On a Linux desktop, the session's runtime folder:
// it belongs to the user's session, as a named mutex does on Windows (two
// people logged in at once each run their copy), and it is a memory file
// system, so taking the lock does not wait for a disk to flush. A runtime
// folder we cannot write to (another user's, after su) would read as
// "another copy runs" and end the program silently: the temporary folder
// serves then.
QString lockFolder()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QFileInfo info(runtime);
    if (!runtime.isEmpty() && info.isDir() && info.isWritable())
        return runtime;
#endif
    return QDir::tempPath();
}

} // namespace

SingleInstance::SingleInstance(const QString &name)
    : m_file(QDir(lockFolder()).filePath(name + QStringLiteral(".lock")))
    , m_lock(std::make_unique<QLockFile>(m_file))
{
    // Never stale by age: the program may run for days. A lock whose
    // process is gone is taken over by tryLock().
    m_lock->setStaleLockTime(0);
    m_acquired = m_lock->tryLock(0);
    if (!m_acquired && m_lock->error() == QLockFile::LockFailedError && ownerlessLockRemoved())
        m_acquired = m_lock->tryLock(0);
}

// A lock file that names no owner (empty, cut short, garbage, unreadable)
// tells of no running copy, yet tryLock() alone never takes it over. It is
// removed only when no process holds it locked: a copy locks its lock file
// the moment it makes it and holds it for its whole life.
bool SingleInstance::ownerlessLockRemoved()
{
    qint64 pid = 0;
    QString host, app;
    if (m_lock->getLockInfo(&pid, &host, &app))
        return false;
    if (!QFileInfo(m_file).isReadable())
        QFile::setPermissions(m_file, data::OwnerOnlyFile);
    return m_lock->removeStaleLockFile();
}

SingleInstance::~SingleInstance() = default;

} // namespace cofrel
