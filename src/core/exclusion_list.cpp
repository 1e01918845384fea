#include "core/exclusion_list.h"

#include <windows.h>

#include <vector>

#include "core/companion.h"
#include "core/path_set.h"
#include "platform/file_system.h"
#include "platform/profile_file.h"
#include "platform/text.h"

namespace vigilo {
namespace {

// The profile functions give at most this much of a section's key names,
// each with its NUL and a last NUL after them all.
constexpr size_t kKeyNamesBufferSize = 16384;

// The key names of the section, in file order, as far as they fit the
// buffer whole; a name that would be cut is not a name of the file and is
// left out, as is everything beyond it. An empty key name (a line "=x")
// would match every name; it names nothing and is skipped. Without a
// byte-order mark the list is in the system code page.
std::vector<std::string> KeyNames(const std::string& file, const char* section) {
    std::vector<std::string> names;
    size_t used = 1;
    for (std::string& name : ProfileFile::Load(file, CP_ACP).KeyNames(section)) {
        used += Utf16Length(name) + 1;
        if (used > kKeyNamesBufferSize) break;
        if (!name.empty()) names.push_back(std::move(name));
    }
    return names;
}

}  // namespace

std::string ApplyExclusionList(const std::string& name) {
    const std::string file = Paths().programFolder + "\\" + companion::kExclusionListFile;
    if (!FileExists(file)) return name;
    const std::string upperName = UpperCaseAscii(name);
    for (const std::string& keyName : KeyNames(file, companion::kExclusionSection)) {
        if (upperName.find(UpperCaseAscii(keyName)) != std::string::npos) return {};
    }
    return name;
}

}  // namespace vigilo
