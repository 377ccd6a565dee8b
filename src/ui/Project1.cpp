#include "ui/Project1.h"

#include "ui/SingleInstance.h"
#include "ui/Unit1.h"
#include "ui/seams/MessageBox.h"
#include "ui/settings/SettingsStore.h"

#include <QApplication>

namespace ui {

int Project1(const EntryOptions& options) {
    // Checked before any window exists, so a refused copy never touches settings or network.
    SingleInstance guard(options.lockFolder);
    if (!guard.tryAcquire()) {
        seams::inform(nullptr, QString::fromUtf8(kAlreadyRunningText));
        return 0;
    }

    // Declared first: the window writes the settings while it is destroyed.
    const settings::SettingsStore store(settings::SettingsPath());
    TForm1 mainWindow(nullptr, options.network);
    mainWindow.setUserLocale(options.userLocale);
    mainWindow.setSettingsHooks({[&store, &mainWindow](settings::AppSettings& values) {
                                     values = store.load(mainWindow.LocalAddress);
                                 },
                                 [&store, &mainWindow](const settings::AppSettings& values) {
                                     store.save(values, &mainWindow);
                                 }});
    if (options.mainWindowCreated) {
        options.mainWindowCreated(mainWindow);
    }
    if (options.runLoop) {
        return options.runLoop(mainWindow);
    }
    // The operator sees the window before the adapters are looked at and the endpoint bound.
    mainWindow.setNetworkAfterFirstPaint(true);
    mainWindow.show();
    return QApplication::exec();
}

} // namespace ui
