#pragma once
// The program entry: one running copy, the main window, the message loop.

#include "ui/MainWindow.h"

#include <QLocale>
#include <QString>
#include <functional>

namespace ui {

// Shown by a copy started while another runs; fixed, not from a catalogue.
inline constexpr char kAlreadyRunningText[] = "显示屏控制卡参数配置程序已运行！";

struct EntryOptions {
    QString lockFolder; // empty: the per-user default
    QLocale userLocale = QLocale::system();
    // Called once the main window exists, before the loop runs.
    std::function<void(MainWindow&)> mainWindowCreated;
    // The endpoint, the local-address lookup and the adapter dialog; the real ones by default.
    MainWindow::NetworkHooks network;
    // Shows the window and runs the message loop; by default QApplication::exec, with the
    // network end of the start-up after the first paint (MainWindow::setNetworkAfterFirstPaint).
    std::function<int(MainWindow&)> runLoop;
};

// Needs a QApplication. Returns the loop's exit code, or 0 for a refused second copy.
int RunProgram(const EntryOptions& options = {});

} // namespace ui
