// ledcardctl: search, read, write and configure many LED controller cards from the command line.

#include "ctl/Program.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ledcardctl"));
    return ctl::RunProgram(QCoreApplication::arguments().mid(1));
}
