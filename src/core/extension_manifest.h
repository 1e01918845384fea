#pragma once
// What the browsers' JSON files say of an extension's name: a manifest's
// "name" and "default_locale", a locale's messages, and Firefox's list of a
// profile's add-ons. The JSON reader refuses anything that is not valid
// JSON in valid UTF-8 (comments aside, which Chrome allows in manifests, and
// a UTF-8 byte-order mark first, which it skips); however deep its nesting,
// it never recurses.
#include <optional>
#include <string>
#include <string_view>

namespace vigilo {

struct ExtensionManifest {
    std::string name;           // as written, maybe "__MSG_key__"
    std::string defaultLocale;  // empty when there is none
};

// The manifest's name; empty when json is no valid object or its "name" is no text.
std::optional<ExtensionManifest> ParseExtensionManifest(std::string_view json);

// The key a name of the form "__MSG_key__" asks the locale for; empty for any other name.
std::optional<std::string> MessageKeyOf(std::string_view name);

// The "message" of key in a locale's messages.json, keys compared without regard to case.
std::optional<std::string> LocaleMessage(std::string_view messagesJson, std::string_view key);

// The name Firefox's extensions.json gives the add-on with id: its default
// locale's "name", else its own "name".
std::optional<std::string> FirefoxAddOnName(std::string_view extensionsJson, std::string_view id);

}  // namespace vigilo
