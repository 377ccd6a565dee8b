// A second process for the single-instance tests.
//   ui_instance_probe run FOLDER    the program entry; prints each message, exit 3 when refused
//   ui_instance_probe crash FOLDER  takes the lock and dies without releasing it

#include "support/FakeEndpoint.h"
#include "support/RecordingMessageBoxes.h"
#include "ui/Program.h"
#include "ui/SingleInstance.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3) {
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[2]);
    if (std::strcmp(argv[1], "crash") == 0) {
        ui::SingleInstance guard(folder);
        const bool locked = guard.tryAcquire() && guard.held();
        std::printf("%s\n", locked ? "locked" : "not locked");
        std::fflush(stdout);
        _exit(locked ? 0 : 1);
    }
    testsupport::RecordingMessageBoxes boxes;
    platform::ScopedMessageBoxes scoped(boxes);
    bool created = false;
    ui::EntryOptions options;
    options.lockFolder = folder;
    // No socket and no host-name lookup: the probe also runs outside a network namespace.
    testsupport::FakeEndpoint endpoint;
    options.network.endpoint = &endpoint;
    options.network.lookupLocalAddress = [] { return QStringLiteral("192.168.1.10"); };
    options.network.showAdapterDialog = [](net::AdapterDialog&) {};
    options.mainWindowCreated = [&created](ui::MainWindow&) { created = true; };
    options.runLoop = [](ui::MainWindow&) { return 0; };
    const int code = ui::RunProgram(options);
    for (const QString& text : boxes.texts) {
        std::printf("%s\n", text.toUtf8().constData());
    }
    if (!created) {
        return 3;
    }
    return code;
}
