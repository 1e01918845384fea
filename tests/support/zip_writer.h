#pragma once
// A zip archive as zip tools write it, for tests of the .xpi reader: each
// entry stored or deflated, with its checksum, then the central directory
// and the end record.
#include <string>

namespace vigilo::test {

class ZipWriter {
public:
    void Add(const std::string& name, const std::string& content, bool deflate, bool spoilChecksum = false);
    std::string Bytes() const;

private:
    std::string bytes_;
    std::string directory_;
    size_t entries_ = 0;
};

}  // namespace vigilo::test
