#include "support/RecordingMessageBoxes.h"

namespace testsupport {

void RecordingMessageBoxes::show(QWidget*, Kind, const QString& text) {
    texts.append(text);
}

bool RecordingMessageBoxes::ask(QWidget*, const QString& text) {
    texts.append(text);
    questions.append(text);
    return !answers.isEmpty() && answers.takeFirst();
}

} // namespace testsupport
