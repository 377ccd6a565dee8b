#pragma once
// One running copy per user: a lock file named after "Tessiva" that the first copy holds.

#include <QLockFile>
#include <QString>
#include <memory>

namespace ui {

class SingleInstance {
public:
    // `lockFolder` empty: the user's runtime folder, or the temporary folder without one.
    explicit SingleInstance(const QString& lockFolder = {});

    // False only when another live copy holds the lock. A lock left by a copy that no longer
    // runs is taken over; a lock that cannot be made at all lets this copy run, unguarded.
    bool tryAcquire();
    bool held() const { return lock_->isLocked(); }
    QString lockFilePath() const { return path_; }

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

} // namespace ui
