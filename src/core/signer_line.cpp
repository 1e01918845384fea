#include "core/signer_line.h"

#include <array>
#include <string_view>
#include <vector>

#include "core/language_texts.h"
#include "platform/text.h"

namespace vigilo {
namespace {

// Lower-case spellings, compared after punctuation is gone ("Co., Ltd." as "co ltd").
constexpr std::array<std::string_view, 10> kLegalSuffixes = {"inc",  "incorporated", "llc",  "ltd",         "limited",
                                                             "gmbh", "corp",         "corporation", "co", "company"};

bool IsAsciiLetterOrDigit(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The words of a name with punctuation and blanks as separators; letters
// beyond ASCII belong to words, the signs ®, © and ™ do not.
std::vector<std::string> Words(const std::string& name) {
    std::string spaced;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        const std::string_view rest(name.data() + i, name.size() - i);
        if (rest.starts_with("\xC2\xAE") || rest.starts_with("\xC2\xA9")) {
            spaced += ' ';
            i += 1;
        } else if (rest.starts_with("\xE2\x84\xA2")) {
            spaced += ' ';
            i += 2;
        } else {
            spaced += (c >= 0x80 || IsAsciiLetterOrDigit(c)) ? static_cast<char>(c) : ' ';
        }
    }
    std::vector<std::string> words;
    size_t start = 0;
    while ((start = spaced.find_first_not_of(' ', start)) != std::string::npos) {
        const size_t end = spaced.find(' ', start);
        words.push_back(spaced.substr(start, end - start));
        start = end == std::string::npos ? spaced.size() : end;
    }
    return words;
}

// The name's words joined, without the legal suffixes at its end.
std::string Essence(const std::string& name) {
    std::vector<std::string> words = Words(name);
    auto isSuffix = [](const std::string& word) {
        for (std::string_view suffix : kLegalSuffixes)
            if (SameIgnoringCase(word, suffix)) return true;
        return false;
    };
    // "Co" alone is a name, not a suffix: at least one word stays.
    while (words.size() > 1 && isSuffix(words.back())) words.pop_back();
    std::string essence;
    for (const std::string& word : words) essence += word;
    return essence;
}

}  // namespace

std::string WithNameFor(const std::string& text, const std::string& value) {
    std::string result;
    size_t from = 0;
    for (size_t at = text.find("%s"); at != std::string::npos; at = text.find("%s", from)) {
        result.append(text, from, at - from).append(value);
        from = at + 2;
    }
    return result.append(text, from, std::string::npos);
}

bool PublisherDiffersFromSigner(const std::string& publisher, const std::string& signer) {
    const std::string named = Essence(publisher);
    return !named.empty() && !SameIgnoringCase(named, Essence(signer));
}

std::string SignatureLine(const FileSignature& signature, const std::string& publisher) {
    switch (signature.state) {
        case SignatureState::Signed:
            return WithNameFor(Text(PublisherDiffersFromSigner(publisher, signature.signer) ? texts::kSignedByOther
                                                                                            : texts::kSignedBy),
                               signature.signer);
        case SignatureState::Untrusted: return WithNameFor(Text(texts::kSignedUntrusted), signature.signer);
        case SignatureState::NotSigned: return Text(texts::kNotSigned);
        case SignatureState::Broken: return Text(texts::kSignatureBroken);
        case SignatureState::Unknown: break;
    }
    return {};
}

}  // namespace vigilo
