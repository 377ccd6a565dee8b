// SysCfg.ini as anyone may leave it: read the nine values, write the seven back, read again.
// The seven come back exactly as written, lines that are none of theirs keep their bytes, and
// a file is written back unchanged when nothing in it changes.

#include "settings/IniFile.h"
#include "settings/SettingsStore.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// The file before and after the write, shown with a broken promise.
QByteArray g_before, g_after;

// Names the broken promise before stopping, so a finding explains itself.
#define require(ok) requireAt((ok), #ok, __LINE__)
void requireAt(bool ok, const char* what, int line) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_settings.cpp:%d: %s\nbefore: %s\nafter:  %s\n", line, what,
                     g_before.toPercentEncoding(" []=;#").constData(),
                     g_after.toPercentEncoding(" []=;#").constData());
        std::abort();
    }
}

const std::array<const char*, 7> kWrittenKeys = {
    "LgType", "DeviceType", "CardColor", "DHCP", "SearchTimes", "IsShowMulNetCard", "ServerIP"};
const std::array<const char*, 4> kSections = {"LgType", "Params", "IsShowMulNetCard", "ServerIP"};

struct Line {
    QByteArray text;
    QByteArray terminator;
};

// Lines as the Windows profile functions see them: ended by CR LF, LF or a lone CR.
QList<Line> splitLines(QByteArray bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes.remove(0, 3);
    }
    QList<Line> lines;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype end = pos;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r') {
            ++end;
        }
        qsizetype next = end;
        if (next < bytes.size()) {
            next +=
                (bytes[end] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n') ? 2 : 1;
        }
        lines.append({bytes.mid(pos, end - pos), bytes.mid(end, next - end)});
        pos = next;
    }
    return lines;
}

QString blanksTrimmed(const QString& text) {
    qsizetype b = 0, e = text.size();
    while (b < e && (text[b] == u' ' || text[b] == u'\t')) {
        ++b;
    }
    while (e > b && (text[e - 1] == u' ' || text[e - 1] == u'\t')) {
        --e;
    }
    return text.mid(b, e - b);
}

// A line the write may touch: a section header of ours or an entry of one of the seven keys,
// wherever it stands. Names are ASCII, so the ASCII-compatible reading of the line is enough.
bool writable(const QByteArray& raw) {
    const QString line = blanksTrimmed(QString::fromLatin1(raw));
    for (const char* section : kSections) {
        const QString header = QLatin1Char('[') + QLatin1String(section) + QLatin1Char(']');
        if (line.compare(header, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    const qsizetype equals = line.indexOf(u'=');
    if (equals <= 0) {
        return false;
    }
    const QString name = blanksTrimmed(line.left(equals));
    for (const char* key : kWrittenKeys) {
        if (name.compare(QLatin1String(key), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

void requireSameSeven(const settings::AppSettings& a, const settings::AppSettings& b) {
    require(a.LgType == b.LgType);
    require(a.DeviceType == b.DeviceType);
    require(a.CardColor == b.CardColor);
    require(a.DHCP == b.DHCP);
    require(a.SearchTimes == b.SearchTimes);
    require(a.IsShowMulNetCard == b.IsShowMulNetCard);
    require(a.ServerIP == b.ServerIP);
}

// Writes `values` into `ini` and checks what a later start would read from the result.
void writeAndReadBack(settings::IniFile& ini, const settings::AppSettings& values) {
    const QByteArray before = ini.toBytes();
    const settings::AppSettings old = settings::ReadSettings(ini, QStringLiteral("0.0.0.0"));
    settings::WriteSettings(ini, values);
    const QByteArray after = ini.toBytes();
    g_before = before;
    g_after = after;

    const settings::IniFile reread = settings::IniFile::fromBytes(after);
    const settings::AppSettings back = settings::ReadSettings(reread, QStringLiteral("0.0.0.0"));
    requireSameSeven(back, values);
    // The two keys only edited by hand are not written and keep what they were.
    require(back.DNS == old.DNS && back.DomainName == old.DomainName);

    // Nothing new to say: not one byte changes.
    settings::IniFile again = reread;
    settings::WriteSettings(again, values);
    require(again.toBytes() == after);

    // Every other line stays, in order, byte for byte.
    const QList<Line> in = splitLines(before);
    const QList<Line> out = splitLines(after);
    QList<Line> keptIn, keptOut;
    for (const Line& l : in) {
        if (!writable(l.text)) {
            keptIn.append(l);
        }
    }
    for (const Line& l : out) {
        if (!writable(l.text)) {
            keptOut.append(l);
        }
    }
    require(keptIn.size() == keptOut.size());
    require(out.size() - keptOut.size() >= in.size() - keptIn.size());
    for (qsizetype i = 0; i < keptIn.size(); ++i) {
        require(keptIn[i].text == keptOut[i].text);
        // Only the file's last line may gain a line end, when something follows it.
        require(keptIn[i].terminator == keptOut[i].terminator ||
                (keptIn[i].terminator.isEmpty() && i == keptIn.size() - 1));
    }
}

} // namespace

// Qt is built without frame pointers, so AddressSanitizer's fast unwinder walks into garbage
// past the first frames inside it; every such stack is new to its stack record, which then
// grows by gigabytes over a long run until the memory limit stops the fuzzer. Two frames keep
// it flat and still name the allocation site in a report.
extern "C" const char* __asan_default_options() {
    return "malloc_context_size=2";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    settings::IniFile ini = settings::IniFile::fromBytes(bytes);
    // Reading keeps every byte of the file.
    require(ini.toBytes() == bytes);

    const settings::AppSettings read = settings::ReadSettings(ini, QStringLiteral("192.168.1.5"));

    // The values of a run: what was read, with the changes the tool itself makes, and with
    // texts a file can hold in the text keys.
    settings::AppSettings values = read;
    const unsigned sel = size > 0 ? data[size - 1] : 0u;
    if (sel & 1) {
        values.LgType = values.LgType == 2 ? 0 : 2;
    }
    if (sel & 2) {
        values.IsShowMulNetCard = !values.IsShowMulNetCard;
    }
    if (sel & 4) {
        values.ServerIP = read.DNS;
    }
    if (sel & 8) {
        values.DeviceType = read.DomainName;
    }
    if (sel & 16) {
        values.SearchTimes = read.CardColor;
        values.CardColor = read.SearchTimes;
    }

    // Into the file as it was, and into a file that has gone since the start.
    writeAndReadBack(ini, values);
    settings::IniFile fresh;
    writeAndReadBack(fresh, values);
    return 0;
}
