#include "platform/shortcut_file.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

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
constexpr size_t kEnvironmentBlockSize = 0x314;  // 8 bytes of head, 260 ANSI and 260 UTF-16 characters

// Reads little-endian numbers and texts inside bytes; a read past the end
// leaves it failed and reads zeros from then on.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    bool Ok() const { return ok_; }
    size_t Position() const { return position_; }
    void Seek(size_t position) {
        if (position > bytes_.size()) ok_ = false;
        position_ = ok_ ? position : bytes_.size();
    }
    void Skip(size_t count) { Seek(count > bytes_.size() - position_ ? bytes_.size() + 1 : position_ + count); }
    std::uint32_t Number(size_t width) {
        if (!ok_ || bytes_.size() - position_ < width) {
            ok_ = false;
            return 0;
        }
        std::uint32_t value = 0;
        for (size_t i = 0; i < width; ++i)
            value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[position_ + i])) << (8 * i);
        position_ += width;
        return value;
    }
    std::string_view Take(size_t count) {
        const size_t start = position_;
        Skip(count);
        return ok_ ? bytes_.substr(start, count) : std::string_view();
    }

private:
    std::string_view bytes_;
    size_t position_ = 0;
    bool ok_ = true;
};

std::string FromUtf16Bytes(std::string_view bytes) {
    std::wstring text(bytes.size() / 2, L'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * 2);
    return Utf8(text.substr(0, text.find(L'\0')));
}

std::string FromAnsiBytes(std::string_view bytes) {
    return Utf8FromCodePage(bytes.substr(0, bytes.find('\0')), CP_ACP);
}

// A text ended by its NUL at offset within area; empty when there is none.
std::string TextAt(std::string_view area, size_t offset, bool wide) {
    if (offset == 0 || offset >= area.size()) return {};
    std::string_view rest = area.substr(offset);
    if (!wide) return FromAnsiBytes(rest);
    for (size_t i = 0; i + 1 < rest.size(); i += 2)
        if (rest[i] == 0 && rest[i + 1] == 0) return FromUtf16Bytes(rest.substr(0, i));
    return {};
}

// The local path of the link information: its base path and common suffix.
std::string LocalPathOf(std::string_view info) {
    Reader reader(info);
    reader.Skip(4);
    const std::uint32_t headerSize = reader.Number(4);
    const std::uint32_t flags = reader.Number(4);
    reader.Skip(4);  // the volume's offset
    const std::uint32_t baseOffset = reader.Number(4);
    reader.Skip(4);  // the network share's offset
    const std::uint32_t suffixOffset = reader.Number(4);
    if (!reader.Ok() || !(flags & kLocalBasePath)) return {};
    if (headerSize >= 0x24) {
        const std::uint32_t wideBase = reader.Number(4);
        const std::uint32_t wideSuffix = reader.Number(4);
        if (reader.Ok() && wideBase) return TextAt(info, wideBase, true) + TextAt(info, wideSuffix, true);
    }
    return TextAt(info, baseOffset, false) + TextAt(info, suffixOffset, false);
}

// One counted text of the string data part.
std::string CountedText(Reader& reader, bool wide) {
    const std::uint32_t count = reader.Number(2);
    const std::string_view bytes = reader.Take(wide ? count * 2 : count);
    return wide ? FromUtf16Bytes(bytes) : FromAnsiBytes(bytes);
}

}  // namespace

std::optional<ShortcutTarget> ShortcutTargetOfBytes(std::string_view bytes, const std::string& folder) {
    Reader reader(bytes);
    const bool header = reader.Number(4) == kHeaderSize;
    const std::string_view linkClass = reader.Take(sizeof(kLinkClass));
    if (!header || !reader.Ok() || std::memcmp(linkClass.data(), kLinkClass, sizeof(kLinkClass)) != 0)
        return std::nullopt;
    const std::uint32_t flags = reader.Number(4);
    reader.Seek(kHeaderSize);
    if (flags & kHasTargetIdList) reader.Skip(reader.Number(2));

    std::string localPath;
    if (flags & kHasLinkInfo) {
        const size_t start = reader.Position();
        const std::uint32_t size = reader.Number(4);
        reader.Seek(start);
        localPath = LocalPathOf(reader.Take(size));
    }
    const bool wide = (flags & kIsUnicode) != 0;
    std::string relativePath;
    std::string arguments;
    if (flags & kHasName) CountedText(reader, wide);
    if (flags & kHasRelativePath) relativePath = CountedText(reader, wide);
    if (flags & kHasWorkingDir) CountedText(reader, wide);
    if (flags & kHasArguments) arguments = CountedText(reader, wide);
    if (flags & kHasIconLocation) CountedText(reader, wide);
    if (!reader.Ok()) return std::nullopt;

    std::string environmentPath;
    while (reader.Ok() && (flags & kHasEnvironmentTarget)) {
        const size_t start = reader.Position();
        const std::uint32_t size = reader.Number(4);
        if (size < 8) break;  // the terminal block
        const std::uint32_t signature = reader.Number(4);
        if (signature == kEnvironmentBlock && size >= kEnvironmentBlockSize) {
            const std::string_view ansi = reader.Take(260);
            const std::string_view unicode = reader.Take(520);
            environmentPath = FromUtf16Bytes(unicode);
            if (environmentPath.empty()) environmentPath = FromAnsiBytes(ansi);
            break;
        }
        reader.Seek(start + size);
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
