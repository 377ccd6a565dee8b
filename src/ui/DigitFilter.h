#pragma once
// The numeric edits take digits and Backspace only.

#include <QString>

class QKeyEvent;

namespace ui {

inline constexpr char16_t kBackspace = 8;

// Leaves Backspace and the digits 0-9; any other character becomes the null character, which
// the edit then ignores.
void FilterDigit(QChar& key);

// The characters a key press types: Backspace as character 8, Ctrl+letter as its control
// character (so the clipboard shortcuts count as typed characters), otherwise the event's
// text. Empty for keys that type nothing (arrows, Delete, Tab, ...).
QString TypedCharacters(const QKeyEvent& event);

} // namespace ui
