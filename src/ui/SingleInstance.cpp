#include "ui/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace ui {

namespace {

QString LockFileName(bool sharedFolder) {
    if (!sharedFolder) {
        return QStringLiteral("Tessiva.lock");
    }
    // The temporary folder is shared between users, the guard is not.
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) {
        user = qEnvironmentVariable("USERNAME");
    }
    return user.isEmpty() ? QStringLiteral("Tessiva.lock")
                          : QStringLiteral("Tessiva-%1.lock").arg(user);
}

} // namespace

SingleInstance::SingleInstance(const QString& lockFolder) {
#ifdef Q_OS_WIN
    if (lockFolder.isEmpty()) {
        // Every copy on the machine, in every session, opens the same mutex.
        mutex_ = ::CreateMutexW(nullptr, FALSE, L"Tessiva");
        if (mutex_ != nullptr) {
            path_ = QStringLiteral("Tessiva");
            return;
        }
    }
#endif
    if (lockFolder.isEmpty()) {
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        path_ = runtime.isEmpty() ? QDir(QDir::tempPath()).filePath(LockFileName(true))
                                  : QDir(runtime).filePath(LockFileName(false));
    } else {
        path_ = QDir(lockFolder).filePath(LockFileName(false));
    }
    lock_ = std::make_unique<QLockFile>(path_);
    // Age alone must never make a running copy's lock look abandoned; only a dead owner does.
    lock_->setStaleLockTime(0);
}

// Empty but on Windows, where it lets the named mutex go.
SingleInstance::~SingleInstance() { // NOLINT(modernize-use-equals-default)
#ifdef Q_OS_WIN
    if (mutex_ != nullptr) {
        if (mutexHeld_) {
            ::ReleaseMutex(mutex_);
        }
        ::CloseHandle(mutex_);
    }
#endif
}

bool SingleInstance::held() const {
    return lock_ ? lock_->isLocked() : mutexHeld_;
}

bool SingleInstance::tryAcquire() {
#ifdef Q_OS_WIN
    if (mutex_ != nullptr) {
        // A mutex left by a copy that died is abandoned, and ours to take.
        const DWORD result = ::WaitForSingleObject(mutex_, 0);
        mutexHeld_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
        return mutexHeld_;
    }
#endif
    if (lock_ == nullptr) {
        return true; // no guard could be made: run unguarded
    }
    if (lock_->tryLock(0)) {
        return true;
    }
    return lock_->error() != QLockFile::LockFailedError;
}

} // namespace ui
