// Every refusal of the profile reader, the change parser and the write, rendered in one place
// and written directly in each language.

#include "fleet/ParameterNames.h"
#include "fleet/Profile.h"
#include "lang/ExtraTexts.h"
#include "protocol/CardText.h"

#include <string>

namespace fleet {

namespace {

using lang::LanguageId;

struct Texts {
    std::string simplified;
    std::string traditional;
    std::string english;
};

const std::string& Pick(LanguageId language, const Texts& texts) {
    switch (language) {
    case LanguageId::SimplifiedChinese:
        return texts.simplified;
    case LanguageId::TraditionalChinese:
        return texts.traditional;
    case LanguageId::English:
        break;
    }
    return texts.english;
}

// A value quoted the way each language quotes.
Texts Quoted(const std::string& value) {
    return {"“" + value + "”", "「" + value + "」", "\"" + value + "\""};
}

bool Chinese(LanguageId language) {
    return language == LanguageId::SimplifiedChinese || language == LanguageId::TraditionalChinese;
}

// "file:line: key: sentence" with the parts that are known; a sentence that stands first
// starts with a capital.
std::string Compose(LanguageId language, const std::string& where, const std::string& key,
                    std::string sentence) {
    std::string prefix = where.empty() ? std::string() : where + ": ";
    if (!key.empty()) {
        prefix += key + (Chinese(language) ? "：" : ": ");
    }
    if (prefix.empty() && !Chinese(language) && !sentence.empty() && sentence[0] >= 'a' &&
        sentence[0] <= 'z') {
        sentence[0] = static_cast<char>(sentence[0] - 'a' + 'A');
    }
    return prefix + sentence + (Chinese(language) ? "。" : ".");
}

// What a key must hold, for a value of the wrong JSON type.
Texts Expected(const std::string& key) {
    const Parameter* p = FindParameter(key);
    if (p == nullptr) {
        if (key == "mac" || key == "ip" || key == "firmware") {
            return {"应为文本", "應為文字", "expected a text"};
        }
        return {"应为JSON对象", "應為JSON物件", "expected a JSON object"};
    }
    switch (p->kind) {
    case Kind::Number:
        return {"应为数字或由数字组成的文本", "應為數字或由數字組成的文字",
                "expected a number or a text of digits"};
    case Kind::Address:
        return {"应为点分十进制的IPv4地址文本", "應為點分十進位的IPv4位址文字",
                "expected an IPv4 address as a text"};
    case Kind::Text:
        return {"应为文本", "應為文字", "expected a text"};
    case Kind::List:
    case Kind::Choice:
        break;
    }
    return {"应为项的文本、位置或{\"text\", \"position\"}对象",
            "應為項目的文字、位置或{\"text\", \"position\"}物件",
            "expected an entry's text, its position or a {\"text\", \"position\"} object"};
}

Texts Reason(const Refusal& r) {
    const Texts v = Quoted(r.value);
    const std::string limit = std::to_string(r.limit);
    const std::string last = std::to_string(r.limit - 1);
    switch (r.reason) {
    case Refusal::Reason::NotJson:
        return {"不是JSON文档", "不是JSON文件", "not a JSON document"};
    case Refusal::Reason::NotAProfile:
        return {"不是参数配置文件：\"format\"应为\"ledcardctl-profile\"",
                "不是參數設定檔：\"format\"應為\"ledcardctl-profile\"",
                "not a parameter profile: \"format\" must be \"ledcardctl-profile\""};
    case Refusal::Reason::UnsupportedVersion:
        return {"不支持版本" + v.simplified + "，本程序读取版本1",
                "不支援版本" + v.traditional + "，本程式讀取版本1",
                "version " + v.english + " is not supported; this program reads version 1"};
    case Refusal::Reason::WrongShape:
        return Expected(r.key);
    case Refusal::Reason::UnknownKey:
        return {"未知的键", "未知的鍵", "unknown key"};
    case Refusal::Reason::UnknownParameter:
        return {"没有这个名称的参数", "沒有這個名稱的參數", "no parameter has this name"};
    case Refusal::Reason::UnknownValue:
        return {v.simplified + "不是此列表中的项", v.traditional + "不是此清單中的項目",
                v.english + " is no entry of this list"};
    case Refusal::Reason::PositionOutOfRange:
        return {"位置" + v.simplified + "超出范围：该列表共有" + limit + "项（#0到#" + last + "）",
                "位置" + v.traditional + "超出範圍：該清單共有" + limit + "項（#0到#" + last + "）",
                "position " + v.english + " is out of range: the list has " + limit +
                    " entries (#0 to #" + last + ")"};
    case Refusal::Reason::NotANumber:
        return {v.simplified + "不是整数", v.traditional + "不是整數",
                v.english + " is not a whole number"};
    case Refusal::Reason::BadAddress:
        return {v.simplified + "不是由四个0到255的数字组成的IPv4地址",
                v.traditional + "不是由四個0到255的數字組成的IPv4位址",
                v.english + " is not an IPv4 address of four numbers from 0 to 255"};
    case Refusal::Reason::ReadOnly:
        return {"这是从控制卡读取的值，不能设置", "這是從控制卡讀取的值，不能設定",
                "this value is read from the card and cannot be set"};
    case Refusal::Reason::NotForCard:
        return {"只有DHCP为1的控制卡才有此参数", "只有DHCP為1的控制卡才有此參數",
                "only cards with DHCP set to 1 hold this parameter"};
    case Refusal::Reason::NoAssignment:
        return {v.simplified + "不是NAME=VALUE的形式", v.traditional + "不是NAME=VALUE的形式",
                v.english + " is not of the form NAME=VALUE"};
    case Refusal::Reason::NotUtf8:
        return {"不是UTF-8文本", "不是UTF-8文字", "not UTF-8 text"};
    case Refusal::Reason::EntryMismatch:
        return {v.simplified + "不是位置" + limit + "的项",
                v.traditional + "不是位置" + limit + "的項目",
                v.english + " is not the entry at position " + limit};
    }
    return {};
}

} // namespace

std::string RefusalMessage(const Refusal& refusal, LanguageId language) {
    std::string where = refusal.file;
    if (!where.empty() && refusal.line > 0) {
        where += ":" + std::to_string(refusal.line);
    }
    return Compose(language, where, refusal.key, Pick(language, Reason(refusal)));
}

std::string WriteRefusalMessage(const protocol::WriteRefusal& refusal, LanguageId language) {
    const Parameter* p = ParameterOf(refusal.component);
    const std::string name = p != nullptr ? std::string(p->name) : std::string();
    using R = protocol::WriteRefusal::Reason;
    switch (refusal.reason) {
    case R::NotANumber:
        return lang::NotNumberMessage(language, name, refusal.text);
    case R::OutOfRange:
        return lang::RangeMessage(language, name, 0, refusal.maxValue);
    case R::EmptyField:
        if (refusal.component.kind == protocol::PanelComponent::Kind::Combo) {
            return Compose(
                language, {}, name,
                Pick(language, {"未选择任何项", "未選擇任何項目", "no entry is chosen"}));
        }
        return Compose(language, {}, name, Pick(language, {"没有值", "沒有值", "no value"}));
    case R::DnsFieldEmpty:
        return Compose(
            language, {}, name,
            Pick(language, {"手工配置DNS时需要全部四个数字", "手工設定DNS時需要全部四個數字",
                            "all four numbers are needed when the DNS is set by hand"}));
    case R::DomainTooLong:
        if (!protocol::IsAscii(refusal.text)) {
            return Compose(
                language, {}, name,
                Pick(language,
                     {"域名只能包含ASCII字符，其他文字的域名请使用“xn--”形式",
                      "網域名稱只能包含ASCII字元，其他文字的網域名稱請使用「xn--」形式",
                      "the name must be in ASCII letters; give a name in other letters in its "
                      "\"xn--\" form"}));
        }
        return Compose(language, {}, name,
                       Pick(language, {"域名不能超过63个字符", "網域名稱不能超過63個字元",
                                       "the name must not be longer than 63 characters"}));
    }
    return {};
}

} // namespace fleet
