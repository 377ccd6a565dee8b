#pragma once
// "SysCfg.ini" read and written line by line, as the Windows profile functions treat an INI
// file, so a file edited by hand or brought from another PC keeps every byte we do not change.

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace settings {

class IniFile {
public:
    // GetPrivateProfileString fills a 2048-byte buffer: 2047 characters and the terminator.
    static constexpr int kMaxValueLength = 2047;

    IniFile() = default;
    // Takes the raw file contents; never fails, unreadable lines are kept as they are.
    static IniFile fromBytes(const QByteArray& bytes);
    // A missing file gives an empty IniFile; one that exists but cannot be read gives nothing.
    static std::optional<IniFile> load(const QString& path);

    // The trimmed value, without one pair of enclosing quotes, cut at kMaxValueLength.
    // Names match without regard to case; the first matching section and key win.
    std::optional<QString> value(const QString& section, const QString& key) const;
    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue) const;
    // Decimal with an optional sign, or "0x"/"0X" and hex digits (32-bit, wrapping, so
    // "0xFFFFFFFF" reads as -1). Anything else, "12abc" and "0x" included, gives the default.
    int readInt(const QString& section, const QString& key, int defaultValue) const;
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;

    // Changes the key in place, or adds it at the end of its section, or adds the section at the
    // end of the file. A line whose value already reads as `value` is left untouched.
    void setValue(const QString& section, const QString& key, const QString& value);
    void setInt(const QString& section, const QString& key, int value);
    void setBool(const QString& section, const QString& key, bool value);

    QByteArray toBytes() const;
    // Replaces the file atomically; false (old file intact) when it cannot be written.
    bool save(const QString& path) const;

    // Parses a whole value as an integer the way readInt does.
    static std::optional<int> parseInt(const QString& text);

private:
    enum class Kind { Other, Section, Entry };
    struct Line {
        QByteArray raw;        // without the line terminator
        QByteArray terminator; // "\r\n", "\n", "\r" or empty on the last line
        Kind kind = Kind::Other;
        QString name;  // section or key name, trimmed
        QString value; // as value() reports it
    };

    static Line parseLine(QByteArray raw, QByteArray terminator);
    // Index of the first header line of the section, or -1.
    int findSection(const QString& section) const;
    int findEntry(int sectionLine, const QString& key) const;
    QByteArray newLineTerminator() const;

    QByteArray bom_;
    std::vector<Line> lines_;
};

} // namespace settings
