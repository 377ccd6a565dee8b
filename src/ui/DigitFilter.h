#pragma once
// The numeric edits take digits and Backspace only.

#include <QString>

class QKeyEvent;

namespace ui {

inline constexpr char16_t kBackspace = 8;
// Qt's text for Delete on X11 and Windows; Delete types no character.
inline constexpr char16_t kDeleteText = 0x7F;

// Leaves Backspace and the digits 0-9; any other character becomes the null character, which
// the edit then ignores.
void FilterDigit(QChar& key);

// The characters a key press types: Backspace as character 8, Ctrl+letter as its control
// character (so Ctrl+C, Ctrl+X, Ctrl+V, Ctrl+A, Ctrl+Z count as typed characters), otherwise
// the event's text. Empty for keys that type nothing (arrows, Tab, Delete, Insert, ...), so
// Delete and the clipboard keys Shift+Delete, Ctrl+Insert and Shift+Insert keep working.
QString TypedCharacters(const QKeyEvent& event);

} // namespace ui
