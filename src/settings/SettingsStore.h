#pragma once
// Where "SysCfg.ini" lives, and the nine values read from it and the seven written back.

#include "settings/AppSettings.h"
#include "settings/IniFile.h"

#include <QString>
#include <utility>

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

// How a save ended: written (or nothing to change), or the file that could not be written. The
// caller tells the operator; this module has no windows.
class [[nodiscard]] SaveResult {
public:
    static SaveResult written() { return SaveResult(); }
    static SaveResult failed(QString path) {
        SaveResult r;
        r.failedPath_ = std::move(path);
        return r;
    }
    bool ok() const { return failedPath_.isEmpty(); }
    explicit operator bool() const { return ok(); }
    // The file's absolute path in the platform's notation; empty when ok().
    const QString& failedPath() const { return failedPath_; }

private:
    QString failedPath_;
};

class SettingsStore {
public:
    explicit SettingsStore(QString path);

    const QString& path() const { return path_; }

    // A missing or unreadable file gives the defaults, without a message.
    AppSettings load(const QString& localAddress) const;

    // Writes the seven keys into the file as it stands now, all or nothing; on failure the old
    // file is intact.
    SaveResult save(const AppSettings& values) const;

private:
    QString path_;
};

} // namespace settings
