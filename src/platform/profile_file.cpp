#include "platform/profile_file.h"

#include "platform/text.h"
#include "platform/text_file.h"

namespace vigilo {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view WithoutQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

ProfileFile ProfileFile::Load(const std::string& path, unsigned codePage) {
    const std::optional<std::string> bytes = ReadFileBytes(path);
    if (!bytes) return {};
    return Parse(DecodeText(*bytes, codePage));
}

ProfileFile ProfileFile::Parse(std::string_view text) {
    ProfileFile file;
    Section* current = nullptr;  // lines before the first section belong to none
    while (!text.empty()) {
        const size_t end = text.find_first_of("\r\n");
        std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty()) continue;
        if (line.front() == '[') {
            // A header without its "]" is no header, and no entry either.
            const size_t close = line.rfind(']');
            if (close == std::string_view::npos) continue;
            file.sections_.push_back({std::string(Trimmed(line.substr(1, close - 1))), {}});
            current = &file.sections_.back();
            continue;
        }
        if (!current) continue;
        const size_t equals = line.find('=');
        Entry entry{std::string(Trimmed(line.substr(0, equals))), {}};
        if (equals != std::string_view::npos) entry.value = std::string(WithoutQuotes(Trimmed(line.substr(equals + 1))));
        current->entries.push_back(std::move(entry));
    }
    return file;
}

const ProfileFile::Section* ProfileFile::Find(std::string_view section) const {
    for (const Section& s : sections_)
        if (SameIgnoringCase(s.name, section)) return &s;
    return nullptr;
}

std::optional<std::string> ProfileFile::Value(std::string_view section, std::string_view key,
                                              size_t maxCharacters) const {
    const Section* found = Find(section);
    if (!found) return std::nullopt;
    for (const Entry& entry : found->entries)
        if (SameIgnoringCase(entry.key, key)) return FirstCharacters(entry.value, maxCharacters);
    return std::nullopt;
}

std::vector<std::string> ProfileFile::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    if (const Section* found = Find(section))
        for (const Entry& entry : found->entries) names.push_back(entry.key);
    return names;
}

std::vector<std::string> ProfileFile::SectionNames() const {
    std::vector<std::string> names;
    for (const Section& s : sections_) names.push_back(s.name);
    return names;
}

}  // namespace vigilo
