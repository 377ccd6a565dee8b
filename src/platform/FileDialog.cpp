#include "platform/FileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace platform {

namespace {
WidgetFileDialogs g_widgetDialogs;
FileDialogs* g_current = &g_widgetDialogs;
} // namespace

QString WidgetFileDialogs::saveFileName(QWidget* parent, const QString& title,
                                        const QString& suggested, const QString& filter) {
    const QString start = folder_.isEmpty() ? QDir::homePath() : folder_;
    QString file =
        QFileDialog::getSaveFileName(parent, title, QDir(start).filePath(suggested), filter);
    if (!file.isEmpty()) {
        folder_ = QFileInfo(file).absolutePath();
    }
    return file;
}

QString WidgetFileDialogs::openFileName(QWidget* parent, const QString& title,
                                        const QString& filter) {
    const QString start = folder_.isEmpty() ? QDir::homePath() : folder_;
    QString file = QFileDialog::getOpenFileName(parent, title, start, filter);
    if (!file.isEmpty()) {
        folder_ = QFileInfo(file).absolutePath();
    }
    return file;
}

QString WidgetFileDialogs::folderName(QWidget* parent, const QString& title, const QString& start) {
    // The folder asked for, or the nearest one above it that is there (backups/ is made by
    // the first write).
    QString from = start.isEmpty() ? QString() : QDir::cleanPath(start);
    while (!from.isEmpty() && !QFileInfo(from).isDir()) {
        const QString up = QFileInfo(from).absolutePath();
        from = up == from ? QString() : up;
    }
    if (!QFileInfo(from).isDir()) {
        from = folder_.isEmpty() ? QDir::homePath() : folder_;
    }
    return QFileDialog::getExistingDirectory(parent, title, from);
}

FileDialogs& fileDialogs() {
    return *g_current;
}

ScopedFileDialogs::ScopedFileDialogs(FileDialogs& dialogs) : previous_(g_current) {
    g_current = &dialogs;
}

ScopedFileDialogs::~ScopedFileDialogs() {
    g_current = previous_;
}

} // namespace platform
