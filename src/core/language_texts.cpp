#include "core/language_texts.h"

#include <windows.h>

#include <string_view>

#include "platform/profile_file.h"
#include "platform/text.h"
#include "platform/text_file.h"

namespace vigilo {

namespace {
constexpr size_t kLongestValue = 2047;
}  // namespace

std::string LanguageFileName(int language) {
    static const char* const kFiles[] = {"English.ini", "German.ini",  "French.ini",
                                         "Spanish.ini", "Italian.ini", "Portuguese.ini"};
    if (language >= 1 && language <= 6) return kFiles[language - 1];
    return kFiles[0];
}

LanguageTexts::LanguageTexts(const std::string& path) {
    if (path.empty()) return;
    // Language files are made for Windows' profile functions: without a
    // byte-order mark they are in the system code page.
    file_ = std::make_shared<KeptFile<ProfileFile>>(path, [](const std::optional<std::string>& bytes) {
        return bytes ? ProfileFile::Parse(DecodeText(*bytes, CP_ACP)) : ProfileFile();
    });
}

const std::string& LanguageTexts::Path() const {
    static const std::string none;
    return file_ ? file_->Path() : none;
}

std::string LanguageTexts::Get(const std::string& section, const std::string& key,
                               const std::string& defaultText) const {
    if (!file_) return defaultText;  // no file chosen: never fall back to win.ini
    // At most 2047 characters of a value are used, as by a 2048-character buffer.
    return file_->Get()->Value(section, key, kLongestValue).value_or(FirstCharacters(defaultText, kLongestValue));
}

LanguageTexts& Language() {
    static LanguageTexts texts;
    return texts;
}

std::string Text(const TextId& id) { return Language().Get(id.section, id.key, id.defaultText); }

std::string WithNumber(const std::string& text, long long number) {
    static constexpr std::string_view kPlaceholder = "%d";
    const std::string digits = std::to_string(number);
    std::string result;
    size_t from = 0;
    for (size_t at = text.find(kPlaceholder); at != std::string::npos; at = text.find(kPlaceholder, from)) {
        result.append(text, from, at - from).append(digits);
        from = at + kPlaceholder.size();
    }
    return result.append(text, from, std::string::npos);
}

}  // namespace vigilo
