#pragma once
// Every file dialog of the program goes through here, so tests can answer them.

#include <QString>

class QWidget;

namespace platform {

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The file the operator chose to write, or empty when they cancelled. `suggested` is the
    // name offered first; `filter` a dialog filter such as "CSV files (*.csv)".
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& suggested,
                                 const QString& filter) = 0;
    // The file the operator chose to read, or empty when they cancelled.
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& filter) = 0;
    // The folder the operator chose, starting in `start`, or empty when they cancelled.
    virtual QString folderName(QWidget* parent, const QString& title, const QString& start) = 0;
};

// The real dialogs: QFileDialog, remembering the folder last used.
class WidgetFileDialogs final : public FileDialogs {
public:
    QString saveFileName(QWidget* parent, const QString& title, const QString& suggested,
                         const QString& filter) override;
    QString openFileName(QWidget* parent, const QString& title, const QString& filter) override;
    QString folderName(QWidget* parent, const QString& title, const QString& start) override;

private:
    QString folder_;
};

// The dialogs in use; the real ones unless a test installed others.
FileDialogs& fileDialogs();
// Installs `dialogs` (not owned) until the returned guard is destroyed.
class ScopedFileDialogs {
public:
    explicit ScopedFileDialogs(FileDialogs& dialogs);
    ~ScopedFileDialogs();
    ScopedFileDialogs(const ScopedFileDialogs&) = delete;
    ScopedFileDialogs& operator=(const ScopedFileDialogs&) = delete;

private:
    FileDialogs* previous_;
};

} // namespace platform
