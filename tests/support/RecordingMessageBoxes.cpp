#include "support/RecordingMessageBoxes.h"

namespace testsupport {

void RecordingMessageBoxes::show(QWidget*, Kind, const QString& text) {
    texts.append(text);
}

} // namespace testsupport
