#pragma once
// What the controller must hold after a download, built from the LED files alone and not by the
// tool's own code: the 38-byte header (16-bit fields big-endian), then every show's pixels.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace pelmora::testing {

using Bytes = std::vector<std::uint8_t>;

// A show as the test knows it: its list entry, its file as it was when imported, the numbers
// confirmed in the dialog.
struct KnownShow {
    std::string path;
    Bytes file;
    int dots = 0;
    int frames = 0;
};

// Which file byte of a dot (0 red, 1 green, 2 blue) each stored byte takes, for every entry of
// cbrgb: RGB, RBG, GRB, GBR, BRG, BGR.
inline constexpr std::array<std::array<int, 3>, 6> storedFrom{
    {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}}};

// The show's pixels as the controller takes them: frame after frame, dot after dot, in `order`.
inline Bytes expectedPixels(const KnownShow& show, int order) {
    Bytes pixels;
    const std::size_t stride = (show.file.at(16) + 1u) * 512u;
    for (int f = 0; f < show.frames; ++f)
        for (int d = 0; d < show.dots; ++d) {
            const std::size_t at = 512 + static_cast<std::size_t>(f) * stride + static_cast<std::size_t>(d) * 3;
            for (int k = 0; k < 3; ++k) pixels.push_back(show.file.at(at + storedFrom.at(order)[k]));
        }
    return pixels;
}

// The controller's memory after a download: the 38-byte header (16-bit fields big-endian), then
// every show's pixels back to back.
inline Bytes expectedImage(const std::vector<KnownShow>& shows, int order, int frameTimeCode) {
    Bytes image(38, 0), pixels;
    auto put16 = [&](std::size_t at, std::size_t value) {
        image[at] = static_cast<std::uint8_t>(value >> 8);
        image[at + 1] = static_cast<std::uint8_t>(value & 0xFF);
    };
    image[2] = static_cast<std::uint8_t>(shows.size());
    image[3] = static_cast<std::uint8_t>(frameTimeCode);
    for (std::size_t s = 0; s < shows.size(); ++s) {
        put16(4 + 6 * s, static_cast<std::size_t>(shows[s].dots) * 3);
        put16(6 + 6 * s, static_cast<std::size_t>(shows[s].frames));
        put16(8 + 6 * s, 38 + pixels.size());
        const Bytes own = expectedPixels(shows[s], order);
        pixels.insert(pixels.end(), own.begin(), own.end());
    }
    put16(0, pixels.size());
    image.insert(image.end(), pixels.begin(), pixels.end());
    return image;
}

}  // namespace pelmora::testing
