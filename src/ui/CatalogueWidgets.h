#pragma once
// Filling widgets from a string catalogue.

#include "lang/Catalogue.h"

#include <QString>
#include <string_view>

class QAbstractItemView;
class QComboBox;
class QMenuBar;

namespace ui {

inline QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

// Text of the first entry of `section` whose key is `key`; empty when there is none.
QString SectionText(const lang::TLanguage& catalogue, lang::Section section, std::string_view key);

// Empties the combo box and makes the comma-separated pieces of `text` its items, in order,
// with no item chosen.
void SetComboItems(QComboBox* combo, const QString& text);

// Every column caption c becomes the text at position c of section 8. Without a catalogue the
// language in force is used; without any, nothing changes.
void ApplyColumnCaptions(QAbstractItemView* list, const lang::TLanguage* catalogue = nullptr);

// Top-level menus, their items other than "-" separators, and the items one level further
// down take the section-1 text stored under their object name.
void RelabelMenuBar(QMenuBar* menuBar, const lang::TLanguage& catalogue);

} // namespace ui
