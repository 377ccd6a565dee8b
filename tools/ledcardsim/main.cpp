// ledcardsim: LED controller cards on UDP port 8800, for tests, demos and load tests.

#include "Options.h"
#include "Simulator.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ledcardsim"));
    const cardsim::ParsedOptions parsed = cardsim::parseOptions(QCoreApplication::arguments());
    if (parsed.help) {
        std::fputs(qPrintable(parsed.helpText), stdout);
        return 0;
    }
    if (!parsed.error.isEmpty()) {
        std::fprintf(stderr, "ledcardsim: %s\n%s", qPrintable(parsed.error),
                     qPrintable(parsed.helpText));
        return 2;
    }
    QFile report;
    const bool opened = parsed.options.report.isEmpty()
                            ? report.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered)
                            : (report.setFileName(parsed.options.report),
                               report.open(QIODevice::WriteOnly | QIODevice::Truncate));
    if (!opened) {
        std::fprintf(stderr, "ledcardsim: cannot write the report: %s\n",
                     qPrintable(report.errorString()));
        return 2;
    }
    cardsim::Simulator simulator(parsed.options, report);
    QString error;
    if (!simulator.start(&error)) {
        std::fprintf(stderr, "ledcardsim: cannot listen: %s\n", qPrintable(error));
        return 1;
    }
    return QCoreApplication::exec();
}
