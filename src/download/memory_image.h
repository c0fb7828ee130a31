#pragma once
// The controller's memory image: a 38-byte header, then the pixels of all shows back to back.
// Multi-byte fields are unsigned 16-bit, big-endian (high byte first).
//
//   offset       size  field
//   0            2     pixel data length (usedBytes; the header not counted)
//   2            1     number of shows, 1..5
//   3            1     time per frame in units of 10 ms, 1..30
//   4 + 6(s-1)   2     show s: bytes per frame (dots * 3)
//   6 + 6(s-1)   2     show s: number of frames
//   8 + 6(s-1)   2     show s: start address in the image (38 for show 1)
//   34           4     reserved, 0
//
// Records of absent shows stay 0. The pixel data starts at address 38.

#include <array>
#include <cstdint>
#include <vector>

#include "show/show_table.h"

namespace pelmora {

constexpr std::size_t imageBufferSize = 65536;

struct MemoryImage {
    std::int32_t dataLength = 0;                             // pixel bytes: usedBytes of the table
    std::array<std::uint8_t, imageHeaderSize> sendBuffer{};  // the header
    std::vector<std::uint8_t> imageBuffer;                   // the pixel data, from position 0
};

// frameTimeCode is the list position of inputcbspeed plus 1.
MemoryImage buildMemoryImage(const ShowTable& table, int frameTimeCode);

}  // namespace pelmora
