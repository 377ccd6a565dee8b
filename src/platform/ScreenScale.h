#pragma once
// Window sizes follow the screen's logical pixels per inch, 96 being the design density.

class QScreen;
class QWidget;

namespace platform {

// Logical horizontal pixels per inch of the screen divided by 96; 1.0 without a screen.
// Qt folds its own device-pixel ratio out of the logical density, so this is normally 1.
double ScreenScaleFactor(const QScreen* screen);
// The primary screen's factor.
double ScreenScaleFactor();

// factor x size rounded to the nearest integer, a half going to the even neighbour.
int ScaledSize(int size, double factor);

// The window's design size times the factor: fixed for a dialog that cannot be resized,
// otherwise only its current size.
void ScaleFixedSize(QWidget* window, double factor);
void ScaleSize(QWidget* window, double factor);

// Moves the window's frame to the centre of its screen's free area, or of another window.
void CentreOnScreen(QWidget* window);
void CentreOver(QWidget* window, const QWidget* over);

} // namespace platform
