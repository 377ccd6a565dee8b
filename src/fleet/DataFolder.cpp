#include "fleet/DataFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace fleet {

QString DataFolder() {
#ifdef Q_OS_WIN
    return QCoreApplication::applicationDirPath();
#else
    // A relative XDG_DATA_HOME is to be ignored, as an empty one is.
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    const QString base = !xdg.isEmpty() && QDir::isAbsolutePath(xdg)
                             ? xdg
                             : QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/ledcardcfg"));
#endif
}

} // namespace fleet
