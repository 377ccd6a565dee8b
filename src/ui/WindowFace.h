#pragma once
// The face every window of the program is drawn in.

class QWidget;

namespace ui {

// The program's 12-pixel face with CJK glyphs.
void ApplyWindowFace(QWidget* window);

} // namespace ui
