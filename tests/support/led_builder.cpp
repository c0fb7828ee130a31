#include "led_builder.h"

#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace pelmora::testing {

std::uint8_t patternPixel(int frame, int dot, int channel) {
    return static_cast<std::uint8_t>(frame * 31 + dot * 7 + channel * 85 + 1);
}

std::int32_t strideOf(const LedFileSpec& led) { return (led.sectorsMinusOne + 1) * 512; }

std::vector<std::uint8_t> makeLedFile(const LedFileSpec& led, const Pixel& pixel) {
    const std::size_t stride = static_cast<std::size_t>(strideOf(led));
    // A frame wider than the stride runs into the next one; the last frame then ends past the stride.
    const std::size_t frameBytes = static_cast<std::size_t>(led.dots) * 3;
    const std::size_t frames = static_cast<std::size_t>(led.frames);
    std::vector<std::uint8_t> bytes(frames == 0 ? 512 : 512 + (frames - 1) * stride + std::max(stride, frameBytes), 0);
    const int headerBytes = led.headerPixelBytes >= 0 ? led.headerPixelBytes : led.dots * 3;
    bytes[0] = static_cast<std::uint8_t>(headerBytes & 0xFF);
    bytes[1] = static_cast<std::uint8_t>((headerBytes >> 8) & 0xFF);
    bytes[16] = led.sectorsMinusOne;
    for (int f = 0; f < led.frames; ++f)
        for (int d = 0; d < led.dots; ++d)
            for (int k = 0; k < 3; ++k)
                bytes.at(512 + static_cast<std::size_t>(f) * stride + static_cast<std::size_t>(d) * 3 +
                         static_cast<std::size_t>(k)) = pixel(f, d, k);
    bytes.resize(bytes.size() - std::min(led.lastFrameShortBy, bytes.size()));
    return bytes;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pelmora-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    const auto file = path_ / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return file.string();
}

}  // namespace pelmora::testing
