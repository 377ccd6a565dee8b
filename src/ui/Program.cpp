#include "ui/Program.h"

#include "platform/MessageBox.h"
#include "settings/SettingsStore.h"
#include "ui/MainWindow.h"
#include "ui/SingleInstance.h"

#include <QApplication>

#ifdef Q_OS_WIN
#include <QAbstractNativeEventFilter>
#include <windows.h>
#else
#include "platform/SignalPipe.h"

#include <csignal>
#endif

namespace ui {

namespace {

#ifdef Q_OS_WIN

// Windows ends the process soon after the session-end message, without unwinding: the
// settings are written while the message is handled.
class SessionEnd final : public QAbstractNativeEventFilter {
public:
    SessionEnd() { QCoreApplication::instance()->installNativeEventFilter(this); }
    ~SessionEnd() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
    SessionEnd(const SessionEnd&) = delete;
    SessionEnd& operator=(const SessionEnd&) = delete;

    void setWindow(MainWindow* window) { window_ = window; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        const auto* msg = static_cast<const MSG*>(message);
        // Every top-level window gets the message; once is enough.
        if (eventType == "windows_generic_MSG" && msg->message == WM_ENDSESSION && msg->wParam &&
            window_ && !written_) {
            written_ = true;
            window_->writeSettingsNow();
        }
        return false; // Qt still sees it
    }

private:
    MainWindow* window_ = nullptr;
    bool written_ = false;
};

#else

// Logout, shutdown, kill or a closed terminal send SIGTERM or SIGHUP, Ctrl+C in the terminal
// that started the window SIGINT. The run then ends as if the window were closed: the loops
// return and the window's end writes the settings.
class SessionEnd {
public:
    void setWindow(MainWindow*) {} // the window's own end writes the settings

private:
    // Every loop, a modal dialog's too, so nothing holds the end back.
    platform::SignalPipe pipe_{{SIGTERM, SIGHUP, SIGINT},
                               platform::SignalPipe::Repeat::Handled,
                               [] { QCoreApplication::exit(0); }};
};

#endif

} // namespace

int RunProgram(const EntryOptions& options) {
    // Checked before any window exists, so a refused copy never touches settings or network.
    SingleInstance guard(options.lockFolder);
    if (!guard.tryAcquire()) {
        platform::inform(nullptr, QString::fromUtf8(kAlreadyRunningText));
        return 0;
    }

    // Declared first: the window writes the settings while it is destroyed.
    const settings::SettingsStore store(settings::SettingsPath());
    // Before the window too: a signal during its end must not cut the writing short.
    SessionEnd sessionEnd;
    MainWindow mainWindow(nullptr, options.network);
    mainWindow.setUserLocale(options.userLocale);
    mainWindow.setSettingsHooks(
        {[&store, &mainWindow](settings::AppSettings& values) {
             values = store.load(mainWindow.LocalAddress);
         },
         [&store, &mainWindow](const settings::AppSettings& values) {
             if (const settings::SaveResult saved = store.save(values); !saved) {
                 platform::error(&mainWindow,
                                 QStringLiteral("Unable to write to %1.").arg(saved.failedPath()));
             }
         }});
    sessionEnd.setWindow(&mainWindow);
    if (options.mainWindowCreated) {
        options.mainWindowCreated(mainWindow);
    }
    int code = 0;
    if (options.runLoop) {
        code = options.runLoop(mainWindow);
    } else {
        // The operator sees the window before the adapters are looked at and the endpoint
        // bound.
        mainWindow.setNetworkAfterFirstPaint(true);
        mainWindow.show();
        code = QApplication::exec();
    }
    sessionEnd.setWindow(nullptr); // from here the window's destruction writes the settings
    return code;
}

} // namespace ui
