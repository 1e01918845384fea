#include "core/language_texts.h"

#include <windows.h>

namespace vigilo {

std::string LanguageFileName(int language) {
    static const char* const kFiles[] = {"English.ini", "German.ini",  "French.ini",
                                         "Spanish.ini", "Italian.ini", "Portuguese.ini"};
    if (language >= 1 && language <= 6) return kFiles[language - 1];
    return kFiles[0];
}

std::string LanguageTexts::Get(const std::string& section, const std::string& key,
                               const std::string& defaultText) const {
    if (path_.empty()) return defaultText;  // no file chosen: never fall back to win.ini
    // 2048 characters with the NUL: at most 2047 of a value are used.
    char buffer[2048];
    DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultText.c_str(), buffer,
                                            sizeof(buffer), path_.c_str());
    if (length >= sizeof(buffer)) length = sizeof(buffer) - 1;
    return std::string(buffer, length);
}

LanguageTexts& Language() {
    static LanguageTexts texts;
    return texts;
}

std::string Text(const TextId& id) { return Language().Get(id.section, id.key, id.defaultText); }

}  // namespace vigilo
