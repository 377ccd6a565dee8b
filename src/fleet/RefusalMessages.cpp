// Every refusal of the profile reader, the change parser and the write, as a message: which
// sentence of the text table says why, and the values it names.

#include "fleet/ParameterNames.h"
#include "fleet/Profile.h"
#include "lang/ExtraTexts.h"
#include "lang/Texts.h"
#include "protocol/CardText.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace fleet {

namespace {

using lang::LanguageId;
using lang::RefusalText;

// What a key must hold, for a value of the wrong JSON type.
RefusalText Expected(const std::string& key) {
    const Parameter* p = FindParameter(key);
    if (p == nullptr) {
        if (key == "mac" || key == "ip" || key == "firmware") {
            return RefusalText::ExpectText;
        }
        return RefusalText::ExpectObject;
    }
    switch (p->kind) {
    case Kind::Number:
        return RefusalText::ExpectNumber;
    case Kind::Address:
        return RefusalText::ExpectAddress;
    case Kind::Text:
        return RefusalText::ExpectText;
    case Kind::List:
    case Kind::Choice:
        break;
    }
    return RefusalText::ExpectEntry;
}

std::string Reason(const Refusal& r, LanguageId language) {
    const auto say = [language](RefusalText text,
                                std::initializer_list<std::string_view> values = {}) {
        return lang::FillIn(lang::TextOf(language, text), values);
    };
    const std::string limit = std::to_string(r.limit);
    switch (r.reason) {
    case Refusal::Reason::NotJson:
        return say(RefusalText::NotJson);
    case Refusal::Reason::NotAProfile:
        return say(RefusalText::NotAProfile);
    case Refusal::Reason::UnsupportedVersion:
        return say(RefusalText::UnsupportedVersion, {r.value});
    case Refusal::Reason::WrongShape:
        return say(Expected(r.key));
    case Refusal::Reason::UnknownKey:
        return say(RefusalText::UnknownKey);
    case Refusal::Reason::UnknownParameter:
        return say(RefusalText::UnknownParameter);
    case Refusal::Reason::UnknownValue:
        return say(RefusalText::UnknownValue, {r.value});
    case Refusal::Reason::PositionOutOfRange:
        return say(RefusalText::PositionOutOfRange, {r.value, limit, std::to_string(r.limit - 1)});
    case Refusal::Reason::NotANumber:
        return say(RefusalText::NotWholeNumber, {r.value});
    case Refusal::Reason::BadAddress:
        return say(RefusalText::BadAddress, {r.value});
    case Refusal::Reason::ReadOnly:
        return say(RefusalText::ReadOnly);
    case Refusal::Reason::NotForCard:
        return say(RefusalText::NotForCard);
    case Refusal::Reason::NoAssignment:
        return say(RefusalText::NoAssignment, {r.value});
    case Refusal::Reason::NotUtf8:
        return say(RefusalText::NotUtf8);
    case Refusal::Reason::EntryMismatch:
        return say(RefusalText::EntryMismatch, {r.value, limit});
    }
    return {};
}

} // namespace

std::string RefusalMessage(const Refusal& refusal, LanguageId language) {
    std::string where = refusal.file;
    if (!where.empty() && refusal.line > 0) {
        where += ":" + std::to_string(refusal.line);
    }
    return lang::ComposeMessage(language, where, refusal.key, Reason(refusal, language));
}

std::string WriteRefusalMessage(const protocol::WriteRefusal& refusal, LanguageId language) {
    const Parameter* p = ParameterOf(refusal.component);
    const std::string name = p != nullptr ? std::string(p->name) : std::string();
    const auto say = [&](RefusalText text) {
        return lang::ComposeMessage(language, {}, name, lang::TextOf(language, text));
    };
    using R = protocol::WriteRefusal::Reason;
    switch (refusal.reason) {
    case R::NotANumber:
        return lang::NotNumberMessage(language, name, refusal.text);
    case R::OutOfRange:
        return lang::RangeMessage(language, name, 0, refusal.maxValue);
    case R::EmptyField:
        return say(refusal.component.kind == protocol::PanelComponent::Kind::Combo
                       ? RefusalText::NoEntryChosen
                       : RefusalText::NoValue);
    case R::DnsFieldEmpty:
        return say(RefusalText::DnsIncomplete);
    case R::DomainTooLong:
        return say(protocol::IsAscii(refusal.text) ? RefusalText::DomainTooLong
                                                   : RefusalText::DomainNotAscii);
    }
    return {};
}

} // namespace fleet
