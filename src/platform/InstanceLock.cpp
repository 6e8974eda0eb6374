#include "InstanceLock.h"

#include "WindowMessages.h"
#include "trace/Trace.h"

#include <QLockFile>

namespace platform {

InstanceLock::InstanceLock(const QString& mutexName)
{
    const QString folder = RuntimeFolder();
    if (folder.isEmpty())
        return;
    const QString fileName = QString(mutexName).replace(u'\\', u'_') + ".lock";
    m_file = std::make_unique<QLockFile>(folder + u'/' + fileName);
    // Never stale by age: a lock is taken over only when the process that holds it is gone.
    m_file->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() = default;

InstanceLock::Result InstanceLock::acquire()
{
    if (!m_file)
        return Result::Failed;
    if (m_file->isLocked() || m_file->tryLock(0))
        return Result::Acquired;
    TRACE("InstanceLock: %s not acquired (error %d)", qPrintable(m_file->fileName()),
          int(m_file->error()));
    return m_file->error() == QLockFile::LockFailedError ? Result::AlreadyExists : Result::Failed;
}

void InstanceLock::release()
{
    if (m_file)
        m_file->unlock();
}

bool InstanceLock::isHeld() const { return m_file && m_file->isLocked(); }

} // namespace platform
