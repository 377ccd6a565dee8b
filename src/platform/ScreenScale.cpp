#include "platform/ScreenScale.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace platform {

double ScreenScaleFactor(const QScreen* screen) {
    if (screen == nullptr) {
        return 1.0;
    }
    const double dpi = screen->logicalDotsPerInchX();
    return dpi > 0.0 ? dpi / 96.0 : 1.0;
}

double ScreenScaleFactor() {
    return ScreenScaleFactor(QGuiApplication::primaryScreen());
}

int ScaledSize(int size, double factor) {
    const double exact = factor * size;
    const double below = std::floor(exact);
    const double fraction = exact - below;
    double rounded = below;
    if (fraction > 0.5) {
        rounded = below + 1.0;
    } else if (fraction == 0.5) {
        rounded = std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
    }
    return static_cast<int>(rounded);
}

void ScaleFixedSize(QWidget* window, double factor) {
    window->setFixedSize(ScaledSize(window->width(), factor), ScaledSize(window->height(), factor));
}

void ScaleSize(QWidget* window, double factor) {
    window->resize(ScaledSize(window->width(), factor), ScaledSize(window->height(), factor));
}

void CentreOnScreen(QWidget* window) {
    if (const QScreen* where = window->screen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(where->availableGeometry().center());
        window->move(frame.topLeft());
    }
}

void CentreOver(QWidget* window, const QWidget* over) {
    QRect frame = window->frameGeometry();
    frame.moveCenter(over->window()->frameGeometry().center());
    window->move(frame.topLeft());
}

} // namespace platform
