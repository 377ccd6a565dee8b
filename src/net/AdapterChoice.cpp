#include "net/AdapterChoice.h"

#include "platform/Clock.h"

#include <QCheckBox>

namespace net {

void ExecModal(AdapterDialog& dialog) {
    dialog.exec();
}

bool ChooseAdapter(AdapterDialog& dialog, const QList<TAdapterInfo>& list, QString& localAddress,
                   bool& isShowMulNetCard, const ShowModal& showModal) {
    if (list.size() <= 1) {
        return false;
    }
    dialog.FillAdapters(list, localAddress);
    showModal(dialog);
    isShowMulNetCard = !dialog.cbNotShow()->isChecked();
    // The dialog cannot close without a row, so this is empty only if it was torn down.
    if (!dialog.ChosenAddress().isEmpty()) {
        localAddress = dialog.ChosenAddress();
    }
    return true;
}

void NetworkMenuCommand(AdapterDialog& dialog, QString& localAddress, bool& isShowMulNetCard,
                        const std::function<void(const QString&)>& bindLocalAddress,
                        const ShowModal& showModal) {
    const QList<TAdapterInfo> list = EnumerateAdapters(dialog.parentWidget());
    ChooseAdapter(dialog, list, localAddress, isShowMulNetCard, showModal);
    bindLocalAddress(localAddress);
}

void StartupAdapterStep(AdapterDialog& dialog, QString& localAddress, bool& isShowMulNetCard,
                        const std::function<QString()>& lookupLocalAddress,
                        const ShowModal& showModal) {
    const QList<TAdapterInfo> list = EnumerateAdapters(dialog.parentWidget());
    if (list.size() > 1) {
        if (isShowMulNetCard) {
            ChooseAdapter(dialog, list, localAddress, isShowMulNetCard, showModal);
        }
        return;
    }
    localAddress = lookupLocalAddress();
}

QString RetryLoopbackAddress(QString address, const std::function<QString()>& lookupLocalAddress) {
    const QString loopback = QString::fromLatin1(kLoopbackAddress);
    for (int lookups = 0; address == loopback && lookups < kLoopbackLookups;) {
        address = lookupLocalAddress();
        ++lookups;
        // A good address is used at once; only a loopback answer is worth waiting for again.
        if (address == loopback && lookups < kLoopbackLookups) {
            platform::clock().sleepMs(kLoopbackWaitMs);
        }
    }
    return address;
}

} // namespace net
