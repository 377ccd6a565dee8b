#include "settings/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace settings {

namespace {

const QString kParams = QStringLiteral("Params");
const QString kLgType = QStringLiteral("LgType");
const QString kIsShow = QStringLiteral("IsShowMulNetCard");
const QString kServerIP = QStringLiteral("ServerIP");

// Permission bits do not tell (ACLs, read-only media), so try it.
bool canWriteIn(const QString& dir) {
    if (dir.isEmpty() || !QFileInfo(dir).isDir()) {
        return false;
    }
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral("SysCfg-XXXXXX.tmp")));
    return probe.open();
}

} // namespace

SettingsFolders DefaultSettingsFolders() {
    SettingsFolders folders;
    folders.executableDir = QCoreApplication::applicationDirPath();
    folders.configDir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
#ifdef Q_OS_WIN
    folders.rule = SettingsFolders::Rule::ExecutableFolderFirst;
#else
    folders.rule = SettingsFolders::Rule::PortableWhenPresent;
#endif
    return folders;
}

QString SettingsPath(const SettingsFolders& folders) {
    const QString fileName = QString::fromLatin1(kSettingsFileName);
    const QString besideExecutable = QDir(folders.executableDir).filePath(fileName);
    QString perUser = QDir(folders.configDir).filePath(fileName);
    switch (folders.rule) {
    case SettingsFolders::Rule::ExecutableFolderFirst:
        return canWriteIn(folders.executableDir) ? besideExecutable : perUser;
    case SettingsFolders::Rule::PortableWhenPresent:
        return QFileInfo(besideExecutable).isFile() ? besideExecutable : perUser;
    }
    return perUser;
}

QString SettingsPath() {
    return SettingsPath(DefaultSettingsFolders());
}

AppSettings ReadSettings(const IniFile& ini, const QString& localAddress) {
    const AppSettings defaults;
    AppSettings values;
    values.LgType = ini.readInt(kLgType, kLgType, defaults.LgType);
    values.DeviceType = ini.readString(kParams, QStringLiteral("DeviceType"), defaults.DeviceType);
    values.CardColor = ini.readInt(kParams, QStringLiteral("CardColor"), defaults.CardColor);
    values.DNS = ini.readString(kParams, QStringLiteral("DNS"), defaults.DNS);
    values.DomainName = ini.readString(kParams, QStringLiteral("DomainName"), defaults.DomainName);
    values.SearchTimes = ini.readInt(kParams, QStringLiteral("SearchTimes"), defaults.SearchTimes);
    values.ServerIP = ini.readString(kServerIP, kServerIP, localAddress);
    values.IsShowMulNetCard = ini.readBool(kIsShow, kIsShow, defaults.IsShowMulNetCard);
    values.DHCP = ini.readInt(kParams, QStringLiteral("DHCP"), defaults.DHCP);
    return values;
}

void WriteSettings(IniFile& ini, const AppSettings& values) {
    ini.setInt(kLgType, kLgType, values.LgType);
    ini.setValue(kParams, QStringLiteral("DeviceType"), values.DeviceType);
    ini.setInt(kParams, QStringLiteral("CardColor"), values.CardColor);
    ini.setInt(kParams, QStringLiteral("DHCP"), values.DHCP);
    ini.setInt(kParams, QStringLiteral("SearchTimes"), values.SearchTimes);
    ini.setBool(kIsShow, kIsShow, values.IsShowMulNetCard);
    ini.setValue(kServerIP, kServerIP, values.ServerIP);
}

SettingsStore::SettingsStore(QString path) : path_(std::move(path)) {}

AppSettings SettingsStore::load(const QString& localAddress) const {
    return ReadSettings(IniFile::load(path_).value_or(IniFile()), localAddress);
}

SaveResult SettingsStore::save(const AppSettings& values) const {
    // Someone may have edited the file by hand during the run; their lines stay. A file that is
    // there but cannot be read must not be replaced by our seven keys alone.
    const QFileInfo info(path_);
    if (std::optional<IniFile> ini = IniFile::load(path_)) {
        const QByteArray before = ini->toBytes();
        WriteSettings(*ini, values);
        // Nothing changed: leave the file alone, which also spares read-only installations.
        if (info.isFile() && ini->toBytes() == before) {
            return SaveResult::written();
        }
        QDir().mkpath(info.absolutePath());
        if (ini->save(path_)) {
            return SaveResult::written();
        }
    }
    return SaveResult::failed(QDir::toNativeSeparators(info.absoluteFilePath()));
}

} // namespace settings
