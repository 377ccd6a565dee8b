#include "ui/Project1.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ledcardcfg"));
    return ui::Project1();
}
