#pragma once
// The ledcardctl process: the settings the window reads, the address it binds, Ctrl+C, and one
// command run on Qt's event loop.

#include <QList>
#include <QNetworkInterface>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace ctl {

// The address the window would bind: with several adapter addresses the one saved in the
// settings (the choice of the adapter dialog; the lookup when none is saved), otherwise the
// host-name lookup; loopback is looked up again, as at the window's start.
QString WindowLocalAddress(const std::optional<QString>& savedAddress, int adapterAddresses,
                           const std::function<QString()>& lookup);
// Adapter addresses as the window's adapter list counts them: every IPv4 address of an
// interface that is not loopback, one for an interface that is up without one.
int AdapterAddressCount(const QList<QNetworkInterface>& interfaces);

// Runs the command line (without the program name) and returns the exit status. Needs a
// QCoreApplication.
int RunProgram(const QStringList& arguments);

} // namespace ctl
