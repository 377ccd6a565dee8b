#pragma once
// What the tests of the several-cards dialog share: message boxes and file dialogs answered by
// the test, a folder of its own for each test function, and the dialog's list read and ticked.

#include "support/RecordingMessageBoxes.h"
#include "support/ScriptedFileDialogs.h"
#include "ui/BatchWriteDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <initializer_list>
#include <memory>

namespace uitest {

constexpr int kNewIpColumn = 4;
constexpr int kStateColumn = 5;

class AnsweredDialogs {
protected:
    // From init(): what the last test function was shown and answered is forgotten.
    void answerDialogs() {
        boxes_ = {};
        files_ = {};
        scopedBoxes_ = std::make_unique<platform::ScopedMessageBoxes>(boxes_);
        scopedFiles_ = std::make_unique<platform::ScopedFileDialogs>(files_);
        dir_ = std::make_unique<QTemporaryDir>();
    }
    void stopAnswering() {
        scopedFiles_.reset();
        scopedBoxes_.reset();
    }
    QString path(const char* name) const { return dir_->filePath(QLatin1String(name)); }

    testsupport::RecordingMessageBoxes boxes_;
    testsupport::ScriptedFileDialogs files_;
    std::unique_ptr<QTemporaryDir> dir_;

private:
    std::unique_ptr<platform::ScopedMessageBoxes> scopedBoxes_;
    std::unique_ptr<platform::ScopedFileDialogs> scopedFiles_;
};

inline QStringList Column(const QTableWidget* list, int c) {
    QStringList out;
    for (int r = 0; r < list->rowCount(); ++r) {
        out << list->item(r, c)->text();
    }
    return out;
}

// Ticks the rows; sequential addresses from `first`, or none when it is empty.
inline void Tick(ui::BatchWriteDialog& dialog, std::initializer_list<int> rows,
                 const QString& first = {}) {
    for (int r : rows) {
        dialog.list()->item(r, 0)->setCheckState(Qt::Checked);
    }
    dialog.findChild<QCheckBox*>(QStringLiteral("cbSequentialIp"))->setChecked(!first.isEmpty());
    dialog.findChild<QLineEdit*>(QStringLiteral("edtFirstIp"))->setText(first);
}

} // namespace uitest
