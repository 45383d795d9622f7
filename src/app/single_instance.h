#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace cofrel {

// Detects another running copy of the program by a named lock held for the
// life of the process. A lock left by a copy that crashed, or one that names
// no owner (empty, damaged, unreadable), does not count.
class SingleInstance final {
public:
    explicit SingleInstance(const QString &name);
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    bool acquired() const { return m_acquired; }

private:
    bool ownerlessLockRemoved();

    QString m_file;
    std::unique_ptr<QLockFile> m_lock;
    bool m_acquired = false;
};

} // namespace cofrel
