#pragma once
// The tool side of the bed as the main window's adapter list sees it.

#include "NetBed.h"
#include "lang/Catalogue.h"
#include "net/AdapterList.h"
#include "ui/MainWindow.h"

#include <QLocale>
#include <memory>

namespace testbed {

// The veth with the tool's address: the one adapter the window may choose in the bed.
inline net::InterfaceRecord ToolVeth(const NetBed& bed) {
    return {QStringLiteral("veth"),
            QByteArray::fromHex("024c43000001"),
            QNetworkInterface::IsUp | QNetworkInterface::IsRunning,
            {{bed.toolAddress(), QStringLiteral("255.255.255.0")}}};
}

// The main window shown on the tool side in English, bound to the tool's address, searching
// for `searchTimes` seconds; no adapter dialog.
inline std::unique_ptr<ui::MainWindow> ShowEnglishWindow(const NetBed& bed, int searchTimes) {
    lang::ResetGlobalCatalogues();
    ui::MainWindow::NetworkHooks hooks;
    hooks.lookupLocalAddress = [&bed] { return bed.toolAddress(); };
    hooks.showAdapterDialog = [](net::AdapterDialog&) {};
    auto w = std::make_unique<ui::MainWindow>(nullptr, hooks);
    w->setUserLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    w->setSettingsHooks({[searchTimes](settings::AppSettings& values) {
                             values.LgType = 2;
                             values.SearchTimes = searchTimes;
                         },
                         {}});
    w->show();
    return w;
}

} // namespace testbed
