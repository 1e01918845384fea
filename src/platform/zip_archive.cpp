#include "platform/zip_archive.h"

#include <zlib.h>

#include <algorithm>

namespace vigilo {
namespace {

constexpr std::uint32_t kEndSignature = 0x06054B50;
constexpr std::uint32_t kCentralSignature = 0x02014B50;
constexpr std::uint32_t kLocalSignature = 0x04034B50;
constexpr size_t kEndSize = 22;
constexpr size_t kLongestComment = 0xFFFF;
constexpr size_t kCentralEntrySize = 46;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kLargestDirectory = 1024 * 1024;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint16_t kEncrypted = 0x1;

std::uint32_t Number(const std::string& bytes, size_t at, size_t width) {
    std::uint32_t value = 0;
    for (size_t i = 0; i < width; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

std::optional<std::string> Inflate(const std::string& packed, size_t size) {
    std::string bytes(size, '\0');
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return std::nullopt;  // raw deflate, as zip stores it
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = static_cast<uInt>(packed.size());
    stream.next_out = reinterpret_cast<Bytef*>(bytes.data());
    stream.avail_out = static_cast<uInt>(bytes.size());
    const int result = inflate(&stream, Z_FINISH);
    const bool whole = result == Z_STREAM_END && stream.total_out == size;
    inflateEnd(&stream);
    if (!whole) return std::nullopt;
    return bytes;
}

}  // namespace

std::optional<ZipArchive> ZipArchive::Open(const std::string& path) {
    std::optional<ReadOnlyFile> file = ReadOnlyFile::Open(path);
    if (!file || file->Size() < static_cast<std::int64_t>(kEndSize)) return std::nullopt;
    // The end record lies in the last 22 bytes plus at most a comment's length.
    const size_t tailSize = static_cast<size_t>(std::min<std::int64_t>(file->Size(), kEndSize + kLongestComment));
    const std::optional<std::string> tail = file->ReadAt(file->Size() - tailSize, tailSize);
    if (!tail) return std::nullopt;
    size_t end = tailSize - kEndSize + 1;
    do {
        --end;
    } while (end > 0 && Number(*tail, end, 4) != kEndSignature);
    if (Number(*tail, end, 4) != kEndSignature) return std::nullopt;
    const std::uint32_t entries = Number(*tail, end + 10, 2);
    const std::uint32_t directorySize = Number(*tail, end + 12, 4);
    const std::uint32_t directoryOffset = Number(*tail, end + 16, 4);
    if (Number(*tail, end + 4, 2) != 0 || Number(*tail, end + 6, 2) != 0 || directorySize > kLargestDirectory)
        return std::nullopt;
    const std::optional<std::string> directory = file->ReadAt(directoryOffset, directorySize);
    if (!directory) return std::nullopt;

    std::vector<Member> members;
    size_t at = 0;
    for (std::uint32_t i = 0; i < entries; ++i) {
        if (directory->size() - at < kCentralEntrySize || Number(*directory, at, 4) != kCentralSignature)
            return std::nullopt;
        Member member;
        member.flags = static_cast<std::uint16_t>(Number(*directory, at + 8, 2));
        member.method = static_cast<std::uint16_t>(Number(*directory, at + 10, 2));
        member.checksum = Number(*directory, at + 16, 4);
        member.packedSize = Number(*directory, at + 20, 4);
        member.size = Number(*directory, at + 24, 4);
        const size_t nameLength = Number(*directory, at + 28, 2);
        const size_t rest = nameLength + Number(*directory, at + 30, 2) + Number(*directory, at + 32, 2);
        member.localHeader = Number(*directory, at + 42, 4);
        if (directory->size() - at - kCentralEntrySize < rest) return std::nullopt;
        member.name = directory->substr(at + kCentralEntrySize, nameLength);
        members.push_back(std::move(member));
        at += kCentralEntrySize + rest;
    }
    return ZipArchive(std::move(*file), std::move(members));
}

std::optional<std::string> ZipArchive::Entry(const std::string& name, size_t maxBytes) const {
    const auto member =
        std::find_if(members_.begin(), members_.end(), [&name](const Member& m) { return m.name == name; });
    if (member == members_.end() || member->size > maxBytes || (member->flags & kEncrypted)) return std::nullopt;
    if (member->method != kStored && member->method != kDeflated) return std::nullopt;
    // Deflate never grows data by more than a few bytes in a thousand.
    if (member->packedSize > maxBytes + maxBytes / 64 + 1024) return std::nullopt;
    if (member->method == kStored && member->packedSize != member->size) return std::nullopt;

    const std::optional<std::string> header = file_.ReadAt(member->localHeader, kLocalHeaderSize);
    if (!header || Number(*header, 0, 4) != kLocalSignature) return std::nullopt;
    const std::int64_t data = static_cast<std::int64_t>(member->localHeader) + kLocalHeaderSize +
                              Number(*header, 26, 2) + Number(*header, 28, 2);
    std::optional<std::string> bytes = file_.ReadAt(data, member->packedSize);
    if (bytes && member->method == kDeflated) bytes = Inflate(*bytes, member->size);
    if (!bytes) return std::nullopt;
    const uLong checksum = crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(bytes->data()),
                                 static_cast<uInt>(bytes->size()));
    if (checksum != member->checksum) return std::nullopt;
    return bytes;
}

}  // namespace vigilo
