#include "core/extension_manifest.h"

#include <rapidjson/document.h>
#include <rapidjson/error/error.h>

#include "platform/text.h"

namespace vigilo {
namespace {

constexpr unsigned kParseFlags =
    rapidjson::kParseValidateEncodingFlag | rapidjson::kParseIterativeFlag | rapidjson::kParseCommentsFlag;

std::optional<rapidjson::Document> Parse(std::string_view json) {
    // Chrome reads a file that begins with UTF-8's byte-order mark, and so do we.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (json.starts_with(kByteOrderMark)) json.remove_prefix(kByteOrderMark.size());
    rapidjson::Document document;
    document.Parse<kParseFlags>(json.data(), json.size());
    if (document.HasParseError() || !document.IsObject()) return std::nullopt;
    return document;
}

// The text member name of object; empty when it is missing or no text.
std::optional<std::string> TextMember(const rapidjson::Value& object, const char* name) {
    if (!object.IsObject()) return std::nullopt;
    const auto member = object.FindMember(name);
    if (member == object.MemberEnd() || !member->value.IsString()) return std::nullopt;
    return std::string(member->value.GetString(), member->value.GetStringLength());
}

}  // namespace

std::optional<ExtensionManifest> ParseExtensionManifest(std::string_view json) {
    const std::optional<rapidjson::Document> document = Parse(json);
    if (!document) return std::nullopt;
    std::optional<std::string> name = TextMember(*document, "name");
    if (!name) return std::nullopt;
    return ExtensionManifest{std::move(*name), TextMember(*document, "default_locale").value_or("")};
}

std::optional<std::string> MessageKeyOf(std::string_view name) {
    constexpr std::string_view kStart = "__MSG_";
    constexpr std::string_view kEnd = "__";
    if (name.size() <= kStart.size() + kEnd.size() || !name.starts_with(kStart) || !name.ends_with(kEnd))
        return std::nullopt;
    return std::string(name.substr(kStart.size(), name.size() - kStart.size() - kEnd.size()));
}

std::optional<std::string> LocaleMessage(std::string_view messagesJson, std::string_view key) {
    const std::optional<rapidjson::Document> document = Parse(messagesJson);
    if (!document) return std::nullopt;
    for (auto member = document->MemberBegin(); member != document->MemberEnd(); ++member) {
        const std::string_view name(member->name.GetString(), member->name.GetStringLength());
        if (SameIgnoringCase(name, key)) return TextMember(member->value, "message");
    }
    return std::nullopt;
}

std::optional<std::string> FirefoxAddOnName(std::string_view extensionsJson, std::string_view id) {
    const std::optional<rapidjson::Document> document = Parse(extensionsJson);
    if (!document) return std::nullopt;
    const auto addOns = document->FindMember("addons");
    if (addOns == document->MemberEnd() || !addOns->value.IsArray()) return std::nullopt;
    for (const rapidjson::Value& addOn : addOns->value.GetArray()) {
        if (TextMember(addOn, "id") != std::string(id)) continue;
        const auto locale = addOn.FindMember("defaultLocale");
        if (locale != addOn.MemberEnd())
            if (std::optional<std::string> name = TextMember(locale->value, "name")) return name;
        return TextMember(addOn, "name");
    }
    return std::nullopt;
}

}  // namespace vigilo
