#pragma once
// Where "SysCfg.ini" lives, and the nine values read from it and the seven written back.

#include "ui/settings/AppSettings.h"
#include "ui/settings/IniFile.h"

#include <QString>

class QWidget;

namespace settings {

inline constexpr char kSettingsFileName[] = "SysCfg.ini";

struct SettingsFolders {
    enum class Rule {
        // Windows: the executable's folder unless it cannot be written.
        ExecutableFolderFirst,
        // Elsewhere: the executable's folder only when it already holds the file (portable use).
        PortableWhenPresent,
    };
    QString executableDir;
    QString configDir; // per-user configuration folder; may not exist yet
    Rule rule = Rule::PortableWhenPresent;
};

// The folders of this run: the executable's, QStandardPaths::AppConfigLocation and the
// platform's rule. Needs the QCoreApplication.
SettingsFolders DefaultSettingsFolders();

// The full path of "SysCfg.ini"; reading and writing use the same one.
QString SettingsPath(const SettingsFolders& folders);
QString SettingsPath();

// Reads LgType, DeviceType, CardColor, DNS, DomainName, SearchTimes, ServerIP (defaulting to
// `localAddress`), IsShowMulNetCard and DHCP.
AppSettings ReadSettings(const IniFile& ini, const QString& localAddress);

// Sets LgType, DeviceType, CardColor, DHCP, SearchTimes, IsShowMulNetCard and ServerIP, in that
// order. DNS and DomainName are only ever edited by hand.
void WriteSettings(IniFile& ini, const AppSettings& values);

class SettingsStore {
public:
    explicit SettingsStore(QString path);

    const QString& path() const { return path_; }

    // A missing or unreadable file gives the defaults, without a message.
    AppSettings load(const QString& localAddress) const;

    // Writes the seven keys into the file as it stands now, all or nothing. On failure the
    // operator is told "Unable to write to PATH." and false comes back; the old file is intact.
    bool save(const AppSettings& values, QWidget* parent = nullptr) const;

private:
    QString path_;
};

} // namespace settings
