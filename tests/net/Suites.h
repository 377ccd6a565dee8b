#pragma once

class QObject;

namespace net::test {

QObject* MakeAdapterListTest();
QObject* MakeChoiceDialogTest();
QObject* MakeAdapterChoiceTest();

} // namespace net::test
