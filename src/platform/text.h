#pragma once
// The program's one text convention: UTF-8 in std::string everywhere inside.
// Windows keeps names, paths and window texts in UTF-16; they are converted
// here, at the edge, on their way to and from the system. The conversion is
// lossless for every name Windows can hold: a lone surrogate (a registry or
// file name need not be valid UTF-16) travels as its own three-byte sequence
// and comes back as it was, so such a name still opens.
#include <string>
#include <string_view>
#include <vector>

namespace vigilo {

// UTF-16 for a call to Windows. A byte that is not part of a valid sequence
// becomes U+FFFD.
std::wstring Utf16(std::string_view utf8);
// How many UTF-16 units Utf16(utf8) has, as Windows counts a path's length.
size_t Utf16Length(std::string_view utf8);
// UTF-8 of a text Windows gave.
std::string Utf8(std::wstring_view utf16);
// UTF-8 of bytes in the given Windows code page (CP_ACP for the system's);
// bytes without a character in it become what Windows maps them to.
std::string Utf8FromCodePage(std::string_view bytes, unsigned codePage);

// The first maxCharacters characters of text (a character being one UTF-16
// unit, as Windows counts a buffer; a surrogate pair is never split).
std::string FirstCharacters(const std::string& text, size_t maxCharacters);

// The parts of text between separators, in order (one more than there are separators).
std::vector<std::string_view> SplitAt(std::string_view text, char separator);

// Capitals of the letters a to z only; every other character is kept.
std::string UpperCaseAscii(std::string text);
// Without every character of code 32 or less at both ends.
std::string TrimControlAndBlanks(const std::string& text);

// Ordinal comparison with letter case ignored for every script (the system's
// own upper-casing table, as the file system and the registry compare
// names), independent of the user's locale: <0, 0 or >0.
int CompareIgnoringCase(std::string_view a, std::string_view b);
int CompareIgnoringCase(std::wstring_view a, std::wstring_view b);
bool SameIgnoringCase(std::string_view a, std::string_view b);
// Each UTF-16 unit upper-cased by the system's table that CompareIgnoringCase
// uses (one unit for one, so lengths and positions stay), for comparing one
// text with many, or hashing names CompareIgnoringCase takes as one.
std::wstring UpperCaseOrdinal(std::wstring_view text);
std::wstring UpperCaseOrdinal(std::string_view text);

}  // namespace vigilo
