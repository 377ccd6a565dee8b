#include "settings/SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <cstdint>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace settings {
namespace {

const QString kLocal = QStringLiteral("192.168.1.5");

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString path() const { return dir_.filePath(QStringLiteral("SysCfg.ini")); }
    void writeFile(const QByteArray& bytes) const { WriteBytes(path(), bytes); }
    QByteArray readFile() const { return ReadBytes(path()); }

    static void WriteBytes(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    static QByteArray ReadBytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    AppSettings load() const { return SettingsStore(path()).load(kLocal); }
    SaveResult save(const AppSettings& values) const { return SettingsStore(path()).save(values); }

    QTemporaryDir dir_;
};

// --- Reading ---

TEST_F(SettingsFileTest, MissingFileGivesTheDefaults) {
    const AppSettings values = load();
    EXPECT_EQ(values.LgType, 0);
    EXPECT_EQ(values.DeviceType, QString());
    EXPECT_EQ(values.CardColor, 3);
    EXPECT_EQ(values.DNS, QString());
    EXPECT_EQ(values.DomainName, QString());
    EXPECT_EQ(values.SearchTimes, 20);
    EXPECT_EQ(values.ServerIP, kLocal);
    EXPECT_TRUE(values.IsShowMulNetCard);
    EXPECT_EQ(values.DHCP, 0);
}

TEST_F(SettingsFileTest, ReadsEveryKeyFromItsSection) {
    writeFile("[LgType]\r\nLgType=2\r\n"
              "[Params]\r\nDeviceType=T8\r\nCardColor=2\r\nDNS=8.8.4.4\r\nDomainName=x.example\r\n"
              "SearchTimes=5\r\nDHCP=1\r\n"
              "[IsShowMulNetCard]\r\nIsShowMulNetCard=0\r\n"
              "[ServerIP]\r\nServerIP=10.0.0.7\r\n");
    const AppSettings values = load();
    EXPECT_EQ(values.LgType, 2);
    EXPECT_EQ(values.DeviceType, QStringLiteral("T8"));
    EXPECT_EQ(values.CardColor, 2);
    EXPECT_EQ(values.DNS, QStringLiteral("8.8.4.4"));
    EXPECT_EQ(values.DomainName, QStringLiteral("x.example"));
    EXPECT_EQ(values.SearchTimes, 5);
    EXPECT_EQ(values.ServerIP, QStringLiteral("10.0.0.7"));
    EXPECT_FALSE(values.IsShowMulNetCard);
    EXPECT_EQ(values.DHCP, 1);
}

TEST_F(SettingsFileTest, KeysInTheWrongSectionDoNotCount) {
    // CardColor belongs in Params; ServerIP in its own section.
    writeFile("[LgType]\nCardColor=2\nServerIP=1.2.3.4\n[params]\ncardcolor=1\n");
    const AppSettings values = load();
    EXPECT_EQ(values.CardColor, 1);
    EXPECT_EQ(values.ServerIP, kLocal);
}

TEST_F(SettingsFileTest, SearchTimesInHexOrLetters) {
    writeFile("[Params]\nSearchTimes=0x14\n");
    EXPECT_EQ(load().SearchTimes, 20);
    writeFile("[Params]\nSearchTimes=lots\n");
    EXPECT_EQ(load().SearchTimes, 20);
    writeFile("[Params]\nSearchTimes=0x05\n");
    EXPECT_EQ(load().SearchTimes, 5);
}

TEST_F(SettingsFileTest, GarbageReadsAsDefaultsQuickly) {
    // 10 MB of pseudo-random bytes, newlines, brackets and equals signs included.
    QByteArray garbage(10 * 1024 * 1024, '\0');
    std::uint32_t state = 12345;
    for (char& c : garbage) {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
    }
    writeFile(garbage);
    QElapsedTimer timer;
    timer.start();
    const AppSettings values = load();
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(values.SearchTimes, 20);
    EXPECT_EQ(values.CardColor, 3);
    EXPECT_EQ(values.ServerIP, kLocal);
    EXPECT_TRUE(values.IsShowMulNetCard);
}

// --- Writing ---

TEST_F(SettingsFileTest, FileFromScratchHoldsTheSevenKeysInOrder) {
    AppSettings values = load();
    values.DNS = QStringLiteral("8.8.8.8");
    values.DomainName = QStringLiteral("never.written");
    const SaveResult saved = save(values);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved.failedPath(), QString());
    EXPECT_EQ(readFile(), QByteArray("[LgType]\r\n"
                                     "LgType=0\r\n"
                                     "[Params]\r\n"
                                     "DeviceType=\r\n"
                                     "CardColor=3\r\n"
                                     "DHCP=0\r\n"
                                     "SearchTimes=20\r\n"
                                     "[IsShowMulNetCard]\r\n"
                                     "IsShowMulNetCard=1\r\n"
                                     "[ServerIP]\r\n"
                                     "ServerIP=192.168.1.5\r\n"));
}

TEST_F(SettingsFileTest, ReadThenWrittenBackLeavesAHandMadeFileAlone) {
    const QByteArray original("; settings of the workshop PC\r\n"
                              "[ServerIP]\r\n"
                              "ServerIP = 10.1.1.2   ; the card network\r\n"
                              "\r\n"
                              "[params]\r\n"
                              "devicetype=\xCF\xD4\xCA\xBE\r\n"
                              "cardcolor=2\r\n"
                              "DNS=10.0.0.1\r\n"
                              "DomainName=cards.example\r\n"
                              "SearchTimes=0x14\r\n"
                              "Vendor=keep me\r\n"
                              "\r\n"
                              "[Unknown]\r\n"
                              "# a comment\r\n"
                              "x=\xFF\xFE\r\n");
    writeFile(original);
    AppSettings values = load();
    EXPECT_EQ(values.CardColor, 2);
    EXPECT_EQ(values.SearchTimes, 20);
    EXPECT_EQ(values.ServerIP, QStringLiteral("10.1.1.2   ; the card network"));
    values.ServerIP = QStringLiteral("10.1.1.9");
    ASSERT_TRUE(save(values));
    EXPECT_EQ(readFile(), QByteArray("; settings of the workshop PC\r\n"
                                     "[ServerIP]\r\n"
                                     "ServerIP=10.1.1.9\r\n"
                                     "\r\n"
                                     "[params]\r\n"
                                     "devicetype=\xCF\xD4\xCA\xBE\r\n"
                                     "cardcolor=2\r\n"
                                     "DNS=10.0.0.1\r\n"
                                     "DomainName=cards.example\r\n"
                                     "SearchTimes=20\r\n"
                                     "Vendor=keep me\r\n"
                                     "DHCP=0\r\n"
                                     "\r\n"
                                     "[Unknown]\r\n"
                                     "# a comment\r\n"
                                     "x=\xFF\xFE\r\n"
                                     "[LgType]\r\n"
                                     "LgType=0\r\n"
                                     "[IsShowMulNetCard]\r\n"
                                     "IsShowMulNetCard=1\r\n"));
    // Read again, the file gives what was saved.
    const AppSettings again = load();
    EXPECT_EQ(again.ServerIP, QStringLiteral("10.1.1.9"));
    EXPECT_EQ(again.CardColor, 2);
    EXPECT_EQ(again.DNS, QStringLiteral("10.0.0.1"));
}

TEST_F(SettingsFileTest, UnchangedValuesLeaveTheFileUntouched) {
    ASSERT_TRUE(save(load()));
    const QDateTime old = QDateTime::currentDateTimeUtc().addDays(-3);
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
    }
    AppSettings values = load();
    ASSERT_TRUE(save(values));
    EXPECT_EQ(QFileInfo(path()).lastModified().toSecsSinceEpoch(), old.toSecsSinceEpoch());
    values.SearchTimes = 30;
    ASSERT_TRUE(save(values));
    EXPECT_GT(QFileInfo(path()).lastModified().toSecsSinceEpoch(), old.toSecsSinceEpoch());
}

TEST_F(SettingsFileTest, LfFileStaysLf) {
    writeFile("[LgType]\nLgType=2\n");
    AppSettings values = load();
    values.IsShowMulNetCard = false;
    ASSERT_TRUE(save(values));
    EXPECT_EQ(readFile(), QByteArray("[LgType]\nLgType=2\n"
                                     "[Params]\nDeviceType=\nCardColor=3\nDHCP=0\nSearchTimes=20\n"
                                     "[IsShowMulNetCard]\nIsShowMulNetCard=0\n"
                                     "[ServerIP]\nServerIP=192.168.1.5\n"));
}

TEST_F(SettingsFileTest, PathThatIsAFolderCannotBeWritten) {
    ASSERT_TRUE(QDir().mkdir(path()));
    WriteBytes(path() + QStringLiteral("/inside.txt"), "kept");
    const SaveResult saved = save(load());
    EXPECT_FALSE(saved);
    EXPECT_EQ(saved.failedPath(), QDir::toNativeSeparators(path()));
    EXPECT_TRUE(QFileInfo(path()).isDir());
    EXPECT_EQ(ReadBytes(path() + QStringLiteral("/inside.txt")), QByteArray("kept"));
}

TEST_F(SettingsFileTest, FolderThatCannotBeCreatedGivesTheFullPath) {
    WriteBytes(dir_.filePath(QStringLiteral("plain")), "a file, not a folder");
    const QString impossible = dir_.filePath(QStringLiteral("plain/sub/SysCfg.ini"));
    const SaveResult saved = SettingsStore(impossible).save(AppSettings{});
    EXPECT_FALSE(saved);
    EXPECT_EQ(saved.failedPath(), QDir::toNativeSeparators(impossible));
    EXPECT_EQ(ReadBytes(dir_.filePath(QStringLiteral("plain"))),
              QByteArray("a file, not a folder"));
}

#ifndef _WIN32 // a file-size limit stands in for a full disk
TEST_F(SettingsFileTest, FullDiskKeepsTheOldFile) {
    const QByteArray original("[Params]\r\nCardColor=2\r\n; padding so the file is not tiny\r\n");
    writeFile(original);
    AppSettings values = load();
    values.LgType = 2;

    // A file-size limit makes every write past it fail, as a full disk would, even for root.
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = static_cast<rlim_t>(original.size());
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const SaveResult saved = save(values);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(saved.failedPath(), QDir::toNativeSeparators(path()));
    EXPECT_EQ(readFile(), original);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("SysCfg.ini")});
}
#endif

// --- Where the file lives ---

class SettingsPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root_.isValid());
        ASSERT_TRUE(QDir(root_.path()).mkdir(QStringLiteral("bin")));
        folders_.executableDir = root_.filePath(QStringLiteral("bin"));
        folders_.configDir = root_.filePath(QStringLiteral("config/ledcardcfg"));
    }
    QString besideExecutable() const {
        return folders_.executableDir + QStringLiteral("/SysCfg.ini");
    }
    QString perUser() const { return folders_.configDir + QStringLiteral("/SysCfg.ini"); }

    QTemporaryDir root_;
    SettingsFolders folders_;
};

TEST_F(SettingsPathTest, PortableOnlyWhenTheFileIsBesideTheExecutable) {
    folders_.rule = SettingsFolders::Rule::PortableWhenPresent;
    EXPECT_EQ(SettingsPath(folders_), perUser());
    QFile file(besideExecutable());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(SettingsPath(folders_), besideExecutable());
}

TEST_F(SettingsPathTest, ExecutableFolderUnlessItCannotBeWritten) {
    folders_.rule = SettingsFolders::Rule::ExecutableFolderFirst;
    EXPECT_EQ(SettingsPath(folders_), besideExecutable());
    EXPECT_EQ(QDir(folders_.executableDir).entryList(QDir::Files | QDir::Hidden), QStringList());

    QFile plain(root_.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    folders_.executableDir = root_.filePath(QStringLiteral("plain/bin"));
    EXPECT_EQ(SettingsPath(folders_), perUser());
}

TEST_F(SettingsPathTest, PerUserFolderIsCreatedOnWrite) {
    folders_.rule = SettingsFolders::Rule::PortableWhenPresent;
    const QString path = SettingsPath(folders_);
    ASSERT_TRUE(SettingsStore(path).save(AppSettings{}));
    EXPECT_TRUE(QFileInfo(perUser()).isFile());
    EXPECT_EQ(SettingsStore(path).load(kLocal).CardColor, 3);
}

} // namespace
} // namespace settings
