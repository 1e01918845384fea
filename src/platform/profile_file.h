#pragma once
// An INI file read as Windows' profile functions read one, for the texts
// the program takes from files others write (language files, Purgeon's
// exclusion list, Firefox's profiles.ini). Windows' own functions cannot be
// used: they ignore a UTF-8 byte-order mark (Wine's honour it).
//
// The rules kept: a line "[name]" starts a section; "key=value" lines below
// it are its entries, and a line without "=" is a key without a value;
// blanks around section names, keys and values are trimmed, and a value in
// matching quotes loses them; sections and keys are found in any letter
// case, and the first match wins; lines before the first section belong to
// no section.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vigilo {

class ProfileFile {
public:
    // The file at path decoded by text_file.h's rule with codePage for a file
    // without byte-order mark; a file that cannot be read has no sections.
    static ProfileFile Load(const std::string& path, unsigned codePage);
    // Text already decoded to UTF-8.
    static ProfileFile Parse(std::string_view text);

    // The value of key in the first section called section; empty when
    // either is missing. A value longer than maxCharacters is cut there.
    std::optional<std::string> Value(std::string_view section, std::string_view key, size_t maxCharacters) const;
    // The key names of the first section called section, in file order.
    std::vector<std::string> KeyNames(std::string_view section) const;
    // Every section's name, in file order, duplicates included.
    std::vector<std::string> SectionNames() const;

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    const Section* Find(std::string_view section) const;
    std::vector<Section> sections_;
};

}  // namespace vigilo
