#include "platform/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <string_view>

#include "platform/byte_cursor.h"

namespace vigilo {
namespace {

constexpr std::string_view kEndSignature("PK\x05\x06", 4);
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
    const std::int64_t tailStart = std::max<std::int64_t>(0, file->Size() - (kEndSize + kLongestComment));
    const std::optional<std::string> tail = file->ReadAt(tailStart, static_cast<size_t>(file->Size() - tailStart));
    if (!tail) return std::nullopt;
    const size_t end = tail->rfind(kEndSignature, tail->size() - kEndSize);
    if (end == std::string::npos) return std::nullopt;
    ByteCursor record(std::string_view(*tail).substr(end + kEndSignature.size()));
    const std::uint32_t disk = record.Number(2);
    const std::uint32_t directoryDisk = record.Number(2);
    record.Skip(2);  // the entries on this disk
    const std::uint64_t entries = record.Number(2);
    const std::uint64_t directorySize = record.Number(4);
    const std::uint64_t directoryOffset = record.Number(4);
    const std::uint64_t recordOffset = static_cast<std::uint64_t>(tailStart) + end;
    // The directory lies before the end record, and each entry takes at least its fixed part of it.
    if (!record.Ok() || disk != 0 || directoryDisk != 0 || directorySize > kLargestDirectory ||
        directoryOffset + directorySize > recordOffset || entries * kCentralEntrySize > directorySize)
        return std::nullopt;
    const std::optional<std::string> directory =
        file->ReadAt(static_cast<std::int64_t>(directoryOffset), static_cast<size_t>(directorySize));
    if (!directory) return std::nullopt;

    std::vector<Member> members;
    ByteCursor cursor(*directory);
    for (std::uint64_t i = 0; i < entries; ++i) {
        if (cursor.Number(4) != kCentralSignature) return std::nullopt;
        Member member;
        cursor.Skip(4);  // the versions that made it and that read it
        member.flags = static_cast<std::uint16_t>(cursor.Number(2));
        member.method = static_cast<std::uint16_t>(cursor.Number(2));
        cursor.Skip(4);  // time and date
        member.checksum = cursor.Number(4);
        member.packedSize = cursor.Number(4);
        member.size = cursor.Number(4);
        const std::uint64_t nameLength = cursor.Number(2);
        const std::uint64_t extraLength = cursor.Number(2);
        const std::uint64_t commentLength = cursor.Number(2);
        cursor.Skip(8);  // the disk, internal and external attributes
        member.localHeader = cursor.Number(4);
        member.name = std::string(cursor.Take(nameLength));
        cursor.Skip(extraLength + commentLength);
        if (!cursor.Ok()) return std::nullopt;
        members.push_back(std::move(member));
    }
    return ZipArchive(std::move(*file), std::move(members), directoryOffset);
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
    if (!header) return std::nullopt;
    ByteCursor local(*header);
    const bool isLocalHeader = local.Number(4) == kLocalSignature;
    local.Skip(22);  // versions, flags, method, time, checksum and sizes: the directory's count
    const std::uint64_t nameLength = local.Number(2);
    const std::uint64_t extraLength = local.Number(2);
    const std::uint64_t data = std::uint64_t{member->localHeader} + kLocalHeaderSize + nameLength + extraLength;
    // The entry's data lies before the central directory.
    if (!isLocalHeader || !local.Ok() || data + member->packedSize > directoryOffset_) return std::nullopt;
    std::optional<std::string> bytes = file_.ReadAt(static_cast<std::int64_t>(data), member->packedSize);
    if (bytes && member->method == kDeflated) bytes = Inflate(*bytes, member->size);
    if (!bytes) return std::nullopt;
    const uLong checksum = crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(bytes->data()),
                                 static_cast<uInt>(bytes->size()));
    if (checksum != member->checksum) return std::nullopt;
    return bytes;
}

}  // namespace vigilo
