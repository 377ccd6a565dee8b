#include "ui/DigitFilter.h"

#include <QKeyEvent>

namespace ui {

void FilterDigit(QChar& key) {
    const char16_t c = key.unicode();
    if (c == kBackspace || (c >= u'0' && c <= u'9')) {
        return;
    }
    key = QChar();
}

QString TypedCharacters(const QKeyEvent& event) {
    const int key = event.key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        return {};
    }
    if (key == Qt::Key_Backspace) {
        return QString(QChar(kBackspace));
    }
    const Qt::KeyboardModifiers mods = event.modifiers();
    if ((mods & Qt::ControlModifier) && !(mods & (Qt::AltModifier | Qt::MetaModifier)) &&
        key >= Qt::Key_A && key <= Qt::Key_Z) {
        return QString(QChar(static_cast<char16_t>(key - Qt::Key_A + 1)));
    }
    QString text = event.text();
    text.remove(QChar(kDeleteText));
    return text;
}

} // namespace ui
