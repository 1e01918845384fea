#pragma once
// Bytes of binary formats as tests write them: little-endian numbers.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

namespace vigilo::test {

// The numbers one after another, each of its width in bytes (value, width).
inline std::string Fields(std::initializer_list<std::pair<std::uint64_t, int>> fields) {
    std::string out;
    for (const auto& [value, width] : fields)
        for (int i = 0; i < width; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

}  // namespace vigilo::test
