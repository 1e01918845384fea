#include "platform/text_file.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "platform/text.h"
#include "platform/unique_handle.h"

namespace vigilo {
namespace {

bool StartsWith(std::string_view bytes, std::string_view mark) { return bytes.substr(0, mark.size()) == mark; }

std::string FromUtf16(std::string_view bytes, bool bigEndian) {
    std::wstring text(bytes.size() / 2, L'\0');  // an odd last byte is no character
    for (size_t i = 0; i < text.size(); ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        text[i] = static_cast<wchar_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return Utf8(text);
}

std::atomic<FileBytesReader> g_reader{&ReadFileBytes};

std::uint64_t Whole(DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

// The file's index on its volume. Asked of the system's native call: the
// documented ones that tell it (GetFileInformationByHandle, FileIdInfo) ask
// for the volume's serial number too, which under Wine costs half a
// millisecond, five times the rest of a stamp.
std::uint64_t FileIndexOf(HANDLE file) {
    using QueryInformationFile = LONG(WINAPI*)(HANDLE, void* ioStatus, void* information, ULONG length, int kind);
    static const auto query = reinterpret_cast<QueryInformationFile>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationFile"));
    constexpr int kFileInternalInformation = 6;
    struct {
        ULONG_PTR status;
        ULONG_PTR information;
    } ioStatus{};
    LARGE_INTEGER index{};
    if (query && query(file, &ioStatus, &index, sizeof(index), kFileInternalInformation) >= 0)
        return static_cast<std::uint64_t>(index.QuadPart);
    BY_HANDLE_FILE_INFORMATION all{};
    return GetFileInformationByHandle(file, &all) ? Whole(all.nFileIndexHigh, all.nFileIndexLow) : 0;
}

}  // namespace

FileStamp StampOfFile(const std::string& path) {
    // No access to the contents: only the file's attributes are asked.
    HANDLE raw = CreateFileW(Utf16(path).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) return {};
    UniqueKernelHandle file(raw);
    FILE_BASIC_INFO basic{};
    FILE_STANDARD_INFO standard{};
    if (!GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof(basic)) ||
        !GetFileInformationByHandleEx(file.get(), FileStandardInfo, &standard, sizeof(standard)))
        return {};
    return {true, static_cast<std::uint64_t>(basic.LastWriteTime.QuadPart),
            static_cast<std::uint64_t>(standard.EndOfFile.QuadPart), FileIndexOf(file.get())};
}

FileBytesReader SetFileBytesReader(FileBytesReader reader) { return g_reader.exchange(reader ? reader : &ReadFileBytes); }

std::optional<std::string> ReadKeptFileBytes(const std::string& path) { return g_reader.load()(path); }

std::optional<std::string> ReadFileBytes(const std::string& path) {
    HANDLE raw = CreateFileW(Utf16(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) return std::nullopt;
    UniqueKernelHandle file(raw);
    std::string bytes;
    char chunk[65536];
    DWORD read = 0;
    while (bytes.size() < kTextFileLimit && ReadFile(file.get(), chunk, sizeof(chunk), &read, nullptr) && read > 0)
        bytes.append(chunk, std::min<size_t>(read, kTextFileLimit - bytes.size()));
    return bytes;
}

std::string DecodeText(std::string_view bytes, unsigned codePage) {
    if (StartsWith(bytes, "\xFF\xFE")) return FromUtf16(bytes.substr(2), false);
    if (StartsWith(bytes, "\xFE\xFF")) return FromUtf16(bytes.substr(2), true);
    if (StartsWith(bytes, "\xEF\xBB\xBF")) return Utf8(Utf16(bytes.substr(3)));
    if (codePage == CP_UTF8) return Utf8(Utf16(bytes));
    return Utf8FromCodePage(bytes, codePage);
}

}  // namespace vigilo
