// The numeric edits take digits only, whether typed or composed by an input method.
#include "ui/DigitFilter.h"
#include "ui/MainWindow.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace ui {

void MainWindow::installDigitFilter() {
    const protocol::Edit numeric[] = {
        protocol::Edit::PLen,  protocol::Edit::PHeight, protocol::Edit::IP1,
        protocol::Edit::IP2,   protocol::Edit::IP3,     protocol::Edit::IP4,
        protocol::Edit::C1,    protocol::Edit::C2,      protocol::Edit::C3,
        protocol::Edit::C4,    protocol::Edit::Gate1,   protocol::Edit::Gate2,
        protocol::Edit::Gate3, protocol::Edit::Gate4,   protocol::Edit::DNS1,
        protocol::Edit::DNS2,  protocol::Edit::DNS3,    protocol::Edit::DNS4,
        protocol::Edit::DIP1,  protocol::Edit::DIP2,    protocol::Edit::DIP3,
        protocol::Edit::DIP4,  protocol::Edit::DPort,
    };
    for (protocol::Edit e : numeric) {
        panel_[e]->installEventFilter(this);
        numericEdits_.append(panel_[e]);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (!numericEdits_.contains(watched)) {
        return QMainWindow::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress) {
        const QString typed = TypedCharacters(*static_cast<QKeyEvent*>(event));
        for (QChar c : typed) {
            QChar key = c;
            edtPLenKeyPress(key);
            if (key.isNull()) {
                return true;
            }
        }
    } else if (event->type() == QEvent::InputMethod) {
        // Text composed by an input method is typed too, one character at a time.
        const auto* input = static_cast<QInputMethodEvent*>(event);
        for (QChar c : input->commitString()) {
            QChar key = c;
            edtPLenKeyPress(key);
            if (key.isNull()) {
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::edtPLenKeyPress(QChar& key) {
    FilterDigit(key);
}

} // namespace ui
