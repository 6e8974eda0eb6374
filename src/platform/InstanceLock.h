#pragma once
// The named mutex that keeps one utility per logged-on user: a lock file named after the mutex in
// $XDG_RUNTIME_DIR. A lock left by a dead process is taken over.

#include <QString>

#include <memory>

class QLockFile;

namespace platform {

inline const QString kInstanceMutexName =
    QStringLiteral("Local\\VelkorPanorelCustomizerAvoidMultiInstanceMutex");

class InstanceLock {
public:
    enum class Result { Acquired, AlreadyExists, Failed };

    explicit InstanceLock(const QString& mutexName);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Creates the mutex with initial ownership. AlreadyExists: another live process holds it.
    Result acquire();
    void release();
    bool isHeld() const;

private:
    std::unique_ptr<QLockFile> m_file;
};

} // namespace platform
