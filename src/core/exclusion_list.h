#pragma once
// Purgeon's exclusion list: the key names of section [OptFr] of "SList.txt"
// in the program folder name programs and startup entries not to report.
#include <memory>
#include <string>
#include <vector>

namespace vigilo {

// The list as the file holds it when taken: a round over ten thousand names
// looks at the file once, not once per name.
class ExclusionListSnapshot {
public:
    static ExclusionListSnapshot Take();
    // The name, or empty when a key name of the list occurs in it (both
    // upper-cased, a to z only). A missing file excludes nothing.
    std::string Apply(const std::string& name) const;

private:
    explicit ExclusionListSnapshot(std::shared_ptr<const std::vector<std::string>> upperNames)
        : upperNames_(std::move(upperNames)) {}
    std::shared_ptr<const std::vector<std::string>> upperNames_;
};

// Take().Apply(name), for a single name.
std::string ApplyExclusionList(const std::string& name);

}  // namespace vigilo
