#include "show/led_file.h"

#include <cmath>
#include <limits>

namespace pelmora {

std::optional<LedHeader> readLedHeader(std::span<const std::uint8_t> fileBytes) {
    if (fileBytes.size() <= ledHeaderFrameSectorsOffset) return std::nullopt;
    if (fileBytes[1] >= 128) return std::nullopt;
    if (fileBytes[ledHeaderFrameSectorsOffset] >= 63) return std::nullopt;
    if (fileBytes.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return std::nullopt;

    LedHeader header;
    header.headerDots = (fileBytes[1] * 256 + fileBytes[0]) / 3;
    header.stride = frameStride(fileBytes[ledHeaderFrameSectorsOffset]);
    // nearbyint rounds in the default mode: to nearest, an exact half to the even neighbour.
    const double frames = (static_cast<double>(fileBytes.size()) - 512.0) / header.stride;
    header.frameEstimate = static_cast<std::int32_t>(std::nearbyint(frames));
    return header;
}

}  // namespace pelmora
