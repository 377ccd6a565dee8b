#pragma once
// Choosing the local address to bind to: from the network menu, at start-up, and the wait for
// an address other than loopback.

#include "net/AdapterDialog.h"
#include "net/AdapterList.h"

#include <QList>
#include <QString>
#include <functional>

namespace net {

// Shows the dialog modally and returns when it has closed. Tests script the operator here.
using ShowModal = std::function<void(AdapterDialog&)>;
void ExecModal(AdapterDialog& dialog);

// Lets the operator choose when `list` holds more than one entry: afterwards `isShowMulNetCard`
// is the negation of cbNotShow and `localAddress` the chosen address. True when it was shown.
bool ChooseAdapter(AdapterDialog& dialog, const QList<TAdapterInfo>& list, QString& localAddress,
                   bool& isShowMulNetCard, const ShowModal& showModal = ExecModal);

// The network menu command: always asks when there are several addresses, whatever
// isShowMulNetCard says, then binds again to `localAddress` in every case.
void NetworkMenuCommand(AdapterDialog& dialog, QString& localAddress, bool& isShowMulNetCard,
                        const std::function<void(const QString&)>& bindLocalAddress,
                        const ShowModal& showModal = ExecModal);

// The adapter step of the start-up: asks when there are several addresses and
// isShowMulNetCard allows it; with one address or none, takes lookupLocalAddress(); with
// several and the dialog switched off, keeps `localAddress` as read from the settings.
void StartupAdapterStep(AdapterDialog& dialog, QString& localAddress, bool& isShowMulNetCard,
                        const std::function<QString()>& lookupLocalAddress,
                        const ShowModal& showModal = ExecModal);

inline constexpr char kLoopbackAddress[] = "127.0.0.1";
inline constexpr int kLoopbackLookups = 7;
inline constexpr int kLoopbackWaitMs = 500;

// While the address is loopback, looks it up again, waiting kLoopbackWaitMs on platform::clock()
// between lookups: at most seven lookups and six waits. After the last the address is used
// whatever it is.
QString RetryLoopbackAddress(QString address, const std::function<QString()>& lookupLocalAddress);

} // namespace net
