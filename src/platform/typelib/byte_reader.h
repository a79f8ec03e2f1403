// Little-endian reads at 64-bit offsets into a byte view, each one checked against the view's
// end, so that offsets taken from a file (however large) can never reach outside it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace arkstash::typelib {

class ByteReader {
  public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

    bool has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }
    std::optional<std::string_view> bytes(std::uint64_t offset, std::uint64_t length) const {
        if (!has(offset, length)) return std::nullopt;
        return bytes_.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
    }
    std::optional<std::uint16_t> u16(std::uint64_t offset) const {
        if (!has(offset, 2)) return std::nullopt;
        return static_cast<std::uint16_t>(byte(offset) | byte(offset + 1) << 8);
    }
    std::optional<std::uint32_t> u32(std::uint64_t offset) const {
        if (!has(offset, 4)) return std::nullopt;
        return static_cast<std::uint32_t>(byte(offset)) |
               static_cast<std::uint32_t>(byte(offset + 1)) << 8 |
               static_cast<std::uint32_t>(byte(offset + 2)) << 16 |
               static_cast<std::uint32_t>(byte(offset + 3)) << 24;
    }

  private:
    unsigned byte(std::uint64_t at) const {
        return static_cast<unsigned char>(bytes_[static_cast<std::size_t>(at)]);
    }
    std::string_view bytes_;
};

}  // namespace arkstash::typelib
