#include "core/exclusion_list.h"

#include <windows.h>

#include <vector>

#include "core/companion.h"
#include "core/path_set.h"
#include "platform/file_system.h"
#include "platform/text.h"

namespace vigilo {
namespace {

// The profile functions give at most this much of a section's key names.
constexpr DWORD kKeyNamesBufferSize = 16384;

// The key names of the section, in file order. When they fill the buffer
// the list was cut, and its last name may be cut too (Windows ends it with
// two NULs, Wine with one): that name is not a name of the file and is left
// out, as is everything beyond the buffer. An empty key name (a line "=x")
// would match every name; it names nothing and is skipped.
std::vector<std::string> KeyNames(const std::string& file, const char* section) {
    std::vector<char> buffer(kKeyNamesBufferSize, '\0');
    const DWORD length = GetPrivateProfileStringA(section, nullptr, "", buffer.data(), kKeyNamesBufferSize,
                                                  file.c_str());
    const DWORD used = length < kKeyNamesBufferSize ? length : kKeyNamesBufferSize - 1;
    std::vector<std::string> names;
    size_t begin = 0;
    for (size_t i = 0; i <= used; ++i) {
        if (i < used && buffer[i] != '\0') continue;
        if (i > begin) names.emplace_back(buffer.data() + begin, i - begin);
        begin = i + 1;
    }
    if (length >= kKeyNamesBufferSize - 2 && !names.empty()) names.pop_back();
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
