#include "platform/shortcut_file.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

#include "platform/byte_cursor.h"
#include "platform/environment_text.h"
#include "platform/read_only_file.h"
#include "platform/text.h"

namespace vigilo {
namespace {

// The shell link format: a 76-byte header naming the link class, then the
// parts its flags announce, in this order.
constexpr size_t kHeaderSize = 0x4C;
constexpr unsigned char kLinkClass[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::uint32_t kHasTargetIdList = 0x1;
constexpr std::uint32_t kHasLinkInfo = 0x2;
constexpr std::uint32_t kHasName = 0x4;
constexpr std::uint32_t kHasRelativePath = 0x8;
constexpr std::uint32_t kHasWorkingDir = 0x10;
constexpr std::uint32_t kHasArguments = 0x20;
constexpr std::uint32_t kHasIconLocation = 0x40;
constexpr std::uint32_t kIsUnicode = 0x80;
constexpr std::uint32_t kHasEnvironmentTarget = 0x200;
constexpr std::uint32_t kLocalBasePath = 0x1;  // in the link information's flags
constexpr std::uint32_t kEnvironmentBlock = 0xA0000001;
constexpr std::uint64_t kEnvironmentBlockSize = 0x314;  // 8 bytes of head, 260 ANSI and 260 UTF-16 characters
constexpr std::uint64_t kBlockHeadSize = 8;              // an extra data block's size and signature
// A shortcut holds at most one extra data block of each of its eleven kinds.
constexpr int kMostExtraBlocks = 32;
// The link information's head: seven numbers, two more where it has UTF-16 paths.
constexpr std::uint32_t kLinkInfoHeaderSize = 0x1C;
constexpr std::uint32_t kLinkInfoWideHeaderSize = 0x24;

std::string FromUtf16Bytes(std::string_view bytes) {
    std::wstring text(bytes.size() / 2, L'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * 2);
    return Utf8(text.substr(0, text.find(L'\0')));
}

std::string FromAnsiBytes(std::string_view bytes) {
    return Utf8FromCodePage(bytes.substr(0, bytes.find('\0')), CP_ACP);
}

// A text ended by its NUL at offset within area; empty when there is none.
std::string TextAt(std::string_view area, std::uint64_t offset, bool wide) {
    if (offset == 0 || offset >= area.size()) return {};
    const std::string_view rest = area.substr(static_cast<size_t>(offset));
    if (!wide) return FromAnsiBytes(rest);
    for (size_t i = 0; i + 1 < rest.size(); i += 2)
        if (rest[i] == 0 && rest[i + 1] == 0) return FromUtf16Bytes(rest.substr(0, i));
    return {};
}

// The local path of the link information: its base path and common suffix,
// at offsets from the structure's start that must fall inside it.
std::string LocalPathOf(std::string_view info) {
    ByteCursor cursor(info);
    cursor.Skip(4);  // its size
    const std::uint32_t headerSize = cursor.Number(4);
    const std::uint32_t flags = cursor.Number(4);
    cursor.Skip(4);  // the volume's offset
    const std::uint64_t baseOffset = cursor.Number(4);
    cursor.Skip(4);  // the network share's offset
    const std::uint64_t suffixOffset = cursor.Number(4);
    if (!cursor.Ok() || !(flags & kLocalBasePath)) return {};
    if (headerSize >= kLinkInfoWideHeaderSize) {
        const std::uint64_t wideBase = cursor.Number(4);
        const std::uint64_t wideSuffix = cursor.Number(4);
        if (cursor.Ok() && wideBase) return TextAt(info, wideBase, true) + TextAt(info, wideSuffix, true);
    }
    return TextAt(info, baseOffset, false) + TextAt(info, suffixOffset, false);
}

// One counted text of the string data part.
std::string CountedText(ByteCursor& cursor, bool wide) {
    const std::uint64_t count = cursor.Number(2);
    const std::string_view bytes = cursor.Take(wide ? count * 2 : count);
    return wide ? FromUtf16Bytes(bytes) : FromAnsiBytes(bytes);
}

// The environment-string target among the extra data blocks at the cursor
// (empty when none holds one), each block taken whole, so each moves the
// cursor forward by at least its head; empty when a block leaves the file
// or there are more of them than any shortcut holds.
std::optional<std::string> EnvironmentTargetOf(ByteCursor& cursor) {
    for (int block = 0; block < kMostExtraBlocks; ++block) {
        if (cursor.Left() < 4) return std::string();  // no terminal block: the file ends the blocks
        const std::uint64_t size = cursor.Number(4);
        if (size < kBlockHeadSize) return std::string();  // the terminal block
        ByteCursor inside(cursor.Take(size - 4));
        if (!cursor.Ok()) return std::nullopt;
        if (inside.Number(4) != kEnvironmentBlock || size < kEnvironmentBlockSize) continue;
        const std::string_view ansi = inside.Take(260);
        const std::string environmentPath = FromUtf16Bytes(inside.Take(520));
        return environmentPath.empty() ? FromAnsiBytes(ansi) : environmentPath;
    }
    return std::nullopt;
}

}  // namespace

std::optional<ShortcutTarget> ShortcutTargetOfBytes(std::string_view bytes, const std::string& folder) {
    ByteCursor cursor(bytes);
    const bool header = cursor.Number(4) == kHeaderSize;
    const std::string_view linkClass = cursor.Take(sizeof(kLinkClass));
    if (!header || !cursor.Ok() || std::memcmp(linkClass.data(), kLinkClass, sizeof(kLinkClass)) != 0)
        return std::nullopt;
    const std::uint32_t flags = cursor.Number(4);
    cursor.MoveTo(kHeaderSize);
    if (flags & kHasTargetIdList) cursor.Skip(cursor.Number(2));

    std::string localPath;
    if (flags & kHasLinkInfo) {
        // Its size counts itself, and its offsets count from its start.
        const std::uint32_t size = cursor.Peek(4);
        if (size < kLinkInfoHeaderSize) return std::nullopt;
        localPath = LocalPathOf(cursor.Take(size));
    }
    const bool wide = (flags & kIsUnicode) != 0;
    std::string relativePath;
    std::string arguments;
    if (flags & kHasName) CountedText(cursor, wide);
    if (flags & kHasRelativePath) relativePath = CountedText(cursor, wide);
    if (flags & kHasWorkingDir) CountedText(cursor, wide);
    if (flags & kHasArguments) arguments = CountedText(cursor, wide);
    if (flags & kHasIconLocation) CountedText(cursor, wide);
    if (!cursor.Ok()) return std::nullopt;

    std::string environmentPath;
    if (flags & kHasEnvironmentTarget) {
        std::optional<std::string> found = EnvironmentTargetOf(cursor);
        if (!found) return std::nullopt;
        environmentPath = std::move(*found);
    }

    ShortcutTarget target{ExpandEnvironmentText(environmentPath), arguments};
    if (target.path.empty()) target.path = localPath;
    if (target.path.empty() && !relativePath.empty() && !folder.empty())
        target.path = folder + (folder.back() == '\\' ? "" : "\\") + relativePath;
    if (target.path.empty()) return std::nullopt;
    return target;
}

std::optional<ShortcutTarget> ReadShortcutTarget(const std::string& path) {
    const std::optional<std::string> bytes = ReadSmallFile(path, kLargestShortcutFile);
    if (!bytes) return std::nullopt;
    const size_t slash = path.find_last_of("\\/");
    return ShortcutTargetOfBytes(*bytes, slash == std::string::npos ? std::string() : path.substr(0, slash));
}

}  // namespace vigilo
