#pragma once
// The panel kept as a profile file, and a profile file brought back into a panel, in the file
// format ledcardctl reads and writes.

#include "lang/Catalogue.h"
#include "protocol/Panel.h"

#include <QString>
#include <optional>
#include <variant>

namespace ui {

class ParameterFile {
public:
    // Why a save or a load did not happen, in the operator's language.
    struct Failure {
        QString message;
    };

    // Writes the panel's parameters, as read from a card, to `path`. Refused when the panel
    // shows no card (its MAC strip is empty); a file that was there stays as it was when the
    // write fails.
    static std::optional<Failure> save(const QString& path, const protocol::PanelModel& panel,
                                       const protocol::CardProfile& card,
                                       lang::LanguageId language);

    // The panel with the file's parameters applied as if typed and chosen by the operator; its
    // MAC, firmware version and internal code stay. A file that cannot be read, is no profile,
    // or names an unknown parameter or value is refused, naming the first such one.
    static std::variant<protocol::PanelModel, Failure> load(const QString& path,
                                                            const protocol::PanelModel& panel,
                                                            const protocol::CardProfile& card,
                                                            lang::LanguageId language);
};

} // namespace ui
