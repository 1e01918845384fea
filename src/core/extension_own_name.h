#pragma once
// An extension's own name, as its browser shows it, where a watch found
// only its id: Chrome, Edge and Brave from the manifest of the extension's
// newest version (a "__MSG_key__" name from its default locale's messages);
// Firefox from the profile's extensions.json, else from the manifest inside
// the add-on's .xpi; Internet Explorer from the registry. Every file is read
// only when the path rule accepts it, and only when it holds at most 1 MiB.
// Empty where no name is found: the finding keeps the id.
#include <string>
#include <vector>

#include "platform/registry.h"

namespace vigilo {

inline constexpr size_t kLargestExtensionFile = 1024 * 1024;

// extensionFolder: a Chromium profile's "Extensions\<id>" folder.
std::string ChromiumExtensionOwnName(const std::string& extensionFolder);

// entry: what was found in the Firefox profile's extensions folder
// extensionsFolder ("<id>.xpi", or a folder "<id>"); the profile is its parent.
std::string FirefoxExtensionOwnName(const std::string& extensionsFolder, const std::string& entry);

// Where Internet Explorer's extensions (toolbar buttons and menu items) are
// registered, and where an add-on's own values are looked up.
inline constexpr const char* kInternetExplorerExtensionsKey = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\";

// Which of Internet Explorer's keys an add-on was found in.
enum class InternetExplorerAddOnKind {
    Extension,              // ...\Internet Explorer\Extensions\{id}: its ButtonText, then its MenuText
    HelperObjectOrToolbar,  // Browser Helper Objects, Explorer Bars: its class's name, HKCR\CLSID\{id}
};
// The add-on's name from root's key (for an extension) and the classes, in view.
std::string InternetExplorerAddOnOwnName(InternetExplorerAddOnKind kind, HKEY root, const std::string& id,
                                         RegistryView view);

// Of a Chromium extension folder's version folders, the newest: names of
// dotted numbers with Chrome's "_N" after them ("1.10.0_0" is newer than
// "1.9.2_3"); names of other forms are no versions. Empty when none is.
std::string NewestVersionName(const std::vector<std::string>& names);

}  // namespace vigilo
