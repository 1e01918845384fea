#include "core/extension_own_name.h"

#include <cstdint>
#include <functional>
#include <optional>

#include "core/extension_manifest.h"
#include "platform/data_path.h"
#include "platform/file_system.h"
#include "platform/read_only_file.h"
#include "platform/text.h"
#include "platform/zip_archive.h"

namespace vigilo {
namespace {

constexpr size_t kMostVersionParts = 8;
constexpr size_t kMostDigits = 9;

// The file at relative path (with "/") of an extension's files, or empty.
using ExtensionFileReader = std::function<std::optional<std::string>(const std::string& relativePath)>;

// A version as numbers, Chrome's "_N" last; empty for a name of another form.
std::optional<std::vector<std::uint32_t>> VersionOf(const std::string& name) {
    std::vector<std::uint32_t> parts;
    const size_t underscore = name.find('_');
    const std::string dotted = name.substr(0, underscore);
    size_t start = 0;
    for (;;) {
        const size_t dot = dotted.find('.', start);
        const std::string part = dotted.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        if (part.empty() || part.size() > kMostDigits || part.find_first_not_of("0123456789") != std::string::npos ||
            parts.size() == kMostVersionParts)
            return std::nullopt;
        parts.push_back(static_cast<std::uint32_t>(std::stoul(part)));
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    parts.resize(kMostVersionParts, 0);
    std::uint32_t build = 0;
    if (underscore != std::string::npos) {
        const std::string suffix = name.substr(underscore + 1);
        if (suffix.empty() || suffix.size() > kMostDigits ||
            suffix.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        build = static_cast<std::uint32_t>(std::stoul(suffix));
    }
    parts.push_back(build);
    return parts;
}

// A locale names a folder: letters, digits, "_" and "-" only.
bool IsLocaleName(const std::string& locale) {
    return !locale.empty() && locale.size() <= 32 &&
           locale.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-") ==
               std::string::npos;
}

std::string ShownName(const std::string& name) { return TrimControlAndBlanks(name); }

// The name a manifest gives, a "__MSG_key__" name looked up in its default locale.
std::string NameFromManifest(const ExtensionFileReader& read) {
    const std::optional<std::string> manifestBytes = read("manifest.json");
    const std::optional<ExtensionManifest> manifest =
        manifestBytes ? ParseExtensionManifest(*manifestBytes) : std::nullopt;
    if (!manifest) return {};
    const std::optional<std::string> key = MessageKeyOf(manifest->name);
    if (!key) return ShownName(manifest->name);
    if (!IsLocaleName(manifest->defaultLocale)) return {};
    const std::optional<std::string> messages = read("_locales/" + manifest->defaultLocale + "/messages.json");
    const std::optional<std::string> message = messages ? LocaleMessage(*messages, *key) : std::nullopt;
    return message ? ShownName(*message) : std::string();
}

// A file below folder, when the path rule accepts it and it holds at most 1 MiB.
std::optional<std::string> ReadExtensionFile(const std::string& folder, const std::string& relativePath) {
    std::string path = WithTrailingBackslash(folder) + relativePath;
    for (char& c : path)
        if (c == '/') c = '\\';
    const std::optional<std::string> accepted = AcceptedDataPath(path);
    if (!accepted) return std::nullopt;
    return ReadSmallFile(*accepted, kLargestExtensionFile);
}

ExtensionFileReader FolderReader(const std::string& folder) {
    return [folder](const std::string& relativePath) { return ReadExtensionFile(folder, relativePath); };
}

std::string ParentFolder(const std::string& folder) {
    const size_t end = folder.find_last_not_of('\\');
    if (end == std::string::npos) return {};
    const size_t slash = folder.rfind('\\', end);
    return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

// A registry text as stored, trimmed; an indirect "@file,-id" text is no name.
std::string RegistryText(HKEY root, const std::string& key, const std::string& name, RegistryView view) {
    const std::string text = ShownName(StringValue(root, key, name, view));
    return text.starts_with('@') ? std::string() : text;
}

}  // namespace

std::string NewestVersionName(const std::vector<std::string>& names) {
    std::string newest;
    std::vector<std::uint32_t> newestVersion;
    for (const std::string& name : names) {
        const std::optional<std::vector<std::uint32_t>> version = VersionOf(name);
        if (version && (newest.empty() || *version > newestVersion)) {
            newest = name;
            newestVersion = *version;
        }
    }
    return newest;
}

std::string ChromiumExtensionOwnName(const std::string& extensionFolder) {
    const std::optional<std::string> folder = AcceptedDataPath(extensionFolder);
    if (!folder) return {};
    std::vector<std::string> versions;
    ForEachFolderEntry(*folder, [&versions](const FolderEntry& entry) {
        if (entry.IsFolder()) versions.push_back(entry.name);
        return true;
    });
    const std::string newest = NewestVersionName(versions);
    if (newest.empty()) return {};
    return NameFromManifest(FolderReader(WithTrailingBackslash(*folder) + newest));
}

std::string FirefoxExtensionOwnName(const std::string& extensionsFolder, const std::string& entry) {
    const std::optional<std::string> folder = AcceptedDataPath(extensionsFolder);
    if (!folder || entry.empty() || entry.find_first_of("\\/") != std::string::npos || entry == "." || entry == "..")
        return {};
    const bool packed = entry.size() > 4 && SameIgnoringCase(std::string_view(entry).substr(entry.size() - 4), ".xpi");
    const std::string id = packed ? entry.substr(0, entry.size() - 4) : entry;

    const std::optional<std::string> list = ReadExtensionFile(ParentFolder(*folder), "extensions.json");
    if (const std::optional<std::string> listed = list ? FirefoxAddOnName(*list, id) : std::nullopt) {
        const std::string name = ShownName(*listed);
        if (!name.empty()) return name;
    }
    const std::string path = WithTrailingBackslash(*folder) + entry;
    if (!packed) return DirectoryExists(path) ? NameFromManifest(FolderReader(path)) : std::string();
    const std::optional<ZipArchive> archive = ZipArchive::Open(path);
    if (!archive) return {};
    return NameFromManifest(
        [&archive](const std::string& relativePath) { return archive->Entry(relativePath, kLargestExtensionFile); });
}

std::string InternetExplorerAddOnOwnName(InternetExplorerAddOnKind kind, HKEY root, const std::string& id,
                                         RegistryView view) {
    if (id.empty() || id.find('\\') != std::string::npos) return {};
    if (kind == InternetExplorerAddOnKind::Extension) {
        const std::string key = kInternetExplorerExtensionsKey + id;
        std::string name = RegistryText(root, key, "ButtonText", view);
        if (name.empty()) name = RegistryText(root, key, "MenuText", view);
        return name;
    }
    return RegistryText(HKEY_CLASSES_ROOT, "CLSID\\" + id, "", view);
}

}  // namespace vigilo
