#include "ui/WindowFace.h"

#include <QFont>
#include <QWidget>

namespace ui {

void ApplyWindowFace(QWidget* window) {
    // One face with both Latin and CJK glyphs, so Chinese never falls back to boxes and the
    // three languages share their metrics; the first installed one wins.
    QFont face = window->font();
    face.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Microsoft YaHei"),
                      QStringLiteral("PingFang SC"), QStringLiteral("WenQuanYi Micro Hei")});
    face.setPixelSize(12);
    window->setFont(face);
}

} // namespace ui
