#include "support/zip_writer.h"

#include <zlib.h>

#include "support/little_endian.h"

namespace vigilo::test {
namespace {

std::string Deflated(const std::string& content) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, content.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    stream.avail_in = static_cast<uInt>(content.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

}  // namespace

void ZipWriter::Add(const std::string& name, const std::string& content, bool deflate, bool spoilChecksum) {
    const std::string packed = deflate ? Deflated(content) : content;
    const uLong checksum = crc32(0, reinterpret_cast<const Bytef*>(content.data()), content.size()) ^ spoilChecksum;
    // Version, flags, method, time and date, checksum, sizes, name's and extra field's lengths.
    const std::string common = Fields({{20, 2}, {0, 2}, {deflate ? 8u : 0u, 2}, {0, 4}, {checksum, 4},
                                       {packed.size(), 4}, {content.size(), 4}, {name.size(), 2}, {0, 2}});
    directory_ += Fields({{0x02014B50, 4}, {20, 2}}) + common +
                  Fields({{0, 2}, {0, 2}, {0, 2}, {0, 4}, {bytes_.size(), 4}}) + name;
    bytes_ += Fields({{0x04034B50, 4}}) + common + name + packed;
    ++entries_;
}

std::string ZipWriter::Bytes() const {
    return bytes_ + directory_ +
           Fields({{0x06054B50, 4}, {0, 4}, {entries_, 2}, {entries_, 2}, {directory_.size(), 4}, {bytes_.size(), 4},
                   {0, 2}});
}

}  // namespace vigilo::test
