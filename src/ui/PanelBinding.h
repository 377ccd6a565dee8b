#pragma once
// The parameter panel's widgets and the plain panel model, mirrored both ways in one place.

#include "protocol/Panel.h"

#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace ui {

class TRadioGroup;

// The panel's widgets, found by their object names below a root widget.
struct PanelWidgets {
    std::array<QLineEdit*, protocol::EditCount> edits{};
    std::array<QComboBox*, protocol::ComboCount> combos{};
    QRadioButton* serverIp = nullptr;     // rBtnServerIP
    QRadioButton* serverDomain = nullptr; // rBtnServerDomain
    QCheckBox* dnsManual = nullptr;       // cbDNSAddr
    TRadioGroup* cfgMode = nullptr;       // rGCfg

    // Every pointer is set when the root holds all the panel's widgets.
    static PanelWidgets Find(QWidget* root);
    bool complete() const;

    QLineEdit* operator[](protocol::Edit e) const { return edits[static_cast<std::size_t>(e)]; }
    QComboBox* operator[](protocol::Combo c) const { return combos[static_cast<std::size_t>(c)]; }
};

// Widgets to model: edit texts, combo index and item count, the server radio pair, the DNS
// box and the configuration mode.
protocol::PanelModel ReadPanel(const PanelWidgets& widgets);

// Model to widgets; item counts are the widgets' own and are not changed. Ticking or
// unticking the DNS box runs its handler through the box's toggled signal.
void WritePanel(const protocol::PanelModel& model, const PanelWidgets& widgets);

// Every edit emptied and every combo box left without a choice, in creation order; the
// device list, the check box and the radio buttons stay as they are.
void ClearParameterPanel(const PanelWidgets& widgets);

} // namespace ui
