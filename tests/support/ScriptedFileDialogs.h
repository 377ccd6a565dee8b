#pragma once
// File dialogs for tests: each question is recorded and answered with the next scripted file
// name; an empty name, or none left, is the operator cancelling.

#include "platform/FileDialog.h"

#include <QStringList>

namespace testsupport {

class ScriptedFileDialogs final : public platform::FileDialogs {
public:
    struct Question {
        bool save = false;
        bool folder = false;
        QString title;
        QString suggested;
        QString filter;
    };

    QString saveFileName(QWidget* parent, const QString& title, const QString& suggested,
                         const QString& filter) override;
    QString openFileName(QWidget* parent, const QString& title, const QString& filter) override;
    // `start` is recorded as `suggested`.
    QString folderName(QWidget* parent, const QString& title, const QString& start) override;

    QStringList answers;
    QList<Question> questions;

private:
    QString next();
};

} // namespace testsupport
