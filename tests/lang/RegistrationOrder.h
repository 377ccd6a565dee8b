#pragma once

#include "lang/Catalogue.h"

#include <string>
#include <vector>

namespace lang::test {

// Registration order is section by section, so concatenating the sections gives it back.
inline std::vector<std::string> TextsInRegistrationOrder(const TLanguage& catalogue) {
    std::vector<std::string> texts;
    for (int s = 0; s < TLanguage::kSectionCount; ++s) {
        for (const auto& entry : catalogue.SectionEntries(static_cast<lang::Section>(s))) {
            texts.push_back(entry.text);
        }
    }
    return texts;
}

} // namespace lang::test
