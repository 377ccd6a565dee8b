#include "ui/PanelBinding.h"

#include "ui/RadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

namespace ui {

namespace {

template <typename T> T* FindNamed(QWidget* root, std::string_view name) {
    return root->findChild<T*>(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
}

} // namespace

PanelWidgets PanelWidgets::Find(QWidget* root) {
    PanelWidgets w;
    for (std::size_t i = 0; i < protocol::EditCount; ++i) {
        w.edits[i] = FindNamed<QLineEdit>(root, protocol::EditName(static_cast<protocol::Edit>(i)));
    }
    for (std::size_t i = 0; i < protocol::ComboCount; ++i) {
        w.combos[i] =
            FindNamed<QComboBox>(root, protocol::ComboName(static_cast<protocol::Combo>(i)));
    }
    w.serverIp = FindNamed<QRadioButton>(root, "rBtnServerIP");
    w.serverDomain = FindNamed<QRadioButton>(root, "rBtnServerDomain");
    w.dnsManual = FindNamed<QCheckBox>(root, "cbDNSAddr");
    w.cfgMode = FindNamed<TRadioGroup>(root, "rGCfg");
    return w;
}

bool PanelWidgets::complete() const {
    for (auto* e : edits) {
        if (e == nullptr) {
            return false;
        }
    }
    for (auto* c : combos) {
        if (c == nullptr) {
            return false;
        }
    }
    return serverIp && serverDomain && dnsManual && cfgMode;
}

protocol::PanelModel ReadPanel(const PanelWidgets& widgets) {
    protocol::PanelModel model;
    for (std::size_t i = 0; i < protocol::EditCount; ++i) {
        model.edits[i] = widgets.edits[i]->text().toStdString();
    }
    for (std::size_t i = 0; i < protocol::ComboCount; ++i) {
        model.combos[i] = {widgets.combos[i]->currentIndex(), widgets.combos[i]->count()};
    }
    model.serverByDomain = widgets.serverDomain->isChecked();
    model.dnsManual = widgets.dnsManual->isChecked();
    model.cfgMode = widgets.cfgMode->itemIndex();
    return model;
}

void WritePanel(const protocol::PanelModel& model, const PanelWidgets& widgets) {
    for (std::size_t i = 0; i < protocol::EditCount; ++i) {
        widgets.edits[i]->setText(QString::fromStdString(model.edits[i]));
    }
    for (std::size_t i = 0; i < protocol::ComboCount; ++i) {
        QComboBox* combo = widgets.combos[i];
        const int index = model.combos[i].index;
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    }
    (model.serverByDomain ? widgets.serverDomain : widgets.serverIp)->setChecked(true);
    // The group first: the box decides the DNS row last, as a reply does.
    widgets.cfgMode->setItemIndex(model.cfgMode);
    widgets.dnsManual->setChecked(model.dnsManual);
}

void ClearParameterPanel(const PanelWidgets& widgets) {
    for (const auto& component : protocol::CreationOrder()) {
        if (component.kind == protocol::PanelComponent::Kind::Edit) {
            widgets[component.edit()]->clear();
        } else {
            widgets[component.combo()]->setCurrentIndex(-1);
        }
    }
}

} // namespace ui
