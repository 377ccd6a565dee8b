#pragma once
// Message boxes for tests: every text is recorded, nothing is shown. A question is answered
// with the next of `answers`; none left is No, the default of the real box.

#include "platform/MessageBox.h"

#include <QStringList>

namespace testsupport {

class RecordingMessageBoxes final : public platform::MessageBoxes {
public:
    void show(QWidget* parent, Kind kind, const QString& text) override;
    bool ask(QWidget* parent, const QString& text, const QString& yes, const QString& no) override;
    QStringList texts;     // every box, questions too
    QStringList questions; // the questions alone
    QStringList buttons;   // each question's Yes and No, as they read
    QList<bool> answers;
};

} // namespace testsupport
