#include "fleet/Profile.h"

#include "protocol/CardText.h"
#include "protocol/Encoding.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QString>
#include <algorithm>
#include <cmath>

namespace fleet {

namespace {

using protocol::Edit;

constexpr std::string_view kFormatKey = "format";
constexpr std::string_view kVersionKey = "version";
constexpr std::string_view kCardKey = "card";
constexpr std::string_view kParametersKey = "parameters";
constexpr std::string_view kTextKey = "text";
constexpr std::string_view kPositionKey = "position";

Refusal Refuse(Refusal::Reason reason, std::string_view key, std::string_view value = {},
               int limit = 0) {
    Refusal r;
    r.reason = reason;
    r.key = std::string(key);
    r.value = std::string(value);
    r.limit = limit;
    return r;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Entry texts carry layout blanks ("1/8  (A)", "Forced up "): compared without them and
// without case, so a typed "1/8 (a)" finds its entry.
std::string Normalised(std::string_view text) {
    std::string out;
    bool blank = false;
    for (const char c : text) {
        if (IsBlank(c)) {
            blank = !out.empty();
            continue;
        }
        if (blank) {
            out += ' ';
            blank = false;
        }
        out += Lower(c);
    }
    return out;
}

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int EntryCount(const Parameter& p) {
    return static_cast<int>(EntryTexts(p).size());
}

// A position given as digits; too many digits is out of range like any large number.
std::variant<int, Refusal> Position(const Parameter& p, std::string_view digits,
                                    std::string_view shown) {
    const auto n = protocol::ParseDecimal(digits);
    if (!n || *n >= static_cast<std::uint32_t>(EntryCount(p))) {
        return Refuse(Refusal::Reason::PositionOutOfRange, p.name, shown, EntryCount(p));
    }
    return static_cast<int>(*n);
}

// An entry's text first, so "5" on the RS-485 list is the address 5; then a position.
std::variant<int, Refusal> EntryFromText(const Parameter& p, std::string_view value) {
    const std::string wanted = Normalised(value);
    const auto& texts = EntryTexts(p);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (Normalised(texts[i]) == wanted) {
            return static_cast<int>(i);
        }
    }
    if (value.size() > 1 && value.front() == '#' && AllDigits(value.substr(1))) {
        return Position(p, value.substr(1), value);
    }
    if (AllDigits(value)) {
        return Position(p, value, value);
    }
    return Refuse(Refusal::Reason::UnknownValue, p.name, value);
}

std::optional<Refusal> CheckText(const Parameter& p, std::string_view value) {
    switch (p.kind) {
    case Kind::Number:
        // Empty as a cleared field is: the write refuses it, naming the parameter.
        if (!value.empty() && !AllDigits(value)) {
            return Refuse(Refusal::Reason::NotANumber, p.name, value);
        }
        break;
    case Kind::Address:
        if (!value.empty() && !ParseAddress(value)) {
            return Refuse(Refusal::Reason::BadAddress, p.name, value);
        }
        break;
    case Kind::Text:
    case Kind::List:
    case Kind::Choice:
        break;
    }
    return std::nullopt;
}

// A value given as text, as on the command line or as a JSON string.
std::variant<Setting, Refusal> SettingFromText(const Parameter& p, std::string_view value) {
    Setting s{&p, {}, -1};
    if (p.kind == Kind::List || p.kind == Kind::Choice) {
        auto entry = EntryFromText(p, value);
        if (auto* refusal = std::get_if<Refusal>(&entry)) {
            return *refusal;
        }
        s.position = std::get<int>(entry);
        return s;
    }
    if (auto refusal = CheckText(p, value)) {
        return *refusal;
    }
    s.text = std::string(value);
    return s;
}

std::string ToStd(const QString& text) {
    return text.toStdString();
}

// --- Writing ---------------------------------------------------------------------------------

// Numbers the way the window holds them: as a JSON number when that gives the same digits
// back, else as the text itself.
std::string JsonNumber(const std::string& text) {
    const bool canonical =
        AllDigits(text) && (text.size() == 1 || text.front() != '0') && text.size() <= 15;
    return canonical ? text : JsonString(text);
}

std::string JsonValue(const ParameterValue& v) {
    switch (v.parameter->kind) {
    case Kind::Number:
        return JsonNumber(v.text);
    case Kind::Address:
    case Kind::Text:
        return JsonString(v.text);
    case Kind::List:
    case Kind::Choice:
        break;
    }
    if (v.position < 0) {
        return "null";
    }
    return "{" + JsonString(kTextKey) + ": " + JsonString(v.text) + ", " +
           JsonString(kPositionKey) + ": " + std::to_string(v.position) + "}";
}

// The table is the order of application: a configuration mode before the DNS mode it resets.
std::vector<Setting> InTableOrder(std::vector<Setting> settings) {
    std::stable_sort(settings.begin(), settings.end(),
                     [](const Setting& a, const Setting& b) { return a.parameter < b.parameter; });
    return settings;
}

// --- Reading ---------------------------------------------------------------------------------

int LineAt(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    return 1 + static_cast<int>(
                   std::count(text.begin(), text.begin() + static_cast<long>(offset), '\n'));
}

// Where a key stands in the file: its first occurrence as a key, "name" followed by a colon.
// npos when it cannot be found (written with escapes, say).
std::size_t KeyOffset(std::string_view text, std::string_view key) {
    const std::string quoted = "\"" + std::string(key) + "\"";
    for (std::size_t at = text.find(quoted); at != std::string_view::npos;
         at = text.find(quoted, at + 1)) {
        std::size_t after = at + quoted.size();
        while (after < text.size() && (text[after] == ' ' || text[after] == '\t' ||
                                       text[after] == '\r' || text[after] == '\n')) {
            ++after;
        }
        if (after < text.size() && text[after] == ':') {
            return at;
        }
    }
    return std::string_view::npos;
}

class Reader {
public:
    Reader(std::string_view text, std::string_view file) : text_(text), file_(file) {}

    std::variant<Profile, Refusal> run() {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(
            QByteArray(text_.data(), static_cast<qsizetype>(text_.size())), &error);
        if (error.error != QJsonParseError::NoError) {
            Refusal r = Refuse(Refusal::Reason::NotJson, {});
            r.file = std::string(file_);
            r.line = LineAt(text_, static_cast<std::size_t>(std::max(error.offset, 0)));
            return r;
        }
        if (!doc.isObject()) {
            return fail(Refuse(Refusal::Reason::NotAProfile, {}));
        }
        const QJsonObject root = doc.object();
        if (root.value(Key(kFormatKey)).toString() != Key(kProfileFormat)) {
            return fail(Refuse(Refusal::Reason::NotAProfile, kFormatKey));
        }
        const QJsonValue version = root.value(Key(kVersionKey));
        if (!version.isDouble() || version.toDouble() != kProfileVersion) {
            return fail(Refuse(Refusal::Reason::UnsupportedVersion, kVersionKey,
                               ToStd(ValueText(version))));
        }
        for (auto it = root.begin(); it != root.end(); ++it) {
            const std::string key = ToStd(it.key());
            if (key != kFormatKey && key != kVersionKey && key != kCardKey &&
                key != kParametersKey) {
                return fail(Refuse(Refusal::Reason::UnknownKey, key));
            }
        }

        Profile profile;
        profile.file = std::string(file_);
        if (root.contains(Key(kCardKey))) {
            if (auto refusal = readCard(root.value(Key(kCardKey)), profile.card)) {
                return fail(*refusal);
            }
        }
        const QJsonValue parameters = root.value(Key(kParametersKey));
        if (!parameters.isObject()) {
            return fail(Refuse(Refusal::Reason::WrongShape, kParametersKey));
        }
        if (auto refusal = readParameters(parameters.toObject(), profile.settings)) {
            return fail(*refusal);
        }
        return profile;
    }

private:
    static QString Key(std::string_view key) {
        return QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
    }

    static QString ValueText(const QJsonValue& v) {
        if (v.isString()) {
            return v.toString();
        }
        if (v.isUndefined()) {
            return {};
        }
        // The value as it would stand in a file: wrap it in an array and drop the brackets.
        QByteArray json = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
        return QString::fromUtf8(json.mid(1, json.size() - 2));
    }

    Refusal fail(Refusal r) const {
        r.file = std::string(file_);
        if (!r.key.empty()) {
            const std::size_t at = KeyOffset(text_, r.key);
            r.line = at == std::string_view::npos ? 0 : LineAt(text_, at);
        }
        return r;
    }

    static std::optional<Refusal> readCard(const QJsonValue& value, CardIdentity& card) {
        if (!value.isObject()) {
            return Refuse(Refusal::Reason::WrongShape, kCardKey);
        }
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            const std::string key = ToStd(it.key());
            std::string* field = key == "mac"        ? &card.mac
                                 : key == "ip"       ? &card.ip
                                 : key == "firmware" ? &card.firmware
                                                     : nullptr;
            if (field == nullptr) {
                return Refuse(Refusal::Reason::UnknownKey, key);
            }
            if (!it.value().isString()) {
                return Refuse(Refusal::Reason::WrongShape, key);
            }
            *field = ToStd(it.value().toString());
        }
        return std::nullopt;
    }

    // In the order the file gives them, so a refusal names the first bad one the reader meets.
    std::optional<Refusal> readParameters(const QJsonObject& object,
                                          std::vector<Setting>& settings) const {
        std::vector<std::pair<std::size_t, QString>> keys;
        for (auto it = object.begin(); it != object.end(); ++it) {
            keys.emplace_back(KeyOffset(text_, ToStd(it.key())), it.key());
        }
        std::stable_sort(keys.begin(), keys.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [offset, key] : keys) {
            const std::string name = ToStd(key);
            const Parameter* p = FindParameter(name);
            if (p == nullptr) {
                return Refuse(Refusal::Reason::UnknownParameter, name);
            }
            auto setting = readValue(*p, object.value(key));
            if (auto* refusal = std::get_if<Refusal>(&setting)) {
                return *refusal;
            }
            settings.push_back(std::get<Setting>(setting));
        }
        settings = InTableOrder(std::move(settings));
        return std::nullopt;
    }

    static std::variant<Setting, Refusal> readValue(const Parameter& p, const QJsonValue& v) {
        if (p.kind == Kind::List || p.kind == Kind::Choice) {
            return readEntry(p, v);
        }
        if (v.isString()) {
            return SettingFromText(p, ToStd(v.toString()));
        }
        if (p.kind == Kind::Number && v.isDouble()) {
            const double d = v.toDouble();
            if (d < 0 || d != std::floor(d) || d > 1e15) {
                return Refuse(Refusal::Reason::NotANumber, p.name, ToStd(ValueText(v)));
            }
            return Setting{&p, std::to_string(static_cast<long long>(d)), -1};
        }
        return Refuse(Refusal::Reason::WrongShape, p.name);
    }

    // null for no choice, a position, a text, or the object this program writes.
    static std::variant<Setting, Refusal> readEntry(const Parameter& p, const QJsonValue& v) {
        const bool mayBeNone = p.kind == Kind::List || p.choice == ChoiceField::ConfigMode;
        if (v.isNull() && mayBeNone) {
            return Setting{&p, {}, -1};
        }
        if (v.isString()) {
            return SettingFromText(p, ToStd(v.toString()));
        }
        if (v.isDouble()) {
            return positionValue(p, v);
        }
        if (!v.isObject()) {
            return Refuse(Refusal::Reason::WrongShape, p.name);
        }
        const QJsonObject object = v.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (it.key() != Key(kTextKey) && it.key() != Key(kPositionKey)) {
                return Refuse(Refusal::Reason::UnknownKey, ToStd(it.key()));
            }
        }
        const QJsonValue text = object.value(Key(kTextKey));
        const QJsonValue position = object.value(Key(kPositionKey));
        if ((!text.isUndefined() && !text.isString()) ||
            (!position.isUndefined() && !position.isDouble()) ||
            (text.isUndefined() && position.isUndefined())) {
            return Refuse(Refusal::Reason::WrongShape, p.name);
        }
        std::optional<Setting> byPosition;
        if (!position.isUndefined()) {
            auto s = positionValue(p, position);
            if (auto* refusal = std::get_if<Refusal>(&s)) {
                return *refusal;
            }
            byPosition = std::get<Setting>(s);
        }
        if (text.isUndefined()) {
            return *byPosition;
        }
        // Both given: the text must be that position's entry, not merely some entry.
        const std::string wanted = ToStd(text.toString());
        const auto& texts = EntryTexts(p);
        if (byPosition) {
            const auto& entry = texts[static_cast<std::size_t>(byPosition->position)];
            if (Normalised(entry) != Normalised(wanted)) {
                return Refuse(Refusal::Reason::EntryMismatch, p.name, wanted, byPosition->position);
            }
            return *byPosition;
        }
        for (std::size_t i = 0; i < texts.size(); ++i) {
            if (Normalised(texts[i]) == Normalised(wanted)) {
                return Setting{&p, {}, static_cast<int>(i)};
            }
        }
        return Refuse(Refusal::Reason::UnknownValue, p.name, wanted);
    }

    static std::variant<Setting, Refusal> positionValue(const Parameter& p, const QJsonValue& v) {
        const double d = v.toDouble();
        if (d < 0 || d != std::floor(d) || d >= EntryCount(p)) {
            return Refuse(Refusal::Reason::PositionOutOfRange, p.name, ToStd(ValueText(v)),
                          EntryCount(p));
        }
        return Setting{&p, {}, static_cast<int>(d)};
    }

    std::string_view text_;
    std::string_view file_;
};

// --- Applying --------------------------------------------------------------------------------

bool IsNetworkAddress(const Parameter& p) {
    return p.name == "network.ip" || p.name == "network.mask" || p.name == "network.gateway";
}

void SetQuad(protocol::PanelModel& panel, Edit first, const std::string& text) {
    std::array<std::string, 4> octets;
    if (!text.empty()) {
        std::size_t start = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            const std::size_t dot = text.find('.', start);
            octets[i] = text.substr(start, dot == std::string::npos ? dot : dot - start);
            start = dot == std::string::npos ? text.size() : dot + 1;
        }
    }
    for (std::size_t i = 0; i < 4; ++i) {
        panel[static_cast<Edit>(static_cast<std::size_t>(first) + i)] = octets[i];
    }
}

// The operator's own steps: typing a text, choosing an item, clicking a radio or the box.
void Put(protocol::PanelModel& panel, const Setting& s) {
    const Parameter& p = *s.parameter;
    switch (p.kind) {
    case Kind::Number:
    case Kind::Text:
        panel[p.edit] = s.text;
        return;
    case Kind::Address:
        SetQuad(panel, p.edit, s.text);
        return;
    case Kind::List:
        panel[p.combo].index = s.position;
        return;
    case Kind::Choice:
        break;
    }
    switch (p.choice) {
    case ChoiceField::ConfigMode:
        panel.cfgMode = s.position;
        // Choosing a mode ticks or clears the DNS box, as the window's group does.
        protocol::ApplyCfgModeToDns(panel);
        return;
    case ChoiceField::DnsMode:
        panel.dnsManual = s.position == 0;
        return;
    case ChoiceField::ServerMode:
        panel.serverByDomain = s.position == 1;
        return;
    case ChoiceField::None:
        return;
    }
}

std::optional<Refusal> Check(const protocol::PanelModel& panel, const Setting& s,
                             const protocol::CardProfile& card) {
    const Parameter& p = *s.parameter;
    if (!ExistsFor(p, card)) {
        return Refuse(Refusal::Reason::NotForCard, p.name);
    }
    if (p.kind == Kind::List && s.position >= panel[p.combo].count) {
        return Refuse(Refusal::Reason::PositionOutOfRange, p.name, std::to_string(s.position),
                      panel[p.combo].count);
    }
    return std::nullopt;
}

} // namespace

std::optional<std::array<std::uint8_t, 4>> ParseAddress(std::string_view text) {
    std::array<std::uint8_t, 4> quad{};
    std::size_t start = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t dot = i < 3 ? text.find('.', start) : text.size();
        if (dot == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view part = text.substr(start, dot - start);
        if (!AllDigits(part) || part.size() > 3) {
            return std::nullopt;
        }
        const auto n = protocol::ParseDecimal(part);
        if (!n || *n > 255) {
            return std::nullopt;
        }
        quad[i] = static_cast<std::uint8_t>(*n);
        start = dot + 1;
    }
    return quad;
}

std::string JsonString(std::string_view text) {
    const QByteArray utf8 =
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toUtf8();
    std::string out = "\"";
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[u >> 4];
            out += kHex[u & 15];
        } else {
            out += c;
        }
    }
    return out + '"';
}

std::string ProfileJson(const protocol::PanelModel& panel, const protocol::CardProfile& profile) {
    const auto values = ReadParameters(panel, profile);
    const auto valueOf = [&](std::string_view name) {
        for (const auto& v : values) {
            if (v.parameter->name == name) {
                return v.text;
            }
        }
        return std::string();
    };
    std::string out = "{\n";
    out += "    \"format\": " + JsonString(kProfileFormat) + ",\n";
    out += "    \"version\": " + std::to_string(kProfileVersion) + ",\n";
    out += "    \"card\": {\n";
    out += "        \"mac\": " + JsonString(valueOf("card.mac")) + ",\n";
    out += "        \"ip\": " + JsonString(valueOf("network.ip")) + ",\n";
    out += "        \"firmware\": " + JsonString(valueOf("card.firmware")) + "\n";
    out += "    },\n";
    out += "    \"parameters\": {\n";
    for (std::size_t i = 0; i < values.size(); ++i) {
        out += "        " + JsonString(values[i].parameter->name) + ": " + JsonValue(values[i]);
        out += i + 1 < values.size() ? ",\n" : "\n";
    }
    out += "    }\n}\n";
    return out;
}

std::variant<Profile, Refusal> ParseProfile(std::string_view text, std::string_view file) {
    return Reader(text, file).run();
}

std::variant<Setting, Refusal> ParseSetting(std::string_view assignment) {
    // Panel texts are UTF-8; other bytes would not survive the way into a profile or the window.
    if (!protocol::IsValidUtf8(assignment)) {
        return Refuse(Refusal::Reason::NotUtf8, {});
    }
    const std::size_t eq = assignment.find('=');
    if (eq == std::string_view::npos) {
        return Refuse(Refusal::Reason::NoAssignment, {}, assignment);
    }
    const std::string_view name = assignment.substr(0, eq);
    const Parameter* p = FindParameter(name);
    if (p == nullptr) {
        return Refuse(Refusal::Reason::UnknownParameter, name);
    }
    if (p->readOnly) {
        return Refuse(Refusal::Reason::ReadOnly, name);
    }
    return SettingFromText(*p, assignment.substr(eq + 1));
}

std::optional<Refusal> ApplyProfile(protocol::PanelModel& panel, const Profile& profile,
                                    const protocol::CardProfile& card,
                                    const ApplyOptions& options) {
    std::vector<Setting> chosen;
    for (const Setting& s : InTableOrder(profile.settings)) {
        const Parameter& p = *s.parameter;
        // The card's own values; the write repeats the card's MAC whatever the panel says.
        if (p.readOnly) {
            continue;
        }
        // A new IP comes with the profile's mask and gateway; otherwise the three go together.
        if (p.name == "network.ip" && (options.ip || options.keepNetworkAddresses)) {
            continue;
        }
        if (IsNetworkAddress(p) && options.keepNetworkAddresses && !options.ip) {
            continue;
        }
        if (auto refusal = Check(panel, s, card)) {
            refusal->file = profile.file;
            return refusal;
        }
        chosen.push_back(s);
    }
    for (const Setting& s : chosen) {
        Put(panel, s);
    }
    if (options.ip) {
        for (std::size_t i = 0; i < 4; ++i) {
            panel[static_cast<Edit>(static_cast<std::size_t>(Edit::IP1) + i)] =
                std::to_string((*options.ip)[i]);
        }
    }
    return std::nullopt;
}

std::optional<Refusal> ApplySettings(protocol::PanelModel& panel,
                                     const std::vector<Setting>& settings,
                                     const protocol::CardProfile& card) {
    const auto ordered = InTableOrder(settings);
    for (const Setting& s : ordered) {
        if (s.parameter->readOnly) {
            return Refuse(Refusal::Reason::ReadOnly, s.parameter->name);
        }
        if (auto refusal = Check(panel, s, card)) {
            return refusal;
        }
    }
    for (const Setting& s : ordered) {
        Put(panel, s);
    }
    return std::nullopt;
}

} // namespace fleet
