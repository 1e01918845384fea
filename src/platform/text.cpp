#include "platform/text.h"

#include <windows.h>

#include <algorithm>
#include <limits>

namespace vigilo {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendUtf16(std::wstring& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<wchar_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (c >> 10));
        out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    }
}

// The character of the sequence starting at utf8[at], and its length; a
// sequence that is cut, overlong or beyond U+10FFFF is one replacement
// character per byte. Encoded surrogates are taken as they are.
char32_t DecodeAt(std::string_view utf8, size_t at, size_t& length) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(utf8[i]); };
    const unsigned char lead = byte(at);
    length = 1;
    if (lead < 0x80) return lead;
    size_t extra = 0;
    char32_t c = 0, least = 0;
    if ((lead & 0xE0) == 0xC0) extra = 1, c = lead & 0x1F, least = 0x80;
    else if ((lead & 0xF0) == 0xE0) extra = 2, c = lead & 0x0F, least = 0x800;
    else if ((lead & 0xF8) == 0xF0) extra = 3, c = lead & 0x07, least = 0x10000;
    else return kReplacement;
    if (at + extra >= utf8.size()) return kReplacement;
    for (size_t i = 1; i <= extra; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return kReplacement;
        c = (c << 6) | (byte(at + i) & 0x3F);
    }
    if (c < least || c > 0x10FFFF) return kReplacement;
    length = extra + 1;
    return c;
}

}  // namespace

std::wstring Utf16(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        size_t length = 0;
        AppendUtf16(out, DecodeAt(utf8, at, length));
        at += length;
    }
    return out;
}

size_t Utf16Length(std::string_view utf8) {
    size_t units = 0;
    for (size_t at = 0; at < utf8.size();) {
        size_t length = 0;
        units += DecodeAt(utf8, at, length) >= 0x10000 ? 2 : 1;
        at += length;
    }
    return units;
}

std::string Utf8(std::wstring_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (size_t at = 0; at < utf16.size(); ++at) {
        char32_t c = static_cast<char16_t>(utf16[at]);
        const bool high = c >= 0xD800 && c < 0xDC00;
        if (high && at + 1 < utf16.size()) {
            const char32_t low = static_cast<char16_t>(utf16[at + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++at;
            }
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::string Utf8FromCodePage(std::string_view bytes, unsigned codePage) {
    if (bytes.empty() || bytes.size() > static_cast<size_t>(std::numeric_limits<int>::max())) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), length);
    return Utf8(wide);
}

std::string FirstCharacters(const std::string& text, size_t maxCharacters) {
    if (text.size() <= maxCharacters) return text;  // never more characters than bytes
    const std::wstring wide = Utf16(text);
    if (wide.size() <= maxCharacters) return text;
    size_t cut = maxCharacters;
    if (cut > 0 && wide[cut - 1] >= 0xD800 && wide[cut - 1] < 0xDC00) --cut;
    return Utf8(std::wstring_view(wide).substr(0, cut));
}

std::vector<std::string_view> SplitAt(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (size_t at = 0;;) {
        const size_t end = text.find(separator, at);
        parts.push_back(text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
        if (end == std::string_view::npos) return parts;
        at = end + 1;
    }
}

std::string UpperCaseAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string TrimControlAndBlanks(const std::string& text) {
    // Bytes of a multi-byte sequence are all above 127: never trimmed.
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    size_t first = 0, last = text.size();
    while (first < last && blank(text[first])) ++first;
    while (last > first && blank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

int CompareIgnoringCase(std::string_view a, std::string_view b) {
    // Names are mostly ASCII: compared in place, as the system would, with no conversion.
    const auto ascii = [](std::string_view s) {
        return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    };
    if (ascii(a) && ascii(b)) {
        const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; };
        for (size_t i = 0; i < a.size() && i < b.size(); ++i)
            if (upper(a[i]) != upper(b[i])) return upper(a[i]) < upper(b[i]) ? -1 : 1;
        return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
    }
    return CompareIgnoringCase(Utf16(a), Utf16(b));
}

int CompareIgnoringCase(std::wstring_view a, std::wstring_view b) {
    const int result = CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                            static_cast<int>(b.size()), TRUE);
    return result - CSTR_EQUAL;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) { return CompareIgnoringCase(a, b) == 0; }

std::wstring UpperCaseOrdinal(std::wstring_view text) {
    std::wstring upper(text);
    if (text.empty() || text.size() > static_cast<size_t>(std::numeric_limits<int>::max())) return upper;
    // The invariant locale without LCMAP_LINGUISTIC_CASING maps by the file
    // system's table, as CompareStringOrdinal compares; it maps unit for unit.
    const int size = static_cast<int>(text.size());
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.data(), size, upper.data(), size, nullptr,
                      nullptr, 0) != size)
        upper.assign(text);
    return upper;
}

std::wstring UpperCaseOrdinal(std::string_view text) { return UpperCaseOrdinal(std::wstring_view(Utf16(text))); }

}  // namespace vigilo
