#pragma once
// One running copy: on Windows the named mutex "Tessiva", shared by every copy on the machine;
// elsewhere, and for a given folder, a lock file of that name that the first copy holds.

#include <QLockFile>
#include <QString>
#include <memory>

namespace ui {

class SingleInstance {
public:
    // `lockFolder` empty: the user's runtime folder, or the temporary folder without one.
    explicit SingleInstance(const QString& lockFolder = {});
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False only when another live copy holds the lock. A lock left by a copy that no longer
    // runs is taken over; a lock that cannot be made at all lets this copy run, unguarded.
    bool tryAcquire();
    bool held() const;
    QString lockFilePath() const { return path_; }

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_; // null when the named mutex guards
    void* mutex_ = nullptr;           // HANDLE of the named mutex (Windows)
    bool mutexHeld_ = false;
};

} // namespace ui
