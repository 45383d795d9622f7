#include "app/single_instance.h"

#include <QDir>
#include <QLockFile>

namespace cofrel {

SingleInstance::SingleInstance(const QString &name)
    : m_lock(std::make_unique<QLockFile>(QDir::temp().filePath(name + QStringLiteral(".lock"))))
{
    // Never stale by age: the program may run for days. A lock whose
    // process is gone is taken over by tryLock().
    m_lock->setStaleLockTime(0);
    m_acquired = m_lock->tryLock(0);
}

SingleInstance::~SingleInstance() = default;

} // namespace cofrel
