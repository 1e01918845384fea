#include "core/exclusion_list.h"

#include <windows.h>

#include <memory>
#include <mutex>
#include <vector>

#include "core/companion.h"
#include "core/path_set.h"
#include "platform/kept_file.h"
#include "platform/profile_file.h"
#include "platform/text.h"
#include "platform/text_file.h"

namespace vigilo {
namespace {

// The profile functions give at most this much of a section's key names,
// each with its NUL and a last NUL after them all.
constexpr size_t kKeyNamesBufferSize = 16384;

// The list's names, upper-cased as they are compared.
using UpperNames = std::vector<std::string>;

// The key names of the section, in file order, as far as they fit the
// buffer whole; a name that would be cut is not a name of the file and is
// left out, as is everything beyond it. An empty key name (a line "=x")
// would match every name; it names nothing and is skipped. Without a
// byte-order mark the list is in the system code page.
UpperNames KeyNames(const std::optional<std::string>& bytes, const char* section) {
    UpperNames names;
    if (!bytes) return names;
    size_t used = 1;
    for (std::string& name : ProfileFile::Parse(DecodeText(*bytes, CP_ACP)).KeyNames(section)) {
        used += Utf16Length(name) + 1;
        if (used > kKeyNamesBufferSize) break;
        if (!name.empty()) names.push_back(UpperCaseAscii(std::move(name)));
    }
    return names;
}

// The list is read from the monitors' threads and the main thread at once:
// the kept file is shared, and replaced only when the program folder changes.
std::mutex g_listMutex;
std::shared_ptr<KeptFile<UpperNames>> g_list;

std::shared_ptr<KeptFile<UpperNames>> ListFile() {
    const std::string path = Paths().programFolder + "\\" + companion::kExclusionListFile;
    std::lock_guard lock(g_listMutex);
    if (!g_list || g_list->Path() != path)
        g_list = std::make_shared<KeptFile<UpperNames>>(
            path, [](const std::optional<std::string>& bytes) { return KeyNames(bytes, companion::kExclusionSection); });
    return g_list;
}

}  // namespace

ExclusionListSnapshot ExclusionListSnapshot::Take() { return ExclusionListSnapshot(ListFile()->Get()); }

std::string ExclusionListSnapshot::Apply(const std::string& name) const {
    const std::string upperName = UpperCaseAscii(name);
    for (const std::string& keyName : *upperNames_) {
        if (upperName.find(keyName) != std::string::npos) return {};
    }
    return name;
}

std::string ApplyExclusionList(const std::string& name) { return ExclusionListSnapshot::Take().Apply(name); }

}  // namespace vigilo
