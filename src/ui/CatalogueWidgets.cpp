#include "ui/CatalogueWidgets.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>

namespace ui {

namespace {

QString MenuCaption(const lang::TLanguage& catalogue, const QString& name) {
    return SectionText(catalogue, lang::Section::Menus, name.toStdString());
}

void Relabel(QAction* action, const lang::TLanguage& catalogue) {
    if (QMenu* menu = action->menu()) {
        menu->setTitle(MenuCaption(catalogue, menu->objectName()));
    } else {
        action->setText(MenuCaption(catalogue, action->objectName()));
    }
}

} // namespace

QString SectionText(const lang::TLanguage& catalogue, lang::Section section, std::string_view key) {
    for (const auto& entry : catalogue.SectionEntries(section)) {
        if (entry.key == key) {
            return Utf8(entry.text);
        }
    }
    return {};
}

void SetComboItems(QComboBox* combo, const QString& text) {
    combo->clear();
    combo->addItems(text.split(QLatin1Char(',')));
    combo->setCurrentIndex(-1);
}

void ApplyColumnCaptions(QAbstractItemView* list, const lang::TLanguage* catalogue) {
    if (catalogue == nullptr) {
        catalogue = lang::GlobalCatalogues().current();
    }
    if (catalogue == nullptr || list->model() == nullptr) {
        return;
    }
    auto* table = qobject_cast<QTableWidget*>(list);
    QAbstractItemModel* model = list->model();
    for (int c = 0; c < model->columnCount(); ++c) {
        const QString caption =
            Utf8(catalogue->TextAt(lang::Section::DeviceColumns, static_cast<std::size_t>(c)));
        // A table widget keeps its captions in header items, made on demand.
        if (table != nullptr && table->horizontalHeaderItem(c) == nullptr) {
            table->setHorizontalHeaderItem(c, new QTableWidgetItem(caption));
        } else {
            model->setHeaderData(c, Qt::Horizontal, caption);
        }
    }
}

void RelabelMenuBar(QMenuBar* menuBar, const lang::TLanguage& catalogue) {
    for (QAction* top : menuBar->actions()) {
        Relabel(top, catalogue);
        QMenu* menu = top->menu();
        if (menu == nullptr) {
            continue;
        }
        for (QAction* item : menu->actions()) {
            if (item->text() == QLatin1String("-")) {
                continue;
            }
            Relabel(item, catalogue);
            if (QMenu* sub = item->menu()) {
                for (QAction* subItem : sub->actions()) {
                    Relabel(subItem, catalogue);
                }
            }
        }
    }
}

} // namespace ui
