#include "Suites.h"

#include <QApplication>
#include <QTest>
#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failures = 0;
    for (auto make : {net::test::MakeAdapterListTest, net::test::MakeAdapterDialogTest,
                      net::test::MakeAdapterChoiceTest}) {
        std::unique_ptr<QObject> suite(make());
        failures += QTest::qExec(suite.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
