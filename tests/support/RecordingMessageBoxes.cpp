#include "support/RecordingMessageBoxes.h"

namespace testsupport {

void RecordingMessageBoxes::show(QWidget*, Kind, const QString& text) {
    texts.append(text);
}

bool RecordingMessageBoxes::ask(QWidget*, const QString& text, const QString& yes,
                                const QString& no) {
    texts.append(text);
    questions.append(text);
    buttons << yes << no;
    return !answers.isEmpty() && answers.takeFirst();
}

} // namespace testsupport
