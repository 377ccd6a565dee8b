// The yardstick for start-up time and memory: the smallest Qt Widgets program with a window,
// built with the same compiler and flags as the tool.

#include <QApplication>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("baseline"));
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QPushButton(QStringLiteral("OK")));
    window.resize(200, 80);
    window.show();
    return QApplication::exec();
}
