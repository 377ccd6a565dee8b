#pragma once
// Message boxes for tests: every text is recorded, nothing is shown.

#include "platform/MessageBox.h"

#include <QStringList>

namespace testsupport {

class RecordingMessageBoxes final : public platform::MessageBoxes {
public:
    void show(QWidget* parent, Kind kind, const QString& text) override;
    QStringList texts;
};

} // namespace testsupport
