#pragma once
// Reading an LED animation file.
//
//   offset  size  field
//   0       2     pixel bytes per frame, little-endian; three per dot (32768 or more: a wrong file)
//   16      1     sectors per frame minus one; a frame takes (value + 1) * 512 bytes (63 or more: wrong)
//   512     ...   the frames, frame f at 512 + f * stride, its dots as red, green, blue
//
// Nothing else of the 512-byte header is read; the number of frames follows from the length.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pelmora {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t ledHeaderFrameSectorsOffset = 16;

// (byte16 + 1) * 512; only meaningful for byte16 < 63.
constexpr std::int32_t frameStride(std::uint8_t sectorsMinusOne) { return (sectorsMinusOne + 1) * 512; }

struct LedHeader {
    std::int32_t headerDots = 0;     // dots per frame from the header
    std::int32_t stride = 0;         // bytes from one frame's start to the next
    std::int32_t frameEstimate = 0;  // (length - 512) / stride, rounded half to even; 0 or less for short files
};

// The header values of a file's whole content, or nothing for a wrong file
// (fewer than 17 bytes, byte 1 of 128 or more, byte 16 of 63 or more).
std::optional<LedHeader> readLedHeader(std::span<const std::uint8_t> fileBytes);

}  // namespace pelmora
