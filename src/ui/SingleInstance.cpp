#include "ui/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

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

bool SingleInstance::tryAcquire() {
    if (lock_->tryLock(0)) {
        return true;
    }
    return lock_->error() != QLockFile::LockFailedError;
}

} // namespace ui
