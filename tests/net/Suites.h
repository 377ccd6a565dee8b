#pragma once

class QObject;

namespace net::test {

QObject* MakeAdapterListTest();
QObject* MakeAdapterDialogTest();
QObject* MakeAdapterChoiceTest();

} // namespace net::test
