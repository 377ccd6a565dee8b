#include "platform/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace platform {

namespace {
WidgetMessageBoxes g_widgetBoxes;
MessageBoxes* g_current = &g_widgetBoxes;
} // namespace

void WidgetMessageBoxes::show(QWidget* parent, Kind kind, const QString& text) {
    QMessageBox box(kind == Kind::Error ? QMessageBox::Critical : QMessageBox::Information,
                    QApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    box.exec();
}

bool WidgetMessageBoxes::ask(QWidget* parent, const QString& text, const QString& yes,
                             const QString& no) {
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    if (!yes.isEmpty()) {
        box.button(QMessageBox::Yes)->setText(yes);
    }
    if (!no.isEmpty()) {
        box.button(QMessageBox::No)->setText(no);
    }
    // What goes on happens only on a deliberate Yes: Enter and Esc both keep it from happening.
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

MessageBoxes& messageBoxes() {
    return *g_current;
}

ScopedMessageBoxes::ScopedMessageBoxes(MessageBoxes& boxes) : previous_(g_current) {
    g_current = &boxes;
}

ScopedMessageBoxes::~ScopedMessageBoxes() {
    g_current = previous_;
}

} // namespace platform
