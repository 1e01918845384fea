#include "monitors/extension_filters.h"

#include "platform/text.h"

namespace vigilo {

bool IsExcludedExtension(const std::string& name) {
    return UpperCaseAscii(name).find("LOCKBOX-VAULTS") != std::string::npos;
}

bool IsReportedFolderEntry(const std::string& entry) {
    const std::string upper = UpperCaseAscii(entry);
    return !entry.empty() && upper != "TEMP" && upper != "DEFAULT" && !IsExcludedExtension(entry);
}

}  // namespace vigilo
