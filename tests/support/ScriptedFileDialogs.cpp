#include "support/ScriptedFileDialogs.h"

namespace testsupport {

QString ScriptedFileDialogs::next() {
    return answers.isEmpty() ? QString() : answers.takeFirst();
}

QString ScriptedFileDialogs::saveFileName(QWidget*, const QString& title, const QString& suggested,
                                          const QString& filter) {
    questions.append({true, false, title, suggested, filter});
    return next();
}

QString ScriptedFileDialogs::openFileName(QWidget*, const QString& title, const QString& filter) {
    questions.append({false, false, title, QString(), filter});
    return next();
}

QString ScriptedFileDialogs::folderName(QWidget*, const QString& title, const QString& start) {
    questions.append({false, true, title, start, QString()});
    return next();
}

} // namespace testsupport
