#pragma once
// Entries of a zip archive (a Firefox add-on's .xpi), read from the file
// where they lie: the end record, the central directory, then one entry's
// local header and data, stored or deflated (inflated with zlib), its
// checksum checked. Archives spanning disks, zip64, encrypted entries and
// other methods are not read. Every offset and size is taken in 64 bits and
// must fall inside the file: the directory before its end record, each
// entry's data before the directory; a count of entries bounds the loop only
// once the directory's size could hold them.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/read_only_file.h"

namespace vigilo {

class ZipArchive {
public:
    // The archive at path; empty when it cannot be read as one, or its
    // central directory holds more than 1 MiB.
    static std::optional<ZipArchive> Open(const std::string& path);

    // The bytes of the entry named name (its path in the archive, with "/");
    // empty when it is missing, larger than maxBytes, or damaged.
    std::optional<std::string> Entry(const std::string& name, size_t maxBytes) const;

private:
    struct Member {
        std::string name;
        std::uint16_t flags = 0;
        std::uint16_t method = 0;
        std::uint32_t checksum = 0;
        std::uint32_t packedSize = 0;
        std::uint32_t size = 0;
        std::uint32_t localHeader = 0;
    };
    ZipArchive(ReadOnlyFile file, std::vector<Member> members, std::uint64_t directoryOffset)
        : file_(std::move(file)), members_(std::move(members)), directoryOffset_(directoryOffset) {}

    ReadOnlyFile file_;
    std::vector<Member> members_;
    std::uint64_t directoryOffset_ = 0;
};

}  // namespace vigilo
